// ReLaunch.exe's bound: how many restarts in a row INFO.DAT allows, what each one starts, and the
// reset zor2 performs after a good start.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <vector>

#include "common/relaunch_count.h"
#include "platform/fake/fake_processes.h"
#include "tests/unit/store/store_dir.h"
#include "apps/relaunch/relaunch.h"

namespace zor {
namespace {

class RecordingClock : public Clock {
 public:
  uint64_t NowMs() override { return m_now; }
  void SleepMs(uint32_t ms) override {
    sleeps.push_back(ms);
    m_now += ms;
  }
  void SleepUntilMs(uint64_t deadlineMs) override {
    if (deadlineMs > m_now) m_now = deadlineMs;
  }
  std::vector<uint32_t> sleeps;

 private:
  uint64_t m_now = 0;
};

class RelaunchTest : public ::testing::Test {
 protected:
  std::string IniPath() const { return m_dir.File("INFO.DAT"); }
  RelaunchResult Run(bool stateMode = true) {
    InfoStore store(IniPath());
    return Relaunch(store, m_processes, m_clock, "C:\\Program Files\\Zorwise", stateMode);
  }
  std::string Count() {
    InfoStore store(IniPath());
    return store.Read("ReLaunch", "Count", "(none)", 255);
  }
  void Set(const char* key, const char* value) {
    InfoStore store(IniPath());
    ASSERT_TRUE(store.Write("ReLaunch", key, value));
  }

  StoreDir m_dir;
  FakeProcesses m_processes;
  RecordingClock m_clock;
};

TEST_F(RelaunchTest, StartsZor2InStateModeUpToTheLimitThenStops) {
  for (int i = 1; i <= kRelaunchDefaultLimit; ++i) {
    EXPECT_EQ(Run(), RelaunchResult::Started) << "restart " << i;
    EXPECT_EQ(Count(), std::to_string(i));
  }
  EXPECT_EQ(Run(), RelaunchResult::LimitReached);
  EXPECT_EQ(Run(), RelaunchResult::LimitReached);
  EXPECT_EQ(Count(), std::to_string(kRelaunchDefaultLimit));

  const std::vector<std::string> expected(kRelaunchDefaultLimit,
                                          "\"C:\\Program Files\\Zorwise/zor2.exe\" state");
  // JoinPath uses the platform's separator; natively that is '/'.
  EXPECT_EQ(m_processes.Started(), expected);
  // Each restart waited first; a refused one did not wait at all.
  EXPECT_EQ(m_clock.sleeps, std::vector<uint32_t>(kRelaunchDefaultLimit, kRelaunchDefaultWaitSeconds * 1000u));
}

TEST_F(RelaunchTest, AGoodStartClearsTheCountSoTheBoundStartsAgain) {
  Set("Count", "3");
  EXPECT_EQ(Run(), RelaunchResult::LimitReached);
  {
    InfoStore store(IniPath());
    ResetRelaunchCount(store);
  }
  EXPECT_EQ(Count(), "0");
  EXPECT_EQ(Run(), RelaunchResult::Started);
  EXPECT_EQ(Count(), "1");
}

TEST_F(RelaunchTest, ResetLeavesAFileWithoutACountUntouched) {
  {
    InfoStore store(IniPath());
    ResetRelaunchCount(store);
  }
  EXPECT_FALSE(std::filesystem::exists(IniPath()));
  std::ofstream(IniPath()) << "[VALUE]\r\nTotal=12.500000\r\n";
  {
    InfoStore store(IniPath());
    ResetRelaunchCount(store);
  }
  std::ifstream in(IniPath());
  const std::string content((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  EXPECT_EQ(content, "[VALUE]\r\nTotal=12.500000\r\n");
}

TEST_F(RelaunchTest, AFailedStartStillCounts) {
  m_processes.startResult = false;
  EXPECT_EQ(Run(), RelaunchResult::StartFailed);
  EXPECT_EQ(Count(), "1");
}

TEST_F(RelaunchTest, WithoutStateTheInteractiveProgramIsStarted) {
  EXPECT_EQ(Run(false), RelaunchResult::Started);
  ASSERT_EQ(m_processes.Started().size(), 1u);
  EXPECT_EQ(m_processes.Started()[0], "\"C:\\Program Files\\Zorwise/zor2.exe\"");
}

// Hand-edited values are held to their ranges, so no edit lifts the bound for good.
TEST_F(RelaunchTest, EditedSettingsAreClamped) {
  struct Case {
    const char* limit;
    const char* count;
    const char* wait;
    int restarts;  // how many runs start zor2 before the limit stops them
    uint32_t waitMs;
  };
  const Case cases[] = {
      {"0", "0", "5", 0, 0},
      {"1", "0", "0", 1, 0},
      {"99", "0", "1", kRelaunchMaxLimit, 1000},
      {"3", "-7", "9999", 3, kRelaunchMaxWaitSeconds * 1000u},
      {"3", "junk", "-4", 3, 0},
      {"5", "99", "2", 0, 0},
      {"two", "0", "2", 0, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string("Limit=") + c.limit + " Count=" + c.count + " Wait=" + c.wait);
    std::filesystem::remove(IniPath());
    m_clock.sleeps.clear();
    Set("Limit", c.limit);
    Set("Count", c.count);
    Set("Wait", c.wait);
    int started = 0;
    while (Run() == RelaunchResult::Started && started <= kRelaunchMaxLimit) ++started;
    EXPECT_EQ(started, c.restarts);
    if (c.restarts > 0) {
      EXPECT_EQ(m_clock.sleeps.front(), c.waitMs);
    }
  }
}

TEST(RelaunchCommandLine, StateAnywhereInAnyCase) {
  EXPECT_TRUE(IsStateMode("state"));
  EXPECT_TRUE(IsStateMode("  STATE"));
  EXPECT_TRUE(IsStateMode("/restate now"));
  EXPECT_FALSE(IsStateMode(""));
  EXPECT_FALSE(IsStateMode("stat e"));
}

}  // namespace
}  // namespace zor
