// In-memory graphics clock and fan curve behind the vendor-library port, with a call log.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "platform/vendor_libraries.h"

namespace zor {

class FakeVendorLibraries : public VendorLibraries {
 public:
  bool clockPresent = true;
  int clockInitResult = 1;
  int coreReduction = 0;
  bool fanPresent = true;
  int fanCheckResult = 1;
  uint16_t pwm[2] = {90, 100};
  int temperature[2] = {20, 30};
  std::vector<std::string> calls;
  int fanLoads = 0;
  int fanReleases = 0;

  std::unique_ptr<ClockLibrary> LoadClock() override;
  std::unique_ptr<FanLibrary> LoadFan() override;
};

class FakeClock : public ClockLibrary {
 public:
  explicit FakeClock(FakeVendorLibraries& owner) : m_owner(owner) {}
  int ClockvaneInit() override {
    m_owner.calls.push_back("ClockvaneInit");
    return m_owner.clockInitResult;
  }
  void SetCoreCLK(int reduction) override {
    m_owner.calls.push_back("SetCoreCLK " + std::to_string(reduction));
    m_owner.coreReduction = reduction;
  }

 private:
  FakeVendorLibraries& m_owner;
};

class FakeFan : public FanLibrary {
 public:
  explicit FakeFan(FakeVendorLibraries& owner) : m_owner(owner) { ++m_owner.fanLoads; }
  ~FakeFan() override { ++m_owner.fanReleases; }
  int Check_CPU_SmartFan(uint32_t*) override {
    m_owner.calls.push_back("Check_CPU_SmartFan");
    return m_owner.fanCheckResult;
  }
  void CPU_PWM_Read(int point, uint16_t* value) override {
    m_owner.calls.push_back("CPU_PWM_Read " + std::to_string(point));
    if (point == 0 || point == 1) *value = m_owner.pwm[point];
  }
  void CPU_PWM_Write(int point, int value) override {
    m_owner.calls.push_back("CPU_PWM_Write " + std::to_string(point) + " " + std::to_string(value));
    if (point == 0 || point == 1) m_owner.pwm[point] = static_cast<uint16_t>(value);
  }
  void CPU_TEMP_Write(int point, int value) override {
    m_owner.calls.push_back("CPU_TEMP_Write " + std::to_string(point) + " " + std::to_string(value));
    if (point == 0 || point == 1) m_owner.temperature[point] = value;
  }

 private:
  FakeVendorLibraries& m_owner;
};

inline std::unique_ptr<ClockLibrary> FakeVendorLibraries::LoadClock() {
  if (!clockPresent) {
    return nullptr;
  }
  return std::make_unique<FakeClock>(*this);
}

inline std::unique_ptr<FanLibrary> FakeVendorLibraries::LoadFan() {
  if (!fanPresent) {
    return nullptr;
  }
  return std::make_unique<FakeFan>(*this);
}

}  // namespace zor
