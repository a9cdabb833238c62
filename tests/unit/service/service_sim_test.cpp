// The start sequence and loop against the simulated board, in each current mode and with faults.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>

#include "common/info_lock.h"
#include "common/info_store.h"
#include "platform/named_mutex.h"
#include "tests/unit/store/store_dir.h"
#include "service/monitor.h"
#include "service/value_store.h"
#include "sim/board/board.h"
#include "sim/board/board_profiles.h"
#include "sim/board/sim_hwk.h"
#include "tests/unit/service/service_fakes.h"
#include "tests/unit/store/store_dir.h"

namespace zor {
namespace {

std::string Slurp(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

class SimServiceTest : public ::testing::Test {
 protected:
  SimServiceTest() : state(new sim::BoardState), board(*state), hwk(board), locks(20) {}

  void Create(const char* profile, uint32_t faults = 0) {
    const sim::BoardProfile* found = sim::FindProfile(profile);
    ASSERT_NE(found, nullptr) << profile;
    sim::Board::Create(*state, *found);
    if (faults) board.SetFault(faults, true);
  }

  // Runs the service for the given number of 100 ms cycles.
  void Run(int cycles) {
    flags.running = true;
    int sleeps = 0;
    clock.onSleep = [&] {
      if (clock.now % 100 == 0 && ++sleeps >= cycles) flags.running = false;
    };
    ServiceDeps deps{trace, flags, clock, store, locks, [this] { return &hwk; },
                     [this] { flags.running = false; ++stops; }, [] {}};
    RunService(deps);
  }
  double Real(const char* key) { return std::atof(store.At(key).c_str()); }

  std::unique_ptr<sim::BoardState> state;
  sim::Board board;
  sim::SimHwk hwk;
  test::MemoryValues store;
  test::ManualClock clock;
  test::TextTrace trace;
  HardwareLocks locks;
  ServiceFlags flags;
  int stops = 0;
};

TEST_F(SimServiceTest, EveryCurrentModeMeasuresAndSaves) {
  for (const char* profile : {"x58-6", "x58-12-range", "p55-24-smbus"}) {
    SCOPED_TRACE(profile);
    store.values.clear();
    trace.text.clear();
    Create(profile);
    board.PinReadings(120, 60);
    Run(35);
    EXPECT_EQ(stops, 0);
    EXPECT_NE(trace.text.find("Type="), std::string::npos);
    EXPECT_NE(trace.text.find("Exit main while loop!!\n"), std::string::npos);
    EXPECT_GT(Real("VOUT"), 0.5);
    EXPECT_GT(Real("CPU_MAX"), 0.0);
    EXPECT_GT(Real("Total"), 0.0);
    EXPECT_NEAR(Real("SaveTime"), 3.5, 1e-6);
  }
}

TEST_F(SimServiceTest, RestartContinuesTheTotals) {
  Create("x58-6");
  board.PinReadings(120, 60);
  Run(20);
  const double total = Real("Total");
  ASSERT_GT(total, 0.0);
  Run(20);
  EXPECT_NEAR(Real("Total"), 2 * total, 1e-6);
  EXPECT_NEAR(Real("SaveTime"), 4.0, 1e-6);

  // A busy file at the start is waited for (two pauses of the run's 20) rather than counted
  // over from 0.
  store.failTransactions = 3;
  Run(20);
  EXPECT_NEAR(Real("Total"), 2.9 * total, 1e-6);
  EXPECT_NEAR(Real("SaveTime"), 5.8, 1e-6);
  EXPECT_NE(trace.text.find("Read INFO.DAT failure!!\n"), std::string::npos);

  // So is a file that is there but cannot be read.
  store.failure = StoreResult::kUnreadable;
  store.failTransactions = 3;
  Run(20);
  EXPECT_NEAR(Real("Total"), 3.8 * total, 1e-6);
  EXPECT_NE(trace.text.find("Read INFO.DAT failure: cannot read the file!!\n"), std::string::npos);
}

// Any process that opens INFO.DAT's lock and keeps it (here another holder in this process) no
// longer stops the service: it restores its totals, counts on and publishes, and says so once.
TEST_F(SimServiceTest, ALockKeptByAnotherProcessNeitherStopsNorLosesTheCount) {
  Create("x58-6");
  board.PinReadings(120, 60);
  StoreDir dir;
  InfoStore info(dir.File("INFO.DAT"));
  ASSERT_TRUE(info.Write("VALUE", "Total", "100.000000"));
  InfoValueStore values(info, &trace);
  NamedMutex squatter(InfoLockName(info.Path()), ObjectAccess::kSystemAndAdministrators);
  ASSERT_TRUE(squatter.Lock(0));
  flags.running = true;
  int sleeps = 0;
  clock.onSleep = [&] {
    if (clock.now % 100 == 0 && ++sleeps >= 25) flags.running = false;
  };
  ServiceDeps deps{trace, flags, clock, values, locks, [this] { return &hwk; },
                   [this] { flags.running = false; ++stops; }, [] {}};
  RunService(deps);
  squatter.Unlock();
  EXPECT_EQ(stops, 0);
  EXPECT_EQ(trace.text.find("Read INFO.DAT failure"), std::string::npos) << trace.text;
  const std::string notice = "INFO.DAT lock busy, going on without it!!\n";
  const size_t told = trace.text.find(notice);
  ASSERT_NE(told, std::string::npos) << trace.text;
  EXPECT_EQ(trace.text.find(notice, told + 1), std::string::npos) << "told once";
  EXPECT_GT(std::atof(info.Read("VALUE", "Total", "0", 255).c_str()), 100.0);
  EXPECT_NEAR(std::atof(info.Read("VALUE", "SaveTime", "0", 255).c_str()), 2.5, 1e-6);
}

// A directory or an oversized file in INFO.DAT's place is never read or written: one trace line,
// and the service measures on (its hours reach the history) rather than waiting for ever. Once a
// sound file takes its place, what the service counted is added to its Total, not written over it.
TEST_F(SimServiceTest, AnInfoDatTheStoreRefusesGivesOneLineAndTheServiceGoesOn) {
  struct Case {
    bool directory;
    const char* line;
  };
  for (const Case& c : {Case{true, "INFO.DAT is a directory, going on without it!!\n"},
                        Case{false, "INFO.DAT is larger than 1 MB, going on without it!!\n"}}) {
    SCOPED_TRACE(c.line);
    StoreDir dir;
    const std::string path = dir.File("INFO.DAT");
    const std::string large = "[VALUE]\r\nTotal=5.000000\r\n;" + std::string(kMaxInfoFileBytes, 'x') + "\r\n";
    if (c.directory) {
      std::filesystem::create_directory(path);
    } else {
      std::ofstream(path, std::ios::binary) << large;
    }
    InfoStore info(path);
    InfoValueStore values(info);
    EnergyHistoryLog history(dir.File("History.csv"), [] { return HourStamp{2026, 12, 10, 9}; });
    trace.text.clear();
    Create("x58-6");
    board.PinReadings(120, 60);
    flags.running = true;
    int sleeps = 0;
    clock.onSleep = [&] {
      if (clock.now % 100 != 0) return;
      ++sleeps;
      if (sleeps == 20) {
        std::filesystem::remove_all(path);
        std::ofstream(path, std::ios::binary) << "[VALUE]\r\nTotal=5.000000\r\n";
      }
      if (sleeps >= 35) flags.running = false;
    };
    ServiceDeps deps{trace, flags, clock, values, locks, [this] { return &hwk; },
                     [this] { flags.running = false; ++stops; }, [] {}, &history};
    RunService(deps);

    EXPECT_EQ(stops, 0);
    size_t lines = 0;
    for (size_t at = trace.text.find("INFO.DAT"); at != std::string::npos; at = trace.text.find("INFO.DAT", at + 1)) ++lines;
    EXPECT_EQ(lines, 1u) << trace.text;
    EXPECT_NE(trace.text.find(c.line), std::string::npos) << trace.text;
    EXPECT_EQ(trace.text.find("SetQVValue failure"), std::string::npos) << trace.text;
    const std::vector<HistoryHour> hours = ParseHistory(Slurp(dir.File("History.csv")));
    ASSERT_EQ(hours.size(), 1u);
    EXPECT_NEAR(hours[0].seconds, 3.5, 1e-6);
    EXPECT_NEAR(std::atof(info.Read("VALUE", "Total", "0", 255).c_str()), 5.0 + hours[0].energy, 1e-5);
  }
}

TEST_F(SimServiceTest, BoardFaultsNeverStopTheLoop) {
  struct Case { const char* profile; uint32_t fault; };
  const Case cases[] = {{"x58-6", sim::kFaultFfVoltage},
                        {"p55-24-smbus", sim::kFaultFfPhase},
                        {"p55-24-smbus", sim::kFaultFfCurrent},
                        {"p55-24-smbus", sim::kFaultSmbusStuck}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.fault);
    store.values.clear();
    trace.text.clear();
    Create(c.profile, c.fault);
    Run(12);
    EXPECT_EQ(stops, 0);
    EXPECT_NE(trace.text.find("Exit main while loop!!\n"), std::string::npos);
    EXPECT_FALSE(store.Has("Total"));
  }
}

TEST_F(SimServiceTest, RefusedFirmwareEndsTheStart) {
  struct Case { const char* profile; uint32_t fault; const char* line; };
  const Case cases[] = {
      {"x58-6", sim::kFaultRefuseQueryEt, "BIOS Not Support ZOR!!\ninit Error!!\n"},
      {"x58-6", sim::kFaultRefuseAddressEt, "Can't get ES table address!!\ninit Error!!\n"},
      {"x58-6", sim::kFaultNoEsy, "Can't SMI info!!\ninit Error!!\n"},
      {"p55-24-smbus", sim::kFaultVrOffsetOutside, "init Error!!\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.line);
    trace.text.clear();
    stops = 0;
    Create(c.profile, c.fault);
    Run(5);
    EXPECT_EQ(stops, 1);
    EXPECT_NE(trace.text.find(c.line), std::string::npos) << trace.text;
    EXPECT_EQ(trace.text.find("Exit main while loop"), std::string::npos);
  }
}

// The service keeps at most 16 coefficients, so a long entry list is no reason to refuse.
TEST_F(SimServiceTest, LongVrBlockKeepsSixteenCoefficients) {
  Create("p55-24-smbus", sim::kFaultVrCountOutside);
  board.PinReadings(120, 60);
  Run(12);
  EXPECT_EQ(stops, 0);
  EXPECT_GT(Real("Total"), 0.0);
}

TEST_F(SimServiceTest, RangeCountPastTheTableIsRefusedEachCycle) {
  Create("x58-12-range", sim::kFaultRangeCount);
  Run(12);
  EXPECT_EQ(stops, 0);
  EXPECT_NE(trace.text.find("CurrentRange"), std::string::npos);
  EXPECT_FALSE(store.Has("Total"));
}

}  // namespace
}  // namespace zor
