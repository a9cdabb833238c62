#include "service/service_host.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "tests/unit/store/store_dir.h"

namespace zor {
namespace {

std::string Slurp(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

// The control manager as the tests play it: every report is recorded, and a hook may deliver a
// control at the moment a given state is reported.
class FakeManager : public ServiceHostPort {
 public:
  struct Report { ServiceState state; uint32_t waitHintMs; };
  std::vector<Report> reports;
  std::function<void()> onRegister;
  std::function<void(ServiceState)> onReport;
  bool threadsFail = false;
  bool threadStuck = false;
  std::vector<uint32_t> joinTimeouts;
  std::function<void()> thread;

  bool RegisterHandler() override {
    if (onRegister) onRegister();
    return true;
  }
  bool Report(ServiceState state, uint32_t waitHintMs) override {
    reports.push_back({state, waitHintMs});
    if (onReport) onReport(state);
    return true;
  }
  void Record(ServiceState) override {}
  uint32_t LastError() override { return 5; }
  std::string ErrorText(uint32_t) override { return "Access is denied."; }
  bool StartThread(std::function<void()> body) override {
    if (threadsFail) return false;
    thread = std::move(body);
    return true;
  }
  bool JoinThread(uint32_t timeoutMs) override {
    joinTimeouts.push_back(timeoutMs);
    return !threadStuck;
  }
};

class HostTest : public ::testing::Test {
 protected:
  HostTest() : trace(dir.File("old.log")), host(manager, trace, flags) {}
  std::string Log() { return Slurp(dir.File("Satae.log")); }

  StoreDir dir;
  FakeManager manager;
  FileTrace trace;
  ServiceFlags flags;
  ServiceHost host;
};

// The control handler may run as soon as it is registered: the log's path is already in place,
// and a stop that arrives as the running state is reported is not lost.
TEST_F(HostTest, AStopRightAfterTheStartIsKept) {
  std::string pathAtRegistration;
  manager.onRegister = [&] { pathAtRegistration = trace.Path(); };
  manager.onReport = [&](ServiceState state) {
    if (state == ServiceState::kRunning) host.Control(control::kStop);
  };
  bool runningWhenLoopStarts = true;
  host.Main(dir.File("Satae.log"), [&] { runningWhenLoopStarts = flags.running.load(); });
  EXPECT_EQ(pathAtRegistration, dir.File("Satae.log"));
  EXPECT_FALSE(runningWhenLoopStarts);
  EXPECT_NE(Log().find("Stopping...\n"), std::string::npos);
  ASSERT_FALSE(manager.reports.empty());
  EXPECT_EQ(manager.reports.back().state, ServiceState::kStopped);
}

// The stop's wait hint covers the wait for the sampler, which gives up on a thread that hangs.
TEST_F(HostTest, StopWaitsForTheSamplerNoLongerThanItsHint) {
  manager.threadStuck = true;
  host.Main(dir.File("Satae.log"), [&] {
    host.StartSampler([] {});
    host.Control(control::kStop);
  });
  ASSERT_EQ(manager.joinTimeouts.size(), 1u);
  uint32_t hint = 0;
  for (const auto& report : manager.reports) {
    if (report.state == ServiceState::kStopPending) hint = report.waitHintMs;
  }
  EXPECT_GT(hint, 0u);
  EXPECT_LE(manager.joinTimeouts[0], hint);
  EXPECT_EQ(manager.reports.back().state, ServiceState::kStopped);
  EXPECT_TRUE(flags.samplerStop.load());
}

TEST_F(HostTest, NoSamplerThreadMeansNoLoadFiguresButTheServiceRuns) {
  manager.threadsFail = true;
  bool loopRan = false;
  host.Main(dir.File("Satae.log"), [&] {
    host.StartSampler([] {});
    loopRan = true;
  });
  EXPECT_TRUE(loopRan);
  EXPECT_TRUE(manager.joinTimeouts.empty());
  EXPECT_NE(Log().find("Load sampler thread failure!!\n"), std::string::npos);
  EXPECT_EQ(flags.usage.load(), 0);
}

TEST_F(HostTest, ControlLinesAsBefore) {
  host.Main(dir.File("Satae.log"), [&] {
    host.Control(control::kInterrogate);
    host.Control(0x80);
  });
  EXPECT_EQ(Log(),
            "\n****Into service control****\nService Control Interrogate!!\nDwCode=0x4\n"
            "\nLeave service control...\n"
            "\n****Into service control****\nZOR2 Service unrecognized control code 0x80\n"
            "DwCode=0x80\n\nLeave service control...\nBye Bye!!");
}

}  // namespace
}  // namespace zor
