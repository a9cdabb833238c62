// "zor2.exe restore", as an uninstaller runs it after each way a run can have ended: the user's own
// plan and time-outs back, the firmware's saving off with the rails at their bases, the graphics
// clock at full speed, INFO.DAT holding nothing to give back, and never a message.
#include <gtest/gtest.h>

#include "common/firmware_layout.h"
#include "common/info_keys.h"
#include "gui/app/main_layout.h"
#include "gui/app/restore_mode.h"
#include "tests/unit/app/main_rig.h"

namespace zor::test {
namespace {

TEST(RestoreModeTest, TheWordRestoreAsOneArgument) {
  EXPECT_TRUE(IsRestoreCommand("restore"));
  EXPECT_TRUE(IsRestoreCommand("  RESTORE "));
  EXPECT_TRUE(IsRestoreCommand("/x restore"));
  EXPECT_FALSE(IsRestoreCommand(""));
  EXPECT_FALSE(IsRestoreCommand("state"));
  EXPECT_FALSE(IsRestoreCommand("restored"));
}

TEST(RestoreModeTest, GivesTheUsersSettingsBackAfterEveryEnding) {
  enum Ending { kKeepSaving, kKilled, kStoppedSaving, kNeverStarted };
  struct Case {
    const char* name;
    Ending ending;
  } cases[] = {{"closed keeping saving", kKeepSaving},
               {"killed while saving", kKilled},
               {"closed stopping saving", kStoppedSaving},
               {"never started", kNeverStarted}};
  // The SMBus boards keep their rail bases in the table's other profile.
  for (const char* profile : {"x58-6", "p55-24-smbus"})
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(profile) + ", " + c.name);
    MainRig rig(profile);
    rig.SetPlan4Timeout(true, 20);
    rig.SetPlan4Timeout(false, 10);
    if (c.ending != kNeverStarted) {
      ASSERT_TRUE(rig.Start());
      rig.ClickSelector(layout::kL3);
      rig.Settle();
      // The rails lowered as L3 lowers them.
      SettingsControl& control = *rig.window->Control();
      control.Rails().LoadRailBases();
      control.Rails().ApplyRails(fw::kLevelL3);
      bool lowered = false;
      for (uint32_t i = 0; i < sim::kMaxRails && rig.boardState->railIds[i]; ++i)
        lowered |= rig.boardState->appliedRails[i] != rig.boardState->railBases[i];
      ASSERT_TRUE(lowered);
      ASSERT_NE(rig.vendors.coreReduction, 0);
      if (c.ending == kKilled) {
        rig.host.reset();
        rig.window.reset();
      } else {
        rig.answer = c.ending == kKeepSaving ? 1 : 2;
        rig.ClickPush(layout::kClose);
        rig.Settle();
      }
    }
    const bool wasSaving = c.ending == kKeepSaving || c.ending == kKilled;
    ASSERT_EQ((rig.ControlFlags() & fw::cf::kActive) != 0, wasSaving || c.ending == kNeverStarted);
    const uint32_t packets = rig.boardState->packetCount;

    struct Instances : SingleInstance {
      bool Claim(const std::string&) override { return false; }  // a copy may even run
    } instances;
    struct NoDesktop : ui::ModalHost {
      int DoModal(ui::Window&) override { return ++runs; }
      int runs = 0;
    } desktop;
    CMainApp app(instances, desktop);
    const auto loadHwk = [&rig]() -> std::unique_ptr<Hwk> {
      return std::make_unique<BoardHwk>(rig.board);
    };
    MainPorts ports{loadHwk,     rig.registry, rig.processes, rig.services, rig.boxes,
                    rig.shutdown, rig.vendors, rig.sleeper, rig.system,  rig.shell,
                    rig.appDir,  kSystemDir,   ""};
    EXPECT_EQ(app.InitInstance(std::move(ports), "restore"), 0);

    EXPECT_EQ(desktop.runs, 0);
    EXPECT_TRUE(rig.boxes.ShownBoxes().empty());
    EXPECT_EQ(rig.ActivePlan(), 3);
    EXPECT_EQ(rig.Plan4Timeout(true), 20);
    EXPECT_EQ(rig.Plan4Timeout(false), 10);
    EXPECT_EQ(rig.ControlFlags() & fw::cf::kActive, 0);
    if (wasSaving) {
      EXPECT_GT(rig.boardState->packetCount, packets);
    }
    for (uint32_t i = 0; i < sim::kMaxRails && rig.boardState->railIds[i]; ++i)
      EXPECT_EQ(rig.boardState->appliedRails[i], rig.boardState->railBases[i]) << "rail " << i;
    EXPECT_EQ(rig.vendors.coreReduction, 0);
    EXPECT_EQ(rig.Info(info::kInfo, info::kPv, "0"), "0");
    EXPECT_EQ(rig.Info(info::kUserPower, info::kUserHeld, "0"), "0");
    // Where there was no INFO.DAT, none is made.
    if (c.ending == kNeverStarted) {
      EXPECT_EQ(rig.dir.Listing(), "");
    }
  }
}

}  // namespace
}  // namespace zor::test
