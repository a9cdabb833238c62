// Clockvane.dll stand-in: the graphics core clock of the simulated board. A board whose card the
// library cannot control fails the initialisation.
#include <type_traits>

#include "platform/vendor_entry_points.h"
#include "sim/sf/vendor_board.h"

using zor::sim::Board;
using zor::sim::WithVendorBoard;

extern "C" {

__declspec(dllexport) int ZOR_DLL_CALL ClockvaneInit(void) {
  return WithVendorBoard(0, [](Board& board) { return board.ClockUsable() ? 1 : 0; });
}

__declspec(dllexport) int ZOR_DLL_CALL SetCoreCLK(int reduction) {
  return WithVendorBoard(0, [&](Board& board) {
    if (!board.ClockUsable()) return 0;
    board.SetCoreClock(reduction);
    return 1;
  });
}

}  // extern "C"

// The exports have exactly the types zor2 binds them with.
static_assert(std::is_same_v<decltype(&ClockvaneInit), PFN_ClockvaneInit>);
static_assert(std::is_same_v<decltype(&SetCoreCLK), PFN_SetCoreCLK>);
