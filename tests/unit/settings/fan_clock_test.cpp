#include <gtest/gtest.h>

#include "tests/unit/settings/settings_rig.h"

namespace zor::test {
namespace {

using Calls = std::vector<std::string>;

TEST(GraphicsClock, LowersOnlyOnAChange) {
  SettingsRig rig;
  EXPECT_TRUE(rig.control->Vendor().LoadGraphicsClock());
  EXPECT_EQ(rig.state.m_bClockReady, 1);
  EXPECT_TRUE(rig.control->Vendor().SetGraphicsClockSaving(false));  // already normal: no call
  EXPECT_TRUE(rig.control->Vendor().SetGraphicsClockSaving(true));
  EXPECT_TRUE(rig.control->Vendor().SetGraphicsClockSaving(true));
  EXPECT_TRUE(rig.control->Vendor().SetGraphicsClockSaving(false));
  EXPECT_EQ(rig.vendors.calls, (Calls{"ClockvaneInit", "SetCoreCLK 10", "SetCoreCLK 0"}));
}

TEST(GraphicsClock, CardTheLibraryCannotControl) {
  SettingsRig rig;
  rig.vendors.clockInitResult = 0;
  EXPECT_TRUE(rig.control->Vendor().LoadGraphicsClock());
  EXPECT_FALSE(rig.control->Vendor().SetGraphicsClockSaving(true));
  EXPECT_EQ(rig.vendors.calls, Calls{"ClockvaneInit"});
  EXPECT_TRUE(rig.boxes.ShownBoxes().empty());
  EXPECT_FALSE(rig.control->ExitRequested());
}

TEST(GraphicsClock, MissingLibraryEnds) {
  SettingsRig rig;
  rig.vendors.clockPresent = false;
  EXPECT_FALSE(rig.control->Vendor().LoadGraphicsClock());
  EXPECT_EQ(rig.control->ExitCode(), 1);
  ASSERT_EQ(rig.boxes.ShownBoxes().size(), 1u);
  EXPECT_EQ(rig.boxes.ShownBoxes()[0].text, "Load VGA library failure!!");
  EXPECT_EQ(rig.boxes.ShownBoxes()[0].caption, "Error");
}

TEST(FanCurve, StateFromThePwmSpread) {
  struct Case {
    uint16_t first;
    uint16_t second;
    bool energy;
  };
  const Case cases[] = {{28, 100, true}, {90, 100, false}, {50, 100, false}, {100, 28, false}};
  for (const Case& c : cases) {
    SettingsRig rig;
    rig.vendors.pwm[0] = c.first;
    rig.vendors.pwm[1] = c.second;
    bool energy = !c.energy;
    EXPECT_TRUE(rig.control->Vendor().ReadFanCurveState(&energy));
    EXPECT_EQ(energy, c.energy) << c.first << " " << c.second;
    EXPECT_EQ(rig.vendors.fanLoads, rig.vendors.fanReleases);
  }
}

TEST(FanCurve, WritesTheCurveInOrder) {
  SettingsRig rig;
  EXPECT_TRUE(rig.control->Vendor().WriteFanCurve(true));
  EXPECT_EQ(rig.vendors.calls, (Calls{"Check_CPU_SmartFan", "CPU_PWM_Write 0 28", "CPU_PWM_Write 1 100",
                                      "CPU_TEMP_Write 0 20", "CPU_TEMP_Write 1 66"}));
  rig.vendors.calls.clear();
  EXPECT_TRUE(rig.control->Vendor().WriteFanCurve(false));
  EXPECT_EQ(rig.vendors.calls, (Calls{"Check_CPU_SmartFan", "CPU_PWM_Write 0 90", "CPU_PWM_Write 1 100",
                                      "CPU_TEMP_Write 0 20", "CPU_TEMP_Write 1 30"}));
  EXPECT_EQ(rig.vendors.fanLoads, 2);
  EXPECT_EQ(rig.vendors.fanReleases, 2);
}

TEST(FanCurve, UnusableControllerLeavesTheCurve) {
  SettingsRig rig;
  rig.vendors.fanCheckResult = 0;
  EXPECT_FALSE(rig.control->Vendor().WriteFanCurve(true));
  EXPECT_EQ(rig.vendors.calls, Calls{"Check_CPU_SmartFan"});
  ASSERT_EQ(rig.boxes.ShownBoxes().size(), 1u);
  EXPECT_EQ(rig.boxes.ShownBoxes()[0].text, "Smart FAN initial failure!!");
  EXPECT_FALSE(rig.control->ExitRequested());
  EXPECT_EQ(rig.vendors.fanReleases, 1);
}

TEST(FanCurve, MissingLibraryEnds) {
  // Reading shows the system's text first; writing does not.
  SettingsRig read;
  read.vendors.fanPresent = false;
  read.boxes.lastError = 126;
  read.boxes.errorTexts[126] = "The specified module could not be found.";
  bool energy = false;
  EXPECT_FALSE(read.control->Vendor().ReadFanCurveState(&energy));
  EXPECT_EQ(read.control->ExitCode(), 1);
  ASSERT_EQ(read.boxes.ShownBoxes().size(), 2u);
  EXPECT_EQ(read.boxes.ShownBoxes()[0].text, "The specified module could not be found.");
  EXPECT_EQ(read.boxes.ShownBoxes()[1].text, "Load sf library failure!!");

  SettingsRig write;
  write.vendors.fanPresent = false;
  write.boxes.errorTexts[126] = "The specified module could not be found.";
  write.boxes.lastError = 126;
  EXPECT_FALSE(write.control->Vendor().WriteFanCurve(true));
  ASSERT_EQ(write.boxes.ShownBoxes().size(), 1u);
  EXPECT_EQ(write.boxes.ShownBoxes()[0].text, "Load sf library failure!!");
  EXPECT_EQ(write.control->ExitCode(), 1);
}

}  // namespace
}  // namespace zor::test
