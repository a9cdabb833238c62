#include "gui/settings/vendor_settings.h"

namespace zor {

namespace {

struct FanCurve {
  int pwm[2];
  int temperature[2];
};
constexpr FanCurve kEnergyCurve = {{28, 100}, {20, 66}};
constexpr FanCurve kNormalCurve = {{90, 100}, {20, 30}};
constexpr int kEnergyCurveSpread = 50;
constexpr int kCoreClockLow = 10;

}  // namespace

bool VendorSettings::LoadGraphicsClock() {
  m_state.m_bClockLow = 0;
  m_state.m_hClockLib = m_vendors.LoadClock();
  if (!m_state.m_hClockLib) {
    m_exit.Request(1, m_boxes, "Load VGA library failure!!", "Error", MessageIcon::None);
    return false;
  }
  if (m_state.m_hClockLib->ClockvaneInit() != 0) m_state.m_bClockReady = 1;
  return true;
}

bool VendorSettings::SetGraphicsClockSaving(bool low) {
  if (low == (m_state.m_bClockLow != 0)) return true;
  if (m_exit.Blocks()) return false;
  if (!m_state.m_bClockReady || !m_state.m_hClockLib) return false;
  m_state.m_hClockLib->SetCoreCLK(low ? kCoreClockLow : 0);
  m_state.m_bClockLow = low ? 1 : 0;
  return true;
}

void VendorSettings::ShowLastErrorText() {
  std::string text;
  if (m_boxes.SystemErrorText(m_boxes.LastError(), &text)) {
    m_boxes.Show(text, "Error", MessageIcon::Information);
  }
}

bool VendorSettings::ReadFanCurveState(bool* energy) {
  if (m_exit.Requested()) return false;
  std::unique_ptr<FanLibrary> fan = m_vendors.LoadFan();
  if (!fan) {
    ShowLastErrorText();
    m_exit.Request(1, m_boxes, "Load sf library failure!!", "Error", MessageIcon::None);
    return false;
  }
  uint32_t info = 0;
  fan->Check_CPU_SmartFan(&info);
  uint16_t first = 0;
  uint16_t second = 0;
  fan->CPU_PWM_Read(0, &first);
  fan->CPU_PWM_Read(1, &second);
  *energy = static_cast<int>(second) - static_cast<int>(first) > kEnergyCurveSpread;
  return true;
}

bool VendorSettings::WriteFanCurve(bool energy) {
  if (m_exit.Requested()) return false;
  std::unique_ptr<FanLibrary> fan = m_vendors.LoadFan();
  if (!fan) {
    m_exit.Request(1, m_boxes, "Load sf library failure!!", "Error", MessageIcon::None);
    return false;
  }
  uint32_t info = 0;
  if (fan->Check_CPU_SmartFan(&info) == 0) {
    m_boxes.Show("Smart FAN initial failure!!", "Error", MessageIcon::None);
    return false;
  }
  const FanCurve& curve = energy ? kEnergyCurve : kNormalCurve;
  fan->CPU_PWM_Write(0, curve.pwm[0]);
  fan->CPU_PWM_Write(1, curve.pwm[1]);
  fan->CPU_TEMP_Write(0, curve.temperature[0]);
  fan->CPU_TEMP_Write(1, curve.temperature[1]);
  return true;
}

}  // namespace zor
