#include "service/monitor.h"

#include <gtest/gtest.h>

#include <string>

#include "platform/atomic_file.h"
#include "tests/unit/service/service_fakes.h"
#include "tests/unit/store/store_dir.h"

namespace zor {
namespace {

TEST(ThrottleRule, SwitchesOnlyWhenTheLoadCrossesTenPercent) {
  test::TextTrace trace;
  int32_t prev = 0;
  for (int32_t usage : {5, 50, 50, 60, 10, 10, 3, 11}) ApplyThrottleRule(usage, prev, trace);
  EXPECT_EQ(trace.text, "Set Throttling=0\nSet Throttling=4\nSet Throttling=0\n");
  EXPECT_EQ(prev, 11);
}

class LoopTest : public ::testing::Test {
 protected:
  LoopTest()
      : locks(20), engine(board, table.View(), store, clock, trace, locks, flags.usage) {
    board.sensors[test::kVoltageReg] = 100;
    table.Scale(200000);
    flags.running = true;
  }
  // Stops the loop after n cycles.
  void StopAfter(int cycles) {
    clock.onSleep = [this, cycles] {
      if (++m_sleeps >= cycles) flags.running = false;
    };
  }

  test::PortBoard board;
  test::TableBytes table;
  test::MemoryValues store;
  test::ManualClock clock;
  test::TextTrace trace;
  HardwareLocks locks;
  ServiceFlags flags;
  SavingsEngine engine;

 private:
  int m_sleeps = 0;
};

TEST_F(LoopTest, SaveTimeCountsCyclesAndPublishesEachSecond) {
  table.Control(fw::cf::kActive | fw::cf::kThrottle | (1 << fw::cf::kLevelShift));
  // The sampler's first value is 0; the load rises later.
  int sleeps = 0;
  clock.onSleep = [&] {
    if (++sleeps == 3) flags.usage = 50;
    if (sleeps >= 25) flags.running = false;
  };
  const uint64_t start = clock.now;
  RunLoop(engine, flags, clock, trace);
  EXPECT_NEAR(engine.SaveTime(), 2.5, 1e-9);
  EXPECT_EQ(clock.now - start, 2500u);
  // "Set Throttling=0" once for the rise above 10 %, then the stop.
  EXPECT_EQ(trace.text, "Set Throttling=0\nExit main while loop!!\n");
  // The half second since the last publication reached the file on the way out.
  EXPECT_EQ(store.At("SaveTime"), "2.500000");
}

TEST_F(LoopTest, NoThrottlingLinesWhenDisabledOrInactive) {
  for (uint16_t control : {uint16_t(fw::cf::kActive), uint16_t(fw::cf::kThrottle)}) {
    trace.text.clear();
    table.Control(control);
    flags.running = true;
    flags.usage = 90;
    StopAfter(3);
    RunLoop(engine, flags, clock, trace);
    EXPECT_EQ(trace.text, "Exit main while loop!!\n");
  }
}

// Slow cycles do not stretch the period: the next deadline is fixed before the work.
TEST_F(LoopTest, CyclesKeepToTheirDeadlines) {
  table.Control(fw::cf::kActive);
  board.busyPolls = 0;
  int cycles = 0;
  clock.onSleep = [&] {
    if (clock.now % 100 != 0) return;
    if (++cycles == 50) flags.running = false;
  };
  const uint64_t start = clock.now;
  RunLoop(engine, flags, clock, trace);
  EXPECT_EQ(clock.now - start, 5000u);
  EXPECT_NEAR(engine.SaveTime(), 5.0, 1e-9);
}

// The hours of saving reach the history file: one line per local hour once it is over, the hour
// in progress at the stop, and their sum is what the totals gained.
TEST_F(LoopTest, SavingCyclesFillTheHourlyHistory) {
  table.Control(fw::cf::kActive | (1 << fw::cf::kLevelShift));
  StoreDir dir;
  int cycles = 0;
  EnergyHistoryLog history(dir.File("History.csv"), [&] {
    return HourStamp{2026, 12, 10, cycles < 20 ? 7 : 8};
  });
  double joules = 0;  // the power each cycle measured, held for its tenth of a second
  clock.onSleep = [&] {
    if (clock.now % 100 != 0) return;
    joules += engine.CpuMax() * 0.1;
    if (++cycles >= 30) flags.running = false;
  };
  const double before = engine.Total();
  RunLoop(engine, flags, clock, trace, &history);
  std::string text;
  ASSERT_EQ(ReadWholeFile(dir.File("History.csv"), text), FileRead::Ok);
  const std::vector<HistoryHour> hours = ParseHistory(text);
  ASSERT_EQ(hours.size(), 2u);
  EXPECT_EQ(hours[0].when.hour, 7);
  EXPECT_EQ(hours[1].when.hour, 8);
  EXPECT_NEAR(hours[0].seconds + hours[1].seconds, 3.0, 1e-9);
  EXPECT_NEAR(hours[0].energy + hours[1].energy, engine.Total() - before, 1e-6);
  EXPECT_GT(hours[0].energy, 0.0);
  // Beside the saving figure, the CPU energy measured, in Wh, all of it while saving.
  ASSERT_GT(joules, 0.0);
  EXPECT_NEAR(hours[0].cpuWh + hours[1].cpuWh, joules / 3600, 1e-6);
  EXPECT_NEAR(hours[0].cpuWhSaving + hours[1].cpuWhSaving, joules / 3600, 1e-6);
  EXPECT_NEAR(hours[0].measuredSeconds + hours[1].measuredSeconds, 3.0, 1e-9);
}

TEST(RunService, StartFailuresAreTracedAndStopTheService) {
  test::PortBoard board;  // no "$ESY4" pointer behind it
  test::MemoryValues store;
  test::ManualClock clock;
  test::TextTrace trace;
  HardwareLocks locks(20);
  ServiceFlags flags;
  flags.running = true;
  int stops = 0;
  bool samplerStarted = false;
  Hwk* hwk = nullptr;
  ServiceDeps deps{trace, flags, clock, store, locks, [&] { return hwk; },
                   [&] { ++stops; flags.running = false; }, [&] { samplerStarted = true; }};

  RunService(deps);
  EXPECT_EQ(trace.text, "Just before processing loop...\nLoad hwk.dll failure!!\n");

  trace.text.clear();
  hwk = &board;
  RunService(deps);
  EXPECT_EQ(trace.text.rfind("Just before processing loop...\n", 0), 0u);
  EXPECT_NE(trace.text.find("init Error!!\n"), std::string::npos);
  EXPECT_EQ(stops, 1);
  EXPECT_FALSE(samplerStarted);
}

}  // namespace
}  // namespace zor
