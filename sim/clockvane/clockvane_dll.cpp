// Clockvane.dll stand-in: the graphics core clock of the simulated board. A board whose card the
// library cannot control fails the initialisation.
#include "sim/sf/vendor_board.h"

using zor::sim::Board;
using zor::sim::WithVendorBoard;

extern "C" {

__declspec(dllexport) int ClockvaneInit(void) {
  return WithVendorBoard(0, [](Board& board) { return board.ClockUsable() ? 1 : 0; });
}

__declspec(dllexport) int SetCoreCLK(int reduction) {
  return WithVendorBoard(0, [&](Board& board) {
    if (!board.ClockUsable()) return 0;
    board.SetCoreClock(reduction);
    return 1;
  });
}

}  // extern "C"
