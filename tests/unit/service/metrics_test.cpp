#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>

#include "platform/atomic_file.h"
#include "service/metrics_publisher.h"
#include "service/metrics_text.h"
#include "service/monitor.h"
#include "service/run_counters.h"
#include "tests/unit/service/service_fakes.h"
#include "tests/unit/store/store_dir.h"

namespace zor {
namespace {

MetricsSnapshot Sample() {
  MetricsSnapshot s;
  s.savingFigure = 0.043821;
  s.cpuJoules = 123456.75;
  s.savingSeconds = 26.1;
  s.cpuWatts = 33.748;
  s.saving = true;
  s.level = 2;
  s.version = "2.0";
  s.revision = "0x21";
  s.currentSensing = "register";
  return s;
}

TEST(MetricsText, EveryFamilyHasHelpTypeAndOneSample) {
  const std::string text = FormatMetrics(Sample());
  EXPECT_EQ(
      text,
      "# HELP zorwise_saving_figure_total Energy-saving figure since the start date, by the "
      "firmware's formula (Total in INFO.DAT); it has no physical unit.\n"
      "# TYPE zorwise_saving_figure_total counter\n"
      "zorwise_saving_figure_total 0.043821\n"
      "# HELP zorwise_cpu_energy_joules_total CPU energy measured since the service started: "
      "each cycle's CPU power times the cycle time.\n"
      "# TYPE zorwise_cpu_energy_joules_total counter\n"
      "zorwise_cpu_energy_joules_total 123456.75\n"
      "# HELP zorwise_saving_seconds_total Time spent with the firmware's energy saving on, "
      "since the service started.\n"
      "# TYPE zorwise_saving_seconds_total counter\n"
      "zorwise_saving_seconds_total 26.1\n"
      "# HELP zorwise_cpu_power_watts CPU power measured in the last cycle.\n"
      "# TYPE zorwise_cpu_power_watts gauge\n"
      "zorwise_cpu_power_watts 33.748\n"
      "# HELP zorwise_saving_active Whether the firmware's energy saving is on (1) or off (0).\n"
      "# TYPE zorwise_saving_active gauge\n"
      "zorwise_saving_active 1\n"
      "# HELP zorwise_saving_level Energy-saving level the firmware holds: 1 (L1, mildest) to 3 "
      "(L3, strongest); 0 unknown.\n"
      "# TYPE zorwise_saving_level gauge\n"
      "zorwise_saving_level 2\n"
      "# HELP zorwise_board_info The service's version and the board as it measures it: "
      "firmware revision and how the CPU current is sensed.\n"
      "# TYPE zorwise_board_info gauge\n"
      "zorwise_board_info{version=\"2.0\",firmware_revision=\"0x21\",current_sensing=\"register\"} "
      "1\n");
}

// Label values are escaped, and numbers no C locale would print as Go reads them are spelled its
// way.
TEST(MetricsText, EscapesLabelsAndSpellsOddNumbersAsTheFormatAsks) {
  MetricsSnapshot s = Sample();
  s.version = "2.0 \"beta\"\\\nx";
  s.cpuWatts = std::strtod("nan", nullptr);
  s.cpuJoules = 1e300 * 1e300;
  const std::string text = FormatMetrics(s);
  EXPECT_NE(text.find("version=\"2.0 \\\"beta\\\"\\\\\\nx\""), std::string::npos) << text;
  EXPECT_NE(text.find("zorwise_cpu_power_watts NaN\n"), std::string::npos);
  EXPECT_NE(text.find("zorwise_cpu_energy_joules_total +Inf\n"), std::string::npos);
}

// Prometheus' own checker (and linter) on what the service writes: with and without awkward labels.
TEST(MetricsText, PassesPromtool) {
  if (std::system("command -v promtool >/dev/null 2>&1") != 0) GTEST_SKIP() << "no promtool";
  StoreDir dir;
  MetricsSnapshot awkward = Sample();
  awkward.version = "2.0 \"beta\"\\\n";
  awkward.saving = false;
  awkward.level = 0;
  for (const MetricsSnapshot& s : {Sample(), awkward, MetricsSnapshot{}}) {
    const std::string file = dir.File("zorwise.prom");
    ASSERT_EQ(ReplaceWholeFile(file, FormatMetrics(s)), FileWrite::Ok);
    const std::string command =
        "promtool check metrics < " + file + " >" + dir.File("out") + " 2>&1";
    std::string out;
    const int status = std::system(command.c_str());
    ReadWholeFile(dir.File("out"), out);
    EXPECT_EQ(status, 0) << out;
    EXPECT_EQ(out, "") << "lint findings";
  }
}

TEST(MetricsText, LevelsFromTheFirmwaresCodes) {
  const std::pair<int, int> cases[] = {{5, 1}, {3, 2},  {1, 3}, {0, 1},
                                       {4, 1}, {14, 1}, {7, 0}, {15, 0}};
  for (auto [code, level] : cases) EXPECT_EQ(LevelFromCode(code), level) << "code " << code;
}

TEST(RunCounters, PowerTimesCycleTimeAndSavingTime) {
  RunCounters counters;
  counters.Cycle(30.0, true, 0.1);
  counters.Cycle(50.0, false, 0.1);
  counters.Cycle(std::strtod("nan", nullptr), true, 0.1);  // never poisons the sum
  counters.Cycle(-4.0, false, 0.1);
  EXPECT_DOUBLE_EQ(counters.CpuJoules(), 8.0);
  EXPECT_DOUBLE_EQ(counters.SavingSeconds(), 0.2);
}

class MetricsLoopTest : public ::testing::Test {
 protected:
  MetricsLoopTest()
      : locks(20),
        engine(board, table.View(), store, clock, trace, locks, flags.usage),
        metrics(
            clock, trace, [this] { return folder; }, "2.0") {
    board.sensors[test::kVoltageReg] = 100;  // 1.0 V
    table.Scale(200000);                     // 2.0 A while saving
    flags.running = true;
  }
  // Runs the loop for so many cycles; atCycle(n) runs in the n-th cycle's sleep, after its
  // measurement and before its metrics.
  void RunCycles(int cycles, std::function<void(int)> atCycle = {}) {
    int done = 0;
    clock.onSleep = [this, &done, cycles, atCycle] {
      if (clock.now % 100 != 0) return;
      ++done;
      if (atCycle) atCycle(done);
      if (done >= cycles) flags.running = false;
    };
    flags.running = true;
    RunLoop(engine, flags, clock, trace, nullptr, &metrics);
  }
  std::string Metric(const std::string& name) {
    std::string text;
    if (ReadWholeFile(dir.File("zorwise.prom"), text) != FileRead::Ok) return "no file";
    const size_t at = text.find("\n" + name + " ");
    if (at == std::string::npos) return "missing";
    const size_t begin = at + name.size() + 2;
    return text.substr(begin, text.find('\n', begin) - begin);
  }

