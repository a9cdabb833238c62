// The settings-worker half of the advanced command: one INFO.DAT transaction, the low-power
// change, the set applied, and the restart requested last.
#include "gui/settings/advanced_command.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "common/info_lock.h"
#include "platform/named_mutex.h"

#include "common/firmware_layout.h"
#include "tests/unit/settings/settings_rig.h"
#include "tests/unit/store/store_dir.h"

namespace zor::test {
namespace {

// Records, at the restart request, how far the application had got.
class OrderedShutdown : public FakeShutdown {
 public:
  std::function<void()> onRestart;
  bool RequestRestart() override {
    if (onRestart) onRestart();
    return FakeShutdown::RequestRestart();
  }
};

struct CommandRig : SettingsRig {
  CommandRig() : SettingsRig("x58-6"), store(dir.File("Info.dat")) {
    SettingsPorts ports{hwk,     registry, processes, services,   boxes,      restart,
                        vendors, sleeper,  kSystemDir, nullptr};
    ports.readSetting = [this](const std::string& key, const std::string& def) {
      return store.Read("SETTING", key, def, 255);
    };
    control = std::make_unique<SettingsControl>(state, std::move(ports));
    control->Rails().LoadRailBases();
    control->Vendor().LoadGraphicsClock();
  }
  static AdvancedChoice Saved(const char* lps, bool toggle) {
    AdvancedChoice c;
    c.saved = true;
    c.keys = {{"Adv", "1"}, {"NB", "1"},  {"SB", "0"},   {"MEM", "0"},       {"VTT", "0"},
              {"LPS", lps}, {"THRO", "0"}, {"PCH", "0"}, {"VGA", "1"},       {"SF", "0"},
              {"FSB", "12"}, {"HDD", "1 hour"}, {"MONI", "Never"}, {"CURVOLT", "1"}};
    c.toggleLowPower = toggle;
    return c;
  }
  bool LowPowerOn() const { return (board.ControlFlags() & fw::cf::kLowPower) != 0; }

