// What the updater does to zor2 and the service around the replace: it refuses to go on when the
// service's state cannot be read, reports a restart only when the program really runs again, and
// ends only the zor2 processes that do not close when asked.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>

#include "common/sha256.h"
#include "platform/fake/fake_service_manager.h"
#include "tests/unit/store/store_dir.h"
#include "tests/unit/updexe/test_signer.h"
#include "apps/updexe/program_control.h"

namespace zor {
namespace {

class ManualClock : public Clock {
 public:
  uint64_t NowMs() override { return m_now; }
  void SleepMs(uint32_t ms) override { m_now += ms; }
  void SleepUntilMs(uint64_t deadline) override { m_now = deadline > m_now ? deadline : m_now; }

 private:
  uint64_t m_now = 0;
};

// zor2 processes, each answering a close request or not; a request may not reach one at all.
class FakeZor2 : public Zor2Instances {
 public:
  struct Process {
    bool reachable = true;  // a window on this desktop or a close event in its session
    bool answers = true;    // closes when asked
    bool running = true;
    bool endedOutright = false;
  };
  std::map<uint32_t, Process> processes;
  bool listable = true;
  bool starts = true;
  std::vector<std::string> events;

  bool List(std::vector<uint32_t>* ids) override {
    for (const auto& [id, p] : processes) {
      if (p.running) ids->push_back(id);
    }
    return listable;
  }
  bool AskToClose(uint32_t id) override {
    events.push_back("ask " + std::to_string(id));
    Process& p = processes[id];
    if (!p.reachable) return false;
    if (p.answers) p.running = false;
    return true;
  }
  bool WaitEnded(uint32_t id, uint32_t) override { return !processes[id].running; }
  bool End(uint32_t id) override {
    events.push_back("end " + std::to_string(id));
    processes[id].running = false;
    processes[id].endedOutright = true;
    return true;
  }
  bool Start() override { return starts; }
};

class ProgramControlTest : public ::testing::Test {
 protected:
  ProgramControlTest() {
    m_services.installed = true;
    m_services.state = kServiceRunning;
  }

  FakeServiceManager m_services;
  FakeZor2 m_zor2;
  ManualClock m_clock;
  ProgramsControl m_control{m_services, m_zor2, m_clock};
};

TEST_F(ProgramControlTest, EveryZor2IsAskedAndOnlyThoseThatDoNotAnswerAreEnded) {
  m_zor2.processes[10] = {};                     // on this desktop, closes when asked
  m_zor2.processes[20] = {true, false};          // asked, but hangs
  m_zor2.processes[30] = {false, false};         // the request cannot reach it
  m_zor2.processes[40] = {};                     // in another session, closes when asked
  bool ran = false;
  EXPECT_TRUE(m_control.StopZor2(&ran));
  EXPECT_TRUE(ran);
  EXPECT_FALSE(m_zor2.processes[10].endedOutright);
  EXPECT_TRUE(m_zor2.processes[20].endedOutright);
  EXPECT_TRUE(m_zor2.processes[30].endedOutright);
  EXPECT_FALSE(m_zor2.processes[40].endedOutright);
  // All are asked before any is ended, so that none waits on another's time-out.
  EXPECT_EQ(m_zor2.events, (std::vector<std::string>{"ask 10", "ask 20", "ask 30", "ask 40", "end 20", "end 30"}));
}

TEST_F(ProgramControlTest, AServiceWhoseStateCannotBeReadIsNeverTakenForStopped) {
  const struct {
    const char* why;
    bool managerOpens, lookupWorks, queryWorks;
  } cases[] = {
      {"no service manager", false, true, true},
      {"the manager cannot tell whether it is installed", true, false, true},
      {"its state cannot be read", true, true, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.why);
    m_services.managerOpens = c.managerOpens;
    m_services.lookupWorks = c.lookupWorks;
    m_services.queryWorks = c.queryWorks;
    bool ran = false;
    EXPECT_FALSE(m_control.StopService(&ran));
    EXPECT_EQ(m_services.state, kServiceRunning);
  }

  // Through a whole update: nothing is replaced under the running service.
  StoreDir dir;
  const std::string app = dir.File("app");
  std::filesystem::create_directories(app + "/Updates");
  std::ofstream(app + "/Zor2Svr.exe") << "old";
  std::ofstream(app + "/Updates/Zor2Svr.exe") << "new";
  const std::string manifest = "Zorwise update\nVersion: 2.1\n" + Sha256Hex("new") + " Zor2Svr.exe\n";
  std::ofstream(app + "/Updates/manifest.txt") << manifest;
  std::ofstream(app + "/Updates/manifest.sig") << TestSigner::Shared().Sign(manifest);
  InfoStore store(app + "/INFO.DAT");
  const UpdateResult r = RunUpdate(
      store, {m_control, SystemFileOps(), *TestSigner::Shared().Check(), SystemFolderAccess(), SystemVersionListing()},
      app, "2.0");
  EXPECT_EQ(r.status, UpdateStatus::StopFailed);
  std::string content;
  ReadWholeFile(app + "/Zor2Svr.exe", content);
  EXPECT_EQ(content, "old");
}

TEST_F(ProgramControlTest, TheServiceIsStoppedAndStartedOnlyAsFarAsItReallyIs) {
  bool ran = false;
  ASSERT_TRUE(m_control.StopService(&ran));
  EXPECT_TRUE(ran);
  EXPECT_EQ(m_services.state, kServiceStopped);
  EXPECT_TRUE(m_control.StartService());
  EXPECT_EQ(m_services.state, kServiceRunning);

  // One that will not stop holds up the update, after a bounded wait.
  m_services.stopAccepted = false;
  EXPECT_FALSE(m_control.StopService(&ran));
  EXPECT_LE(m_clock.NowMs(), 31000u);

  // One that does not reach running is no restart.
  m_services.state = kServiceStopped;
  m_services.pollsToRun = -1;
  EXPECT_FALSE(m_control.StartService());
  m_services.state = kServiceStopped;
  m_services.startAccepted = false;
  EXPECT_FALSE(m_control.StartService());

  // Not installed: nothing to stop.
  m_services.installed = false;
  EXPECT_TRUE(m_control.StopService(&ran));
  EXPECT_FALSE(ran);
}

TEST(UpdateReport, SaysWhatWasStartedAgainAndWhatWasNot) {
  UpdateResult r;
  r.status = UpdateStatus::Applied;
  r.packageVersion = "2.1";
  r.serviceRan = r.zor2Ran = true;
  const struct {
    bool service, zor2;
    std::vector<std::string> lines;
  } cases[] = {
      {true, true, {"Zorwise was updated to version 2.1.", "The service and the program were started again."}},
      {false, true,
       {"Zorwise was updated to version 2.1.", "The service did not start again: see Satae.log.",
        "The program was started again."}},
      {true, false,
       {"Zorwise was updated to version 2.1.", "The service was started again.",
        "The program could not be started again."}},
  };
  for (const auto& c : cases) {
    r.serviceStarted = c.service;
    r.zor2Started = c.zor2;
    EXPECT_EQ(DescribeUpdate(r), c.lines);
  }
}

}  // namespace
}  // namespace zor
