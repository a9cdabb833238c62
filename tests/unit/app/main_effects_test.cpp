// What each way of setting a level leaves on the board and in Windows: the rails' present and
// applied values, the level word, the graphics clock, the power plan and its time-outs, over the
// three platform classes, with the whole window and its settings worker in the path.
#include <gtest/gtest.h>

#include "common/firmware_layout.h"
#include "gui/app/main_layout.h"
#include "tests/unit/app/main_rig.h"

namespace zor::test {
namespace {

enum class Way { StartState, L1, L2, L3, AdvancedSave, Resume, Off };

const char* Name(Way way) {
  switch (way) {
    case Way::StartState: return "start state";
    case Way::L1: return "L1";
    case Way::L2: return "L2";
    case Way::L3: return "L3";
    case Way::AdvancedSave: return "advanced SAVE";
    case Way::Resume: return "resume";
    case Way::Off: return "OFF";
  }
  return "?";
}

struct Platform {
  const char* profile;
  // Where the advanced dialog's rail toggles, LV3 and SAVE are on this platform.
  std::vector<ui::Point> railToggles;
  ui::Point lv3;
  ui::Point save;
  // The PCH target a reduction gives (the firmware's override), 0 without a PCH rail.
  uint32_t pchOverride;
};

const Platform kPlatforms[] = {
    {"x58-6", {{132, 154}, {212, 154}, {540, 234}}, {299, 108}, {380, 348}, 0},
    {"p55-24-smbus", {{448, 74}, {540, 234}}, {299, 108}, {380, 348}, 1060000},
    {"p67-12-smbus", {{448, 74}, {128, 234}}, {121, 108}, {380, 305}, 1060000},
};

// The user's own plan is High performance (3); plan 4 is the saving plan.
constexpr int kUserMonitor = 15, kUserDisk = 20;     // plan 3
constexpr int kPlan4Monitor = 10, kPlan4Disk = 30;   // plan 4 before zor2 started

// The rails a way leaves lowered, from their nominal values.
std::map<std::string, uint32_t> Expected(const Platform& p, Way way,
                                         const std::map<std::string, MainRig::Rail>& nominal) {
  std::map<std::string, uint32_t> want;
  for (const auto& [role, rail] : nominal) want[role] = rail.present;
  const std::string profile = p.profile;
  const bool l3 = way == Way::StartState || way == Way::L3 || way == Way::Resume;
  if (l3 && profile == "x58-6") {
    want["NB"] -= 10000;
    want["SB"] -= 10000;
    want["MEM"] -= 2000;
  } else if (l3 && profile == "p55-24-smbus") {
    want["PCH"] = p.pchOverride;
    want["MEM"] -= 2000;
  } else if (way == Way::AdvancedSave) {
    if (profile == "x58-6") {
      want["NB"] -= 10000;
      want["SB"] -= 10000;
    } else {
      want["PCH"] = p.pchOverride;
    }
    want["MEM"] -= 2000;
  }
  return want;
}

TEST(MainEffectsTest, EveryWayOfSettingALevelReachesTheBoardAndWindows) {
  const Way ways[] = {Way::StartState, Way::L1, Way::L2, Way::L3, Way::AdvancedSave, Way::Resume, Way::Off};
  for (const Platform& p : kPlatforms) {
    for (Way way : ways) {
      SCOPED_TRACE(std::string(p.profile) + ", " + Name(way));
      MainRig rig(p.profile);
      rig.SetTimeout(3, false, kUserMonitor);
      rig.SetTimeout(3, true, kUserDisk);
      rig.SetTimeout(4, false, kPlan4Monitor);
      rig.SetTimeout(4, true, kPlan4Disk);
      // At logon the firmware holds L3; otherwise every start begins from L2.
      const int startLevel = way == Way::StartState ? fw::kLevelL3 : fw::kLevelL2;
      rig.SetControlFlags(static_cast<uint16_t>((rig.ControlFlags() & ~fw::cf::kLevelMask) |
                                                startLevel << fw::cf::kLevelShift));
      const std::map<std::string, MainRig::Rail> nominal = rig.Rails();
      if (way == Way::AdvancedSave) {
        rig.InstallAdvancedSkin();
        rig.advancedScript = [&p](ui::TestHost& dialog) {
          std::vector<ui::Point> clicks = p.railToggles;
          clicks.push_back(p.lv3);
          clicks.push_back(p.save);
          for (const ui::Point at : clicks) {
            dialog.MouseMove(at, 0);
            dialog.Press(at);
            dialog.Release(at);
          }
        };
      }

      if (way == Way::StartState) {
        ASSERT_FALSE(rig.Start("state"));
        EXPECT_EQ(*rig.host->ExitStatus(), 0);
      } else {
        ASSERT_TRUE(rig.Start());
        rig.Settle();
        switch (way) {
          case Way::L1: rig.ClickSelector(layout::kL1); break;
          case Way::L2: rig.ClickSelector(layout::kL2); break;
          case Way::AdvancedSave: rig.ClickSelector(layout::kL4); break;
          default: rig.ClickSelector(layout::kL3); break;
        }
        rig.Settle();
        if (way == Way::Resume) {
          rig.ForgetAppliedRails();
          rig.host->PowerBroadcast(ui::PowerEvent::ResumeAutomatic);
          rig.Settle();
        }
        if (way == Way::Off) {
          rig.ClickPush(layout::kOn);
          rig.Settle();
        }
      }
      for (const auto& box : rig.boxes.ShownBoxes()) ADD_FAILURE() << box.text;

      const std::map<std::string, uint32_t> want = Expected(p, way, nominal);
      const std::map<std::string, MainRig::Rail> rails = rig.Rails();
      ASSERT_EQ(rails.size(), want.size());
      for (const auto& [role, value] : want) {
        EXPECT_EQ(rails.at(role).present, value) << role << " present";
        EXPECT_EQ(rails.at(role).applied, value) << role << " applied";
      }

      const uint16_t flags = rig.ControlFlags();
      const int level = way == Way::L1 ? fw::kLevelL1 : way == Way::L2 ? fw::kLevelL2 : fw::kLevelL3;
      EXPECT_EQ((flags & fw::cf::kLevelMask) >> fw::cf::kLevelShift, level);
      EXPECT_EQ((flags & fw::cf::kActive) != 0, way != Way::Off);
      const bool clockLow = way != Way::L1 && way != Way::Off;
      EXPECT_EQ(rig.vendors.coreReduction != 0, clockLow);

      if (way == Way::StartState) {
        EXPECT_EQ(rig.ActivePlan(), 3);  // nothing of the user's is replaced at logon
        continue;
      }
      EXPECT_EQ(rig.ActivePlan(), 4);
      const int saving = way == Way::L1 ? kPlan4Monitor : 3;
      EXPECT_EQ(rig.Timeout(4, false), saving);
      EXPECT_EQ(rig.Timeout(4, true), way == Way::L1 ? kPlan4Disk : 3);
      EXPECT_EQ(rig.Timeout(3, false), kUserMonitor);
      EXPECT_EQ(rig.Timeout(3, true), kUserDisk);
    }
  }
}

}  // namespace
}  // namespace zor::test
