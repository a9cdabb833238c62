// SF.DLL stand-in: the CPU fan curve of the simulated board. A board whose fan controller is not
// usable refuses the check and ignores writes.
#include <cstdint>
#include <type_traits>

#include "platform/vendor_entry_points.h"
#include "sim/sf/vendor_board.h"

using zor::sim::Board;
using zor::sim::WithVendorBoard;

extern "C" {

__declspec(dllexport) int ZOR_DLL_CALL Check_CPU_SmartFan(uint32_t* info) {
  if (info) *info = 0;
  return WithVendorBoard(0, [](Board& board) { return board.FanUsable() ? 1 : 0; });
}

__declspec(dllexport) int ZOR_DLL_CALL CPU_PWM_Read(int point, uint16_t* pwm) {
  if (!pwm || point < 0 || point > 1) return 0;
  return WithVendorBoard(0, [&](Board& board) {
    *pwm = board.FanPwm(point);
    return 1;
  });
}

__declspec(dllexport) int ZOR_DLL_CALL CPU_PWM_Write(int point, int pwm) {
  if (point < 0 || point > 1) return 0;
  return WithVendorBoard(0, [&](Board& board) {
    if (!board.FanUsable()) return 0;
    board.SetFanPwm(point, static_cast<uint16_t>(pwm));
    return 1;
  });
}

__declspec(dllexport) int ZOR_DLL_CALL CPU_TEMP_Write(int point, int temperature) {
  if (point < 0 || point > 1) return 0;
  return WithVendorBoard(0, [&](Board& board) {
    if (!board.FanUsable()) return 0;
    board.SetFanTemperature(point, static_cast<uint16_t>(temperature));
    return 1;
  });
}

}  // extern "C"

// The exports have exactly the types zor2 binds them with.
static_assert(std::is_same_v<decltype(&Check_CPU_SmartFan), PFN_Check_CPU_SmartFan>);
static_assert(std::is_same_v<decltype(&CPU_PWM_Read), PFN_CPU_PWM_Read>);
static_assert(std::is_same_v<decltype(&CPU_PWM_Write), PFN_CPU_PWM_Write>);
static_assert(std::is_same_v<decltype(&CPU_TEMP_Write), PFN_CPU_TEMP_Write>);
