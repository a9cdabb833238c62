#include <gtest/gtest.h>

#include "tests/unit/settings/settings_rig.h"

namespace zor::test {
namespace {

TEST(Service, RunningServiceIsLeftAlone) {
  SettingsRig rig;
  rig.services.installed = true;
  rig.services.state = kServiceRunning;
  rig.control->Service().EnsureServiceRunning();
  EXPECT_EQ(rig.services.queries, 1);
  EXPECT_EQ(rig.services.starts, 0);
  EXPECT_TRUE(rig.sleeper.waits.empty());
  EXPECT_EQ(rig.services.openHandles, 0);
}

TEST(Service, StoppedServiceIsStartedAndSeenRunningAtTheFirstPoll) {
  SettingsRig rig;
  rig.services.installed = true;
  rig.services.pollsToRun = 0;
  rig.control->Service().EnsureServiceRunning();
  EXPECT_EQ(rig.services.starts, 1);
  EXPECT_EQ(rig.services.state, kServiceRunning);
  EXPECT_EQ(rig.sleeper.waits, std::vector<uint32_t>{1000});
  EXPECT_EQ(rig.services.openHandles, 0);
}

TEST(Service, StartThatNeverRunsCostsTenPolls) {
  SettingsRig rig;
  rig.services.installed = true;
  rig.services.pollsToRun = -1;
  EXPECT_FALSE(rig.control->Service().StartSaverService());
  EXPECT_EQ(rig.sleeper.waits, std::vector<uint32_t>(10, 1000));
  EXPECT_EQ(rig.services.interrogations, 11);
}

TEST(Service, PausedServiceRefusedWithoutWaiting) {
  SettingsRig rig;
  rig.services.installed = true;
  rig.services.state = kServicePaused;
  rig.control->Service().EnsureServiceRunning();
  EXPECT_EQ(rig.services.starts, 1);
  EXPECT_TRUE(rig.sleeper.waits.empty());
}

TEST(Service, MissingServiceIsInstalledFromAQuotedPathThenStarted) {
  SettingsRig rig;
  rig.services.pollsToRun = 0;
  // The installer registers the service, as Zor2Svr -i does.
  rig.processes.onStart = [&](const std::string&) { rig.services.installed = true; };
  rig.control->Service().EnsureServiceRunning();
  EXPECT_EQ(rig.Commands(),
            std::vector<std::string>{"\"C:\\Program Files\\Zorwise\\Zor2Svr.exe\" -i"});
  EXPECT_EQ(rig.processes.waits, std::vector<uint32_t>{kInstallerWaitMs});
  EXPECT_EQ(rig.services.starts, 1);  // the second attempt finds it running
  EXPECT_EQ(rig.services.state, kServiceRunning);

  SettingsRig failing;  // the installer did not register it: both starts fail at once
  failing.control->Service().EnsureServiceRunning();
  EXPECT_EQ(failing.Commands().size(), 1u);
  EXPECT_EQ(failing.services.starts, 0);
  EXPECT_TRUE(failing.sleeper.waits.empty());
  EXPECT_EQ(failing.services.openHandles, 0);
}

TEST(Service, NoProgramDirectoryRunsNoInstaller) {
  SettingsRig rig;
  rig.state.m_strAppDir.clear();  // the program's path could not be found, or was too long
  rig.control->Service().EnsureServiceRunning();
  EXPECT_TRUE(rig.Commands().empty());
}

TEST(Restart, EnablesRequestsAndDisables) {
  SettingsRig rig;
  EXPECT_TRUE(rig.control->Restart().RestartSystem());
  EXPECT_EQ(rig.shutdown.calls, (std::vector<std::string>{"enable SeShutdownPrivilege", "restart",
                                                          "disable SeShutdownPrivilege"}));
  EXPECT_FALSE(rig.control->ExitRequested());
}

TEST(Restart, EveryFailureEndsWithStatusOneAndNoMessage) {
  struct Case {
    unsigned long enableError;
    bool restartResult;
    unsigned long disableError;
    size_t calls;
  };
  const Case cases[] = {
      {kErrorNotAllAssigned, true, 0, 1},  // privilege not granted: no restart requested
      {0, false, 0, 2},
      {0, true, 5, 3},
  };
  for (const Case& c : cases) {
    SettingsRig rig;
    rig.shutdown.enableError = c.enableError;
    rig.shutdown.restartResult = c.restartResult;
    rig.shutdown.disableError = c.disableError;
    EXPECT_FALSE(rig.control->Restart().RestartSystem());
    EXPECT_EQ(rig.shutdown.calls.size(), c.calls);
    EXPECT_TRUE(rig.control->ExitRequested());
    EXPECT_EQ(rig.control->ExitCode(), 1);
    EXPECT_TRUE(rig.boxes.ShownBoxes().empty());
  }
}

}  // namespace
}  // namespace zor::test
