#include <gtest/gtest.h>

#include <algorithm>
#include <optional>

#include "common/firmware_layout.h"
#include "gui/settings/power_plan_keys.h"
#include "tests/unit/settings/settings_rig.h"

namespace zor::test {
namespace {

using Flags = std::vector<uint16_t>;

struct AdvancedRig : SettingsRig {
  explicit AdvancedRig(const char* profile = "core2-6-probe") : SettingsRig(profile, 0, kOsNt61) {
    control->Vendor().LoadGraphicsClock();
    vendors.calls.clear();
  }
  int DiskMinutes() {
    int minutes = -1;
    control->PowerPlans().GetDiskTimeout(4, &minutes);
    return minutes;
  }
  int MonitorMinutes() {
    int minutes = -1;
    control->PowerPlans().GetMonitorTimeout(4, &minutes);
    return minutes;
  }
};

TEST(Advanced, AppliesTheWholeSet) {
  AdvancedRig rig;
  rig.settings = {{"HDD", "1 hour"}, {"MONI", "Never"}, {"NB", "1"},  {"SB", "0"},
                  {"MEM", "1"},     {"VTT", "1"},      {"VGA", "1"}, {"SF", "1"},
                  {"FSB", "7"},     {"CURVOLT", "1"},  {"THRO", "1"}};
  rig.SetControlFlags(0x0051);
  rig.control->ApplyAdvancedSettings();

  EXPECT_EQ(rig.DiskMinutes(), 60);
  EXPECT_EQ(rig.MonitorMinutes(), 0);
  EXPECT_EQ(rig.RailValue(kRailNorthBridge), rig.state.m_aRails[kRailNorthBridge].base - 10000);
  EXPECT_EQ(rig.RailValue(kRailSouthBridge), rig.state.m_aRails[kRailSouthBridge].base);
  EXPECT_EQ(rig.RailValue(kRailMemory), rig.state.m_aRails[kRailMemory].base - 2000);
  EXPECT_EQ(rig.RailValue(kRailVtt), rig.state.m_aRails[kRailVtt].base - 10000);
  EXPECT_TRUE(rig.state.m_bVgaSaving);
  EXPECT_EQ(rig.vendors.coreReduction, 10);
  EXPECT_EQ(rig.vendors.pwm[0], 28);
  EXPECT_EQ(rig.control->Firmware().GetPowerItemValue(), std::optional<uint16_t>{7});
  EXPECT_EQ(rig.SentFlags(), Flags{0x0113});
  EXPECT_EQ(rig.state.m_nLevel, 1);

  EXPECT_TRUE(rig.control->Firmware().IsThrottlingOn());
  bool reduced = false;
  EXPECT_TRUE(rig.control->Rails().IsRailReduced(kRailNorthBridge, &reduced));
  EXPECT_TRUE(reduced);
  EXPECT_TRUE(rig.control->Rails().IsRailReduced(kRailSouthBridge, &reduced));
  EXPECT_FALSE(reduced);
  EXPECT_FALSE(rig.control->Rails().IsRailReduced(kRailPch, &reduced));
}

TEST(Advanced, DefaultsAndUnchangedFlagsSendFourPackets) {
  AdvancedRig rig;
  rig.vendors.pwm[0] = 28;  // the energy curve is in place and not wanted
  rig.control->Firmware().SetPowerItemValue(5);
  rig.SetControlFlags(0x0151);
  rig.control->ApplyAdvancedSettings();
  EXPECT_EQ(rig.DiskMinutes(), 3);
  EXPECT_EQ(rig.MonitorMinutes(), 3);
  EXPECT_EQ(rig.vendors.pwm[0], 90);
  EXPECT_EQ(rig.control->Firmware().GetPowerItemValue(), std::optional<uint16_t>{0});
  // CURVOLT 5 and THRO 0 on 0x0151 leave it unchanged: cleared, set, cleared, set.
  EXPECT_EQ(rig.SentFlags(), (Flags{0x0150, 0x0151, 0x0150, 0x0151}));
}

TEST(Advanced, LevelAndThrottlingWords) {
  struct Case {
    const char* curvolt;
    const char* thro;
    uint16_t before;
    Flags sent;
    int level;
  };
  const Case cases[] = {
      // CURVOLT 2: the level bits stay, m_nLevel takes the value as read.
      {"2", "1", 0x0031, {0x0133}, 2},
      // THRO from 1 to 0: bit 1 cleared, bit 8 stays.
      {"3", "0", 0x0133, {0x0131}, 3},
      {"5", "1", 0x0133, {0x0153}, 5},
  };
  for (const Case& c : cases) {
    AdvancedRig rig;
    rig.settings = {{"CURVOLT", c.curvolt}, {"THRO", c.thro}};
    rig.SetControlFlags(c.before);
    rig.control->ApplyAdvancedSettings();
    EXPECT_EQ(rig.SentFlags(), c.sent) << c.curvolt << " " << c.thro;
    EXPECT_EQ(rig.state.m_nLevel, c.level);
  }
}

TEST(Advanced, RailKeysByPlatform) {
  struct Case {
    const char* profile;
    bool nbApplied;
    bool vttApplied;
    bool pchApplied;
  };
  const Case cases[] = {
      {"p55-24-smbus", false, false, true},
      {"p67-12-smbus", false, false, true},
      {"x58-6", true, false, false},
  };
  for (const Case& c : cases) {
    AdvancedRig rig(c.profile);
    rig.settings = {{"NB", "1"}, {"SB", "1"}, {"VTT", "1"}, {"PCH", "1"}, {"MEM", "1"}};
    rig.control->ApplyAdvancedSettings();
    auto lowered = [&](int role) {
      bool reduced = false;
      rig.control->Rails().IsRailReduced(role, &reduced);
      return reduced;
    };
    EXPECT_EQ(lowered(kRailNorthBridge), c.nbApplied) << c.profile;
    EXPECT_EQ(lowered(kRailVtt), c.vttApplied) << c.profile;
    // The PCH target is the board's override value rather than a reduction of the base.
    if (c.pchApplied) {
      EXPECT_EQ(rig.RailValue(kRailPch), rig.state.m_dwPchOverride) << c.profile;
    }
    EXPECT_TRUE(lowered(kRailMemory)) << c.profile;
  }
}

TEST(Advanced, ReadBackLoopIsBounded) {
  AdvancedRig rig;
  rig.powercfgWorks = false;  // the time-out never takes
  rig.registry.SetDword(RegRoot::LocalMachine, power::SettingKey(4, true), "ACSettingIndex", 600);
  rig.registry.SetDword(RegRoot::LocalMachine, power::SettingKey(4, false), "ACSettingIndex", 600);
  rig.control->ApplyAdvancedSettings();
  // Each time-out: one set, then ten more attempts 100 ms apart.
  EXPECT_EQ(rig.Commands().size(), 22u);
  EXPECT_EQ(std::count(rig.sleeper.waits.begin(), rig.sleeper.waits.end(), 100u), 20);
}

TEST(Advanced, MissingFanLibraryStopsBeforeTheFirmwareWords) {
  AdvancedRig rig;
  rig.vendors.fanPresent = false;
  rig.control->ApplyAdvancedSettings();
  EXPECT_TRUE(rig.control->ExitRequested());
  EXPECT_TRUE(rig.SentFlags().empty());
}

TEST(Advanced, LowPowerStateQueries) {
  AdvancedRig offered("x58-6");  // offers the low-power state
  offered.SetControlFlags(0x0251);
  const LowPowerState state = offered.control->Firmware().GetLowPowerState();
  EXPECT_TRUE(state.offered);
  EXPECT_TRUE(state.on);

  AdvancedRig without("p55-24-smbus");
  without.SetControlFlags(0x0251);
  const LowPowerState notOffered = without.control->Firmware().GetLowPowerState();
  EXPECT_FALSE(notOffered.offered);
  EXPECT_FALSE(notOffered.on);
  EXPECT_TRUE(without.control->Firmware().IsLowPowerStateOn());
}

}  // namespace
}  // namespace zor::test
