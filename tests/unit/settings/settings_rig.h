// A zor2 settings control wired to a simulated board and fake system ports. The fake processes
// run every powercfg command through the stand-in powercfg, against the fake registry.
#pragma once

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "common/firmware.h"
#include "gui/settings/settings_control.h"
#include "platform/fake/fake_message_boxes.h"
#include "platform/fake/fake_processes.h"
#include "platform/fake/fake_registry.h"
#include "platform/fake/fake_service_manager.h"
#include "platform/fake/fake_shutdown.h"
#include "platform/fake/fake_vendor_libraries.h"
#include "sim/board/board.h"
#include "sim/board/board_profiles.h"
#include "sim/board/sim_hwk.h"
#include "tests/fixtures/powercfg/powercfg_emulation.h"

namespace zor::test {

class RecordingSleeper : public fw::Sleeper {
 public:
  void SleepMs(uint32_t ms) override {
    waits.push_back(ms);
    if (onSleep) onSleep();
  }
  std::vector<uint32_t> waits;
  std::function<void()> onSleep;
};

// A SimHwk whose physical-buffer allocation can be made to fail.
class BoardHwk : public sim::SimHwk {
 public:
  using SimHwk::SimHwk;
  bool failAlloc = false;
  bool simulated = false;  // stands for the simulated board's hwk.dll rather than a maker's
  bool IsSimulated() const override { return simulated; }
  bool HWK_Alloc_Kernel_PhysMem(uint32_t length, uint64_t* reference) override {
    return !failAlloc && SimHwk::HWK_Alloc_Kernel_PhysMem(length, reference);
  }
};

// The registry writes of the stand-in powercfg, on the fake registry.
class FakePowercfgRegistry : public fixtures::PowercfgRegistry {
 public:
  explicit FakePowercfgRegistry(FakeRegistry& registry) : m_registry(registry) {}
  bool GetString(RegRoot root, const std::string& path, const std::string& name,
                 std::string* value) override {
    FakeRegistry::Value v;
    if (!m_registry.Get(root, path, name, &v)) return false;
    *value = m_registry.GetString(root, path, name);
    return true;
  }
  bool GetBinary(RegRoot root, const std::string& path, const std::string& name,
                 std::vector<uint8_t>* value) override {
    FakeRegistry::Value v;
    if (!m_registry.Get(root, path, name, &v)) return false;
    *value = v.data;
    return true;
  }
  void SetString(RegRoot root, const std::string& path, const std::string& name,
                 const std::string& value) override {
    m_registry.SetString(root, path, name, value);
  }
  void SetDword(RegRoot root, const std::string& path, const std::string& name,
                uint32_t value) override {
    m_registry.SetDword(root, path, name, value);
  }
  void SetBinary(RegRoot root, const std::string& path, const std::string& name,
                 const std::vector<uint8_t>& value) override {
    m_registry.SetBinary(root, path, name, value);
  }

 private:
  FakeRegistry& m_registry;
};

struct SettingsRig {
  explicit SettingsRig(const char* profile = "x58-6", uint32_t faults = 0, int osClass = kOsNt61);

  // Flags of the accepted packets, oldest first; fails the test on a packet the board refused.
  std::vector<uint16_t> SentFlags() const;
  uint16_t ControlFlags() const { return board.ControlFlags(); }
  void SetControlFlags(uint16_t flags);
  // Present value of the RailTable entry of a role (0 when the role has no rail).
  uint32_t RailValue(int role) const;
  std::vector<std::string> Commands() const { return processes.Started(); }

  std::unique_ptr<sim::BoardState> boardState;
  sim::Board board;
  BoardHwk hwk;
  FakeRegistry registry;
  std::unique_ptr<FakePowercfgRegistry> powercfgRegistry;
  bool powercfgWorks = true;
  FakeProcesses processes;
  FakeServiceManager services;
  FakeMessageBoxes boxes;
  FakeShutdown shutdown;
  FakeVendorLibraries vendors;
  RecordingSleeper sleeper;
  std::map<std::string, std::string> settings;  // INFO.DAT [SETTING]
  MainState state;
  std::unique_ptr<SettingsControl> control;
  uint32_t packetsBefore = 0;
};

constexpr char kSystemDir[] = "C:\\Program Files\\Windows\\system32";

}  // namespace zor::test