  StoreDir dir;
  InfoStore store;
  OrderedShutdown restart;
};

TEST(AdvancedCommand, StoresInOrderAppliesAndRestartsLast) {
  struct Case {
    bool firmwareOn;
    const char* lps;
    bool toggle;
  };
  // Yes to switching on, Yes to switching off, and the two declines (no restart for "No").
  const Case cases[] = {{false, "1", true}, {true, "0", true}, {false, "0", false}, {true, "1", false}};
  for (const Case& c : cases) {
    CommandRig rig;
    rig.SetControlFlags(c.firmwareOn ? 0x0231 : 0x0031);
    uint16_t flagsAtRestart = 0;
    uint32_t romAtRestart = 0;
    rig.restart.onRestart = [&] {
      flagsAtRestart = rig.board.ControlFlags();
      romAtRestart = rig.board.RomValue();
    };
    ASSERT_TRUE(StoreAdvancedSettings(*rig.control, rig.store, CommandRig::Saved(c.lps, c.toggle)));

    std::string order;
    for (const auto& [key, value] : CommandRig::Saved(c.lps, c.toggle).keys) {
      EXPECT_EQ(rig.store.Read("SETTING", key, "(missing)", 255), value) << key;
      order += key + " ";
    }
    EXPECT_EQ(rig.store.Read("SETTING", "LPS", "", 255), c.lps);
    const bool restarted =
        std::count(rig.restart.calls.begin(), rig.restart.calls.end(), "restart") == 1;
    EXPECT_EQ(restarted, c.toggle);
    // The set was applied before the restart was asked for: level L3 and the lowered clock.
    EXPECT_EQ(rig.state.m_nLevel, 1);
    EXPECT_TRUE(rig.state.m_bVgaSaving);
    if (c.toggle) {
      EXPECT_EQ((flagsAtRestart & fw::cf::kLevelMask) >> fw::cf::kLevelShift, 1);
      EXPECT_EQ((romAtRestart & fw::cf::kLowPower) != 0, !c.firmwareOn);
      EXPECT_EQ(rig.restart.calls.back(), "disable " + std::string(kShutdownPrivilege));
    }
  }
}

TEST(AdvancedCommand, QuitAndAFailedDialogStoreNothing) {
  CommandRig rig;
  EXPECT_FALSE(StoreAdvancedSettings(*rig.control, rig.store, AdvancedChoice{}));
  EXPECT_EQ(rig.store.Read("SETTING", "Adv", "(missing)", 255), "(missing)");
  EXPECT_EQ(rig.packetsBefore, rig.boardState->packetCount);

  // The dialog could not open: the user's power settings are given back before the program ends.
  rig.state.m_nSavedScheme = kPlanBalanced;
  rig.state.m_nSavedDiskTimeout = 25;
  AdvancedChoice failed;
  failed.exitCode = 1;
  EXPECT_FALSE(StoreAdvancedSettings(*rig.control, rig.store, failed));
  int disk = 0;
  rig.control->PowerPlans().GetDiskTimeout(kPlanBalanced, &disk);
  EXPECT_EQ(disk, 25);
  EXPECT_EQ(rig.store.Read("SETTING", "Adv", "(missing)", 255), "(missing)");
}

TEST(AdvancedCommand, ReadsTheStartTheDialogShows) {
  CommandRig rig;
  rig.SetControlFlags(0x0233);
  rig.control->Firmware().SetPowerItemValue(9);
  rig.control->Rails().SetRailTarget(kRailNorthBridge, 10000, false);
  const AdvancedStart start = ReadAdvancedStart(*rig.control);
  EXPECT_TRUE(start.x58);
  EXPECT_EQ(start.powerItem, 9);
  EXPECT_TRUE(start.lowPowerOffered);
  EXPECT_TRUE(start.lowPowerOn);
  EXPECT_TRUE(start.throttling);
  EXPECT_TRUE(start.railPresent[kRailNorthBridge]);
  EXPECT_TRUE(start.railReduced[kRailNorthBridge]);
  EXPECT_FALSE(start.railReduced[kRailSouthBridge]);
}

// A set that cannot be stored is not applied, and the user is told; a lock held for a moment is
// waited out.
TEST(AdvancedCommand, ASetThatCannotBeStoredIsNotApplied) {
  {
    CommandRig rig;
    rig.store.Write("SETTING", "Adv", "0");
    std::filesystem::permissions(rig.store.Path(), std::filesystem::perms::owner_read |
                                                       std::filesystem::perms::group_read);
    const uint16_t flags = rig.ControlFlags();
    EXPECT_FALSE(StoreAdvancedSettings(*rig.control, rig.store, CommandRig::Saved("0", false)));
    std::filesystem::permissions(rig.store.Path(), std::filesystem::perms::owner_all);
    EXPECT_EQ(rig.store.Read("SETTING", "Adv", "", 255), "0");
    EXPECT_EQ(rig.store.Read("SETTING", "NB", "(missing)", 255), "(missing)");
    EXPECT_EQ(rig.boardState->packetCount, rig.packetsBefore);  // nothing applied
    EXPECT_EQ(rig.ControlFlags(), flags);
    EXPECT_EQ(rig.RailValue(kRailNorthBridge), rig.state.m_aRails[kRailNorthBridge].base);
    EXPECT_FALSE(rig.state.m_bAdvanced);
    ASSERT_EQ(rig.boxes.ShownBoxes().size(), 1u);
    EXPECT_EQ(rig.boxes.ShownBoxes()[0].text, kStoreFailedText);
    EXPECT_EQ(std::count(rig.sleeper.waits.begin(), rig.sleeper.waits.end(), kStoreRetryMs),
              kStoreAttempts - 1);
  }
  {
    CommandRig rig;
    auto holder = std::make_unique<NamedMutex>(InfoLockName(rig.store.Path()));
    ASSERT_TRUE(holder->Lock(0));
    rig.sleeper.onSleep = [&] {
      if (holder) holder->Unlock();
      holder.reset();
    };
    EXPECT_TRUE(StoreAdvancedSettings(*rig.control, rig.store, CommandRig::Saved("0", false)));
    EXPECT_EQ(rig.store.Read("SETTING", "NB", "(missing)", 255), "1");
    EXPECT_EQ((rig.ControlFlags() & fw::cf::kLevelMask) >> fw::cf::kLevelShift, 1);
    EXPECT_LT(rig.RailValue(kRailNorthBridge), rig.state.m_aRails[kRailNorthBridge].base);
    EXPECT_TRUE(rig.boxes.ShownBoxes().empty());
  }
}

}  // namespace
}  // namespace zor::test
