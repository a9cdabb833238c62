#include <gtest/gtest.h>

#include "gui/settings/power_plan_keys.h"
#include "tests/unit/settings/settings_rig.h"

namespace zor::test {
namespace {

const std::string kPowercfg = std::string("\"") + kSystemDir;

TEST(PowerPlans, SchemeBranchCommandsQuoteTheSystemDirectory) {
  SettingsRig rig("x58-6", 0, kOsNt61);
  rig.control->PowerPlans().SetActivePowerPlan(4);
  rig.control->PowerPlans().SetActivePowerPlan(3);
  rig.control->PowerPlans().SetActivePowerPlan(2);
  rig.control->PowerPlans().SetDiskTimeout(4, 10);
  rig.control->PowerPlans().SetMonitorTimeout(2, 0);
  EXPECT_EQ(rig.Commands(), (std::vector<std::string>{
                                kPowercfg + "\\powercfg\" -S SCHEME_BALANCED",
                                kPowercfg + "\\powercfg\" -S SCHEME_MIN",
                                kPowercfg + "\\powercfg\" -S SCHEME_MAX",
                                kPowercfg + "\\Powercfg\" /X /disk-timeout-ac 10",
                                kPowercfg + "\\Powercfg\" /X /monitor-timeout-ac 0",
                            }));
  // Each command ends before the next starts: a time-out command that overtook the plan switch
  // before it would change the user's own plan.
  EXPECT_EQ(rig.processes.waits, std::vector<uint32_t>(5, kCommandWaitMs));
}

TEST(PowerPlans, PolicyBranchCommands) {
  SettingsRig rig("x58-6", 0, kOsNt5);
  rig.control->PowerPlans().SetDiskTimeout(4, 10);
  rig.control->PowerPlans().SetMonitorTimeout(3, 20);
  rig.control->PowerPlans().SetActivePowerPlan(1);
  EXPECT_EQ(rig.Commands(), (std::vector<std::string>{
                                kPowercfg + "\\Powercfg\" /N /X 4 /disk-timeout-ac 10",
                                kPowercfg + "\\Powercfg\" /N /X 3 /monitor-timeout-ac 20",
                                kPowercfg + "\\powercfg\" /s 1 /n",
                            }));
}

TEST(PowerPlans, ActiveSchemeNamesThePlan) {
  struct Case {
    const char* active;
    int plan;
  };
  const Case cases[] = {
      {"381b4222-f694-41f0-9685-ff5bb260df2e", 4},
      {"8c5e7fda-e8bf-4a96-9a85-a6e23a8c635c", 3},
      {"a1841308-3541-4fab-bc81-f71556f20b4a", 2},
      {"something else", 2},
  };
  for (const Case& c : cases) {
    SettingsRig rig("x58-6", 0, kOsNt6);
    rig.registry.SetString(RegRoot::LocalMachine, power::kSchemesRoot, "ActivePowerScheme", c.active);
    int plan = 0;
    EXPECT_TRUE(rig.control->PowerPlans().GetActivePowerPlan(&plan));
    EXPECT_EQ(plan, c.plan) << c.active;
  }
}

TEST(PowerPlans, MissingSchemesKeyFailsOnNt6AndMeansBalancedOnNt61) {
  SettingsRig nt6("x58-6", 0, kOsNt6);
  int plan = 7;
  EXPECT_FALSE(nt6.control->PowerPlans().GetActivePowerPlan(&plan));
  EXPECT_EQ(plan, 7);

  SettingsRig nt61("x58-6", 0, kOsNt61);
  EXPECT_TRUE(nt61.control->PowerPlans().GetActivePowerPlan(&plan));
  EXPECT_EQ(plan, 4);
}

TEST(PowerPlans, SchemeTimeoutsReadInMinutes) {
  struct Case {
    uint32_t seconds;
    int minutes;
  };
  const Case cases[] = {{1200, 20}, {0, 0}, {90, 1}, {0xFFFFFFFFu, 71582788}};
  for (const Case& c : cases) {
    SettingsRig rig("x58-6", 0, kOsNt6);
    rig.registry.SetDword(RegRoot::LocalMachine, power::SettingKey(4, true), "ACSettingIndex", c.seconds);
    rig.registry.SetDword(RegRoot::LocalMachine, power::SettingKey(4, false), "ACSettingIndex", c.seconds);
    int disk = -1;
    int monitor = -1;
    EXPECT_TRUE(rig.control->PowerPlans().GetDiskTimeout(4, &disk));
    EXPECT_TRUE(rig.control->PowerPlans().GetMonitorTimeout(4, &monitor));
    EXPECT_EQ(disk, c.minutes);
    EXPECT_EQ(monitor, c.minutes);
  }
}

TEST(PowerPlans, MissingTimeoutKey) {
  // NT 6.1, plan 4: the defaults are set and given.
  SettingsRig nt61("x58-6", 0, kOsNt61);
  int disk = -1;
  int monitor = -1;
  EXPECT_TRUE(nt61.control->PowerPlans().GetDiskTimeout(4, &disk));
  EXPECT_TRUE(nt61.control->PowerPlans().GetMonitorTimeout(4, &monitor));
  EXPECT_EQ(disk, 90);
  EXPECT_EQ(monitor, 120);
  EXPECT_EQ(nt61.Commands(), (std::vector<std::string>{
                                 kPowercfg + "\\Powercfg\" /X /disk-timeout-ac 90",
                                 kPowercfg + "\\Powercfg\" /X /monitor-timeout-ac 120",
                             }));
  EXPECT_TRUE(nt61.boxes.ShownBoxes().empty());

  // The same with the user's own plan active: the defaults are given, and that plan keeps its own.
  SettingsRig high("x58-6", 0, kOsNt61);
  high.registry.SetString(RegRoot::LocalMachine, power::kSchemesRoot, "ActivePowerScheme",
                          power::kHighPerformance);
  EXPECT_TRUE(high.control->PowerPlans().GetDiskTimeout(4, &disk));
  EXPECT_TRUE(high.control->PowerPlans().GetMonitorTimeout(4, &monitor));
  EXPECT_EQ(disk, 90);
  EXPECT_EQ(monitor, 120);
  EXPECT_TRUE(high.Commands().empty());

  // Anywhere else: the system's text for the failure, and the caller's value stays.
  SettingsRig nt6("x58-6", 0, kOsNt6);
  nt6.boxes.errorTexts[kRegFileNotFound] = "The system cannot find the file specified.";
  disk = 33;
  EXPECT_FALSE(nt6.control->PowerPlans().GetDiskTimeout(4, &disk));
  EXPECT_EQ(disk, 33);
  ASSERT_EQ(nt6.boxes.ShownBoxes().size(), 1u);
  EXPECT_EQ(nt6.boxes.ShownBoxes()[0].text, "The system cannot find the file specified.");
  EXPECT_EQ(nt6.boxes.ShownBoxes()[0].caption, "Error");
  EXPECT_EQ(nt6.boxes.ShownBoxes()[0].icon, MessageIcon::Information);
  EXPECT_TRUE(nt6.Commands().empty());
}

TEST(PowerPlans, PolicyBranchReadsThePolicyRecord) {
  SettingsRig rig("x58-6", 0, kOsNt5);
  std::vector<uint8_t> record(176, 0);
  record[56] = 0x2C;  // 300 s display
  record[57] = 0x01;
  record[64] = 0x58;  // 600 s disk
  record[65] = 0x02;
  rig.registry.SetBinary(RegRoot::CurrentUser, power::PolicyKey(3), "Policies", record);
  rig.registry.SetString(RegRoot::CurrentUser, power::kPolicyRoot, "CurrentPowerPolicy", "3");
  int plan = 0;
  int disk = 0;
  int monitor = 0;
  EXPECT_TRUE(rig.control->PowerPlans().GetActivePowerPlan(&plan));
  EXPECT_TRUE(rig.control->PowerPlans().GetDiskTimeout(3, &disk));
  EXPECT_TRUE(rig.control->PowerPlans().GetMonitorTimeout(3, &monitor));
  EXPECT_EQ(plan, 3);
  EXPECT_EQ(disk, 10);
  EXPECT_EQ(monitor, 5);

  // No record: the caller's value stays.
  disk = 42;
  EXPECT_FALSE(rig.control->PowerPlans().GetDiskTimeout(1, &disk));
  EXPECT_EQ(disk, 42);
  EXPECT_EQ(rig.registry.OpenKeys(), 0);

  // A record shorter than the user policy is unknown too, even where it holds both fields.
  record.resize(power::kUserPolicySize - 1);
  rig.registry.SetBinary(RegRoot::CurrentUser, power::PolicyKey(3), "Policies", record);
  EXPECT_FALSE(rig.control->PowerPlans().GetDiskTimeout(3, &disk));
  EXPECT_FALSE(rig.control->PowerPlans().GetMonitorTimeout(3, &monitor));
  EXPECT_EQ(disk, 42);
  EXPECT_EQ(monitor, 5);
}

// Time-outs that could not be read at start are never given back as "never" (0).
TEST(PowerPlans, UnknownTimeoutsAreNotRestored) {
  SettingsRig rig("x58-6", 0, kOsNt5);
  rig.registry.SetString(RegRoot::CurrentUser, power::kPolicyRoot, "CurrentPowerPolicy", "4");
  rig.registry.SetBinary(RegRoot::CurrentUser, power::PolicyKey(4), "Policies",
                         std::vector<uint8_t>(40, 0));
  rig.control->PowerPlans().RecordUserPowerSettings();
  EXPECT_EQ(rig.state.m_nSavedScheme, 4);
  EXPECT_EQ(rig.state.m_nSavedDiskTimeout, kTimeoutUnknown);
  EXPECT_EQ(rig.state.m_nSavedMonitorTimeout, kTimeoutUnknown);
  rig.control->RestoreUserPowerSettings();
  rig.control->ApplyLevel(5);
  for (const std::string& command : rig.Commands()) {
    EXPECT_EQ(command.find("timeout"), std::string::npos) << command;
  }
  EXPECT_EQ(rig.Commands().front(), kPowercfg + "\\powercfg\" /s 4 /n");

  SettingsRig known("x58-6", 0, kOsNt5);
  std::vector<uint8_t> record(power::kUserPolicySize, 0);
  record[56] = 120;  // 2 minutes display
  record[64] = 0;    // disk never
  known.registry.SetBinary(RegRoot::CurrentUser, power::PolicyKey(4), "Policies", record);
  known.control->PowerPlans().RecordUserPowerSettings();
  EXPECT_EQ(known.state.m_nSavedDiskTimeout, 0);
  EXPECT_EQ(known.state.m_nSavedMonitorTimeout, 2);
}

// Without the system directory a command would start "\powercfg" from the current drive's root.
TEST(PowerPlans, NoSystemDirectoryRunsNothing) {
  SettingsRig rig("x58-6", 0, kOsNt61);
  SettingsPorts ports{rig.hwk,      rig.registry, rig.processes, rig.services, rig.boxes,
                      rig.shutdown, rig.vendors,  rig.sleeper,   "",           nullptr};
  SettingsControl control(rig.state, std::move(ports));
  EXPECT_FALSE(control.PowerPlans().SetActivePowerPlan(4));
  EXPECT_FALSE(control.PowerPlans().SetDiskTimeout(4, 10));
  EXPECT_FALSE(control.PowerPlans().SetMonitorTimeout(4, 10));
  EXPECT_TRUE(rig.Commands().empty());
}

TEST(PowerPlans, SetThenReadBackThroughTheStandInPowercfg) {
  for (int osClass : {kOsNt5, kOsNt61}) {
    SettingsRig rig("x58-6", 0, osClass);
    rig.control->PowerPlans().SetActivePowerPlan(3);
    rig.control->PowerPlans().SetDiskTimeout(3, 15);
    rig.control->PowerPlans().SetMonitorTimeout(3, 30);
    int plan = 0;
    int disk = 0;
    int monitor = 0;
    EXPECT_TRUE(rig.control->PowerPlans().GetActivePowerPlan(&plan));
    EXPECT_TRUE(rig.control->PowerPlans().GetDiskTimeout(3, &disk));
    EXPECT_TRUE(rig.control->PowerPlans().GetMonitorTimeout(3, &monitor));
    EXPECT_EQ(plan, 3) << osClass;
    EXPECT_EQ(disk, 15) << osClass;
    EXPECT_EQ(monitor, 30) << osClass;
  }
}

TEST(PowerPlans, RestoreUserPowerSettings) {
  SettingsRig rig("x58-6", 0, kOsNt61);
  rig.state.m_nSavedScheme = 3;
  rig.state.m_nSavedDiskTimeout = 20;
  rig.state.m_nSavedMonitorTimeout = 10;
  rig.state.m_bClockReady = 1;
  rig.state.m_bClockLow = 1;
  rig.state.m_hClockLib = rig.vendors.LoadClock();
  rig.registry.SetString(RegRoot::LocalMachine, power::kSchemesRoot, "ActivePowerScheme",
                         power::kBalanced);
  rig.control->RestoreUserPowerSettings();
  // The time-outs go back to plan 4, where they were read, before the user's plan returns: the
  // system command changes the active plan's.
  EXPECT_EQ(rig.Commands(), (std::vector<std::string>{
                                kPowercfg + "\\Powercfg\" /X /disk-timeout-ac 20",
                                kPowercfg + "\\Powercfg\" /X /monitor-timeout-ac 10",
                                kPowercfg + "\\powercfg\" -S SCHEME_MIN",
                            }));
  int plan = 0;
  int disk = 0;
  int monitor = 0;
  rig.control->PowerPlans().GetActivePowerPlan(&plan);
  rig.control->PowerPlans().GetDiskTimeout(kPlanBalanced, &disk);
  rig.control->PowerPlans().GetMonitorTimeout(kPlanBalanced, &monitor);
  EXPECT_EQ(plan, 3);
  EXPECT_EQ(disk, 20);
  EXPECT_EQ(monitor, 10);
  EXPECT_EQ(rig.sleeper.waits, (std::vector<uint32_t>{10, 10, 10}));
  EXPECT_EQ(rig.vendors.calls, std::vector<std::string>{"SetCoreCLK 0"});
}

TEST(PowerPlans, RestoreGivesUpAfterTenRetries) {
  SettingsRig rig("x58-6", 0, kOsNt61);
  rig.powercfgWorks = false;  // the plan never changes
  rig.state.m_nSavedScheme = 2;
  rig.control->RestoreUserPowerSettings();
  const auto commands = rig.Commands();
  ASSERT_EQ(commands.size(), 13u);  // the two time-outs, then 1 + 10 activations
  EXPECT_EQ(commands[12], kPowercfg + "\\powercfg\" -S SCHEME_MAX");
  EXPECT_EQ(rig.sleeper.waits.size(), 13u);
}

}  // namespace
}  // namespace zor::test