  test::PortBoard board;
  test::TableBytes table;
  test::MemoryValues store;
  test::ManualClock clock;
  test::TextTrace trace;
  HardwareLocks locks;
  ServiceFlags flags;
  SavingsEngine engine;
  StoreDir dir;
  std::string folder;
  MetricsPublisher metrics;
};

// The first cycle writes the file, the next write comes 15 s later with the CPU energy of every
// cycle in between: 150 saving cycles at 2 W, then one with saving off at 4 W.
TEST_F(MetricsLoopTest, WritesEveryFifteenSecondsWithTheEnergyOfEachCycle) {
  folder = dir.File("");
  table.Control(fw::cf::kActive | (fw::kLevelL3 << fw::cf::kLevelShift));
  RunCycles(151, [&](int cycle) {
    if (cycle == 2) {
      EXPECT_EQ(Metric("zorwise_cpu_energy_joules_total"), "0.2");
      EXPECT_EQ(Metric("zorwise_saving_level"), "3");
    }
    if (cycle == 150) {
      EXPECT_EQ(Metric("zorwise_cpu_energy_joules_total"), "0.2");  // 14.9 s: not yet
      table.Control(fw::kLevelL2 << fw::cf::kLevelShift);
    }
  });
  EXPECT_EQ(Metric("zorwise_cpu_energy_joules_total"), "30.4");
  EXPECT_EQ(Metric("zorwise_saving_seconds_total"), "15");
  EXPECT_EQ(Metric("zorwise_saving_active"), "0");
  EXPECT_EQ(Metric("zorwise_saving_level"), "2");
  EXPECT_EQ(Metric("zorwise_cpu_power_watts"), "4");  // inactive: (0 + 1 + 1) x 2 A x 1 V
  EXPECT_NEAR(std::stod(Metric("zorwise_saving_figure_total")), engine.Total(), 1e-9);
  EXPECT_GT(engine.Total(), 0.0);
  EXPECT_EQ(dir.Listing(), "zorwise.prom");  // no temporary file left beside it
}

TEST_F(MetricsLoopTest, NothingWhileTheFolderIsUnsetAndAMissingFolderIsTracedOnce) {
  table.Control(fw::cf::kActive);
  RunCycles(160);
  EXPECT_EQ(dir.Listing(), "");
  folder = dir.File("missing");
  RunCycles(400);
  const std::string line = "Write metrics failure: " + dir.File("missing/zorwise.prom") + "!!\n";
  const size_t at = trace.text.find(line);
  EXPECT_NE(at, std::string::npos) << trace.text;
  EXPECT_EQ(trace.text.find("Write metrics failure", at + 1), std::string::npos) << trace.text;
  folder = dir.File("");  // set while running: taken at the next write
  RunCycles(150);
  EXPECT_NE(Metric("zorwise_saving_active"), "no file");
}

}  // namespace
}  // namespace zor
