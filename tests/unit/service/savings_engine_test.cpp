#include "service/savings_engine.h"

#include <gtest/gtest.h>

#include <filesystem>

#include <atomic>
#include <cmath>
#include <cstdlib>
#include <string>

#include "common/info_store.h"
#include "tests/unit/service/service_fakes.h"
#include "tests/unit/store/store_dir.h"

namespace zor {
namespace {

using test::kCurrentReg;
using test::kVoltageReg;

constexpr uint16_t kActive = fw::cf::kActive;

uint16_t Level(int code) { return static_cast<uint16_t>(code << fw::cf::kLevelShift); }

class EngineTest : public ::testing::Test {
 protected:
  EngineTest() : locks(20) {
    board.sensors[kVoltageReg] = 100;  // 100 x 10 mV = 1.0 V
    board.sensors[kCurrentReg] = 0;
  }
  SavingsEngine& Engine() {
    if (!engine) {
      engine.reset(new SavingsEngine(board, table.View(), store, clock, trace, locks, usage));
    }
    return *engine;
  }
  double Real(const char* key) { return std::atof(store.At(key).c_str()); }

  test::PortBoard board;
  test::TableBytes table;
  test::MemoryValues store;
  test::ManualClock clock;
  test::TextTrace trace;
  HardwareLocks locks;
  std::atomic<int32_t> usage{42};
  std::unique_ptr<SavingsEngine> engine;
};

TEST(EfficiencyFactor, TableOfWeights) {
  EXPECT_EQ(EfficiencyFactor(0), 0.0);
  EXPECT_EQ(EfficiencyFactor(1), 0.0);
  EXPECT_EQ(EfficiencyFactor(2), 0.85);
  EXPECT_DOUBLE_EQ(EfficiencyFactor(14), 1.0);
  EXPECT_DOUBLE_EQ(EfficiencyFactor(62), 1.6);
  EXPECT_EQ(EfficiencyFactor(63), 0.0);
  EXPECT_EQ(EfficiencyFactor(200), 0.0);
}

// Register mode: a reading of 0 counts as 1, and one more while saving is off on a large scale.
TEST_F(EngineTest, RegisterModeCurrent) {
  struct Case { uint8_t reading; uint32_t scale; bool active; double amps; };
  const Case cases[] = {
      {0, 200000, false, 4.0}, {0, 200000, true, 2.0},  {0, 160000, false, 1.6},
      {9, 100000, false, 9.0}, {9, 200000, false, 20.0}, {255, 1000, true, 2.55},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << int(c.reading) << " " << c.scale << " " << c.active);
    board.sensors[kCurrentReg] = c.reading;
    table.Scale(c.scale);
    table.Control(c.active ? kActive : 0);
    Engine().RunCycle();
    EXPECT_DOUBLE_EQ(Engine().Vout(), 1.0);
    EXPECT_NEAR(Engine().CpuMax(), c.amps, 1e-12);
  }
}

TEST_F(EngineTest, InactiveWritesOnlyCpuMax) {
  table.Scale(200000);
  Engine().RunCycle();
  EXPECT_FALSE(Engine().Active());
  EXPECT_EQ(store.At("CPU_MAX"), "4.000000");
  EXPECT_EQ(store.writes, std::vector<std::string>{"CPU_MAX"});
  EXPECT_EQ(Engine().Current(), 0.0);

  // A power of 0 is not written at all.
  store.writes.clear();
  table.Scale(0);
  Engine().RunCycle();
  EXPECT_TRUE(store.writes.empty());
}

TEST_F(EngineTest, EnergyFormulas) {
  struct Case { int control; uint8_t divisor; uint8_t efficiencyIndex; double energy; };
  // I = 2.0 (reading 0 -> 1, scale 200000); y = I x (1 + efficiency).
  const Case cases[] = {
      {kActive | Level(5), 0, 0, 2.0 * 2.777777777777778e-06 * 0.4444444444444444},
      {kActive | Level(3), 0, 0, 2.0 * 2.777777777777778e-06 * 0.6666666666666666},
      {kActive | Level(1), 0, 0, 2.0 * 2.777777777777778e-06},
      {kActive | Level(1), 0, 14, 4.0 * 2.777777777777778e-06},
      // The divisor formula needs bit 1 and a divisor; with divisor 0 the plain one applies.
      {kActive | fw::cf::kUseDivisor | Level(1), 0, 0, 2.0 * 2.777777777777778e-06},
      {kActive | fw::cf::kUseDivisor | Level(1), 4, 0, 2.0 * 10.0 / 50.0 * 2.777777777777778e-05 * 1.5},
      {kActive | fw::cf::kUseDivisor | Level(3), 4, 0, 2.0 * 10.0 / 50.0 * 2.777777777777778e-05},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << std::hex << c.control << " " << int(c.divisor));
    engine.reset();
    table.Scale(200000);
    table.Control(static_cast<uint16_t>(c.control));
    table.View().Write8(fw::et::kSaveDivisor, c.divisor);
    table.View().Write8(fw::et::kEfficiencyIndex, c.efficiencyIndex);
    ASSERT_TRUE(Engine().Prepare());
    Engine().RunCycle();
    EXPECT_DOUBLE_EQ(Engine().Current(), c.energy);
    EXPECT_DOUBLE_EQ(Engine().Total(), c.energy);
  }
}

TEST_F(EngineTest, PublishesOnWholeSecondsOnly) {
  table.Scale(200000);
  table.Control(kActive | Level(1));
  usage = 37;
  Engine().SetSaveTime(3.0);
  Engine().RunCycle();
  EXPECT_EQ(store.writes, (std::vector<std::string>{"VOUT", "CPU_MAX", "Current", "Total",
                                                    "SaveTime", "Usage", "Phase"}));
  EXPECT_EQ(store.At("VOUT"), "1.000000");
  EXPECT_EQ(store.At("SaveTime"), "3.000000");
  EXPECT_EQ(store.At("Usage"), "37");
  EXPECT_EQ(store.At("Phase"), "1");
  EXPECT_EQ(store.At("Current"), "0.000006");  // 5.56e-06 at six decimals

  store.writes.clear();
  Engine().SetSaveTime(3.1);
  Engine().RunCycle();
  EXPECT_TRUE(store.writes.empty());
}

TEST_F(EngineTest, ZeroEnergyPublishesOnlyVoltageAndPower) {
  table.Scale(0);  // no current, so no power and no energy
  table.Control(kActive | Level(1));
  Engine().RunCycle();
  EXPECT_TRUE(Engine().Active());
  EXPECT_EQ(store.writes, std::vector<std::string>{"VOUT"});
  EXPECT_FALSE(store.Has("Current"));
}

TEST_F(EngineTest, SaveTimeWrapsAfterNinetyNineDays) {
  table.Scale(200000);
  table.Control(kActive | Level(1));
  Engine().SetSaveTime(8639999.05);
  Engine().RunCycle();
  EXPECT_EQ(Engine().SaveTime(), 0.0);
  EXPECT_EQ(store.At("SaveTime"), "0.000000");

  Engine().SetSaveTime(8639999.0);  // not past the limit yet
  Engine().RunCycle();
  EXPECT_EQ(Engine().SaveTime(), 8639999.0);
}

TEST_F(EngineTest, ResetRequestClearsCurrentAndSaveTimeButNotTotal) {
  table.Scale(200000);
  table.Control(kActive | Level(1));
  store.values["current"] = "5.0";
  store.values["total"] = "9.5";
  store.values["savetime"] = "12.0";
  Engine().RestoreTotals();
  store.values["cmd"] = "1";  // as the GUI writes it
  Engine().RunCycle();
  const double e = 2.0 * 2.777777777777778e-06;
  EXPECT_EQ(store.At("Cmd"), "0");
  EXPECT_EQ(Engine().Current(), 0.0);
  EXPECT_EQ(Engine().SaveTime(), 0.0);
  EXPECT_DOUBLE_EQ(Engine().Total(), 9.5 + e);
  EXPECT_EQ(store.At("Current"), "0.000000");
  EXPECT_EQ(store.At("Total"), "9.500006");
}

TEST_F(EngineTest, RestoredFiguresThatAreNotCountsStartAtZero) {
  store.values["current"] = "nan";
  store.values["total"] = "-3";
  store.values["savetime"] = "77.5";
  Engine().RestoreTotals();
  EXPECT_EQ(Engine().Current(), 0.0);
  EXPECT_EQ(Engine().Total(), 0.0);
  EXPECT_EQ(Engine().SaveTime(), 77.5);
}

TEST_F(EngineTest, FailedReadingsLeaveEverythingAlone) {
  table.Scale(200000);
  table.Control(kActive | Level(1));
  board.sensors[kVoltageReg] = 0xFF;
  Engine().RunCycle();
  EXPECT_EQ(Engine().Current(), 0.0);
  EXPECT_TRUE(store.writes.empty());

  // Another tool holding the sensor lock skips the cycle the same way.
  board.sensors[kVoltageReg] = 100;
  NamedMutex other(locks::kIsaBus);
  ASSERT_TRUE(other.Lock(100));
  Engine().RunCycle();
  other.Unlock();
  EXPECT_EQ(Engine().Current(), 0.0);
  EXPECT_TRUE(store.writes.empty());

  Engine().RunCycle();
  EXPECT_GT(Engine().Current(), 0.0);
}

TEST_F(EngineTest, SkipBitSuppressesOneCycle) {
  table.Scale(200000);
  table.Control(kActive | Level(1));
  table.Status(fw::sf::kSkip);
  Engine().RunCycle();
  EXPECT_EQ(table.View().U16(fw::et::kStatusFlags), 0);
  EXPECT_EQ(Engine().Current(), 0.0);
  Engine().RunCycle();
  EXPECT_GT(Engine().Current(), 0.0);
}

TEST_F(EngineTest, FailedWritesAreTraced) {
  table.Scale(200000);
  store.failWrites = true;
  Engine().RunCycle();
  EXPECT_EQ(trace.text, "SetQVValue failure!!\n");

  // A file that cannot be saved fails the write just the same, whether saving is off or on.
  store.failWrites = false;
  for (uint16_t control : {uint16_t(0), uint16_t(kActive | Level(1))}) {
    trace.text.clear();
    store.failTransactions = 1;
    table.Control(control);
    Engine().SetSaveTime(2.0);
    clock.now += 1000;
    Engine().RunCycle();
    EXPECT_EQ(trace.text, "SetQVValue failure!!\n") << control;
  }
}

// While saving is off the power figure follows every cycle, but the file is replaced at most once
// a second (the window reads it once a second).
TEST_F(EngineTest, SavingOffWritesThePowerFigureOnceASecond) {
  table.Scale(100000);
  for (int cycle = 0; cycle < 50; ++cycle) {
    board.sensors[kCurrentReg] = static_cast<uint8_t>(10 + cycle);
    Engine().RunCycle();
    EXPECT_NEAR(Engine().CpuMax(), (10 + cycle) * 1.0, 1e-9);
    clock.now += 100;
  }
  EXPECT_EQ(store.writes.size(), 5u);
  EXPECT_EQ(store.At("CPU_MAX"), "50.000000");  // the figure of cycle 40
}

// A read-only INFO.DAT says so once, not every second; a save that works again re-arms the line.
TEST_F(EngineTest, ReadOnlyFileIsTracedOnce) {
  table.Scale(200000);
  table.Control(kActive | Level(1));
  store.failure = StoreResult::kReadOnly;
  store.failTransactions = 3;
  for (int second = 0; second < 4; ++second) {
    Engine().SetSaveTime(second);
    Engine().RunCycle();
  }
  store.failTransactions = 1;
  Engine().SetSaveTime(9.0);
  Engine().RunCycle();
  EXPECT_EQ(trace.text, "SetQVValue failure: INFO.DAT is read-only!!\n"
                        "SetQVValue failure: INFO.DAT is read-only!!\n");
}

// A file that is there but cannot be read is not a missing file: nothing is restored from it, so
// the first publication cannot overwrite the stored Total with a count that started at 0.
TEST_F(EngineTest, UnreadableFileRestoresNothing) {
  StoreDir dir;
  const std::string path = dir.File("INFO.DAT");
  InfoStore info(path);
  InfoValueStore values(info);
  SavingsEngine service(board, table.View(), values, clock, trace, locks, usage);
  // A directory in the file's place cannot be read by anyone, whatever the account's rights.
  std::filesystem::create_directory(path);
  EXPECT_EQ(service.RestoreTotals(), StoreResult::kNotAFile);
  std::filesystem::remove(path);
  ASSERT_TRUE(info.Write("VALUE", "Total", "1234.500000"));
  EXPECT_EQ(service.RestoreTotals(), StoreResult::kOk);
  EXPECT_EQ(service.Total(), 1234.5);
  std::filesystem::remove(path);
  EXPECT_EQ(service.RestoreTotals(), StoreResult::kOk);  // missing: start at 0
  EXPECT_EQ(service.Total(), 0.0);
}

TEST_F(EngineTest, FlushWritesWhatTheLastSecondGathered) {
  table.Scale(200000);
  table.Control(kActive | Level(1));
  Engine().SetSaveTime(1.0);
  Engine().RunCycle();  // published
  Engine().Flush();
  EXPECT_EQ(store.writes.size(), 7u);  // nothing new to write

  Engine().SetSaveTime(1.3);
  Engine().RunCycle();
  store.writes.clear();
  Engine().Flush();
  EXPECT_EQ(store.writes, (std::vector<std::string>{"Current", "Total", "SaveTime"}));
  EXPECT_DOUBLE_EQ(Real("Total"), std::round(Engine().Total() * 1e6) / 1e6);
}

// ---- Range mode --------------------------------------------------------------------------------

void AddRange(test::TableBytes& table, uint32_t index, uint16_t low, uint16_t high, uint32_t coef) {
  const size_t at = fw::et::kCurrentRanges + index * fw::cr::kSize;
  table.View().Write16(at + fw::cr::kLow, low);
  table.View().Write16(at + fw::cr::kHigh, high);
  table.View().Write32(at + fw::cr::kCoefficient, coef);
}

TEST_F(EngineTest, RangeModeCurrent) {
  table.Status(fw::sf::kRangeMode);
  table.Scale(3);  // three ranges
  AddRange(table, 0, 0, 50, 100000);
  AddRange(table, 1, 40, 100, 200000);  // overlaps: a later match wins
  AddRange(table, 2, 150, 200, 300000);
  struct Case { uint8_t reading; double amps; };
  const Case cases[] = {{0, 1.0}, {20, 20.0}, {45, 90.0}, {120, 1.0 /* VOUT */}, {200, 600.0}};
  for (const Case& c : cases) {
    SCOPED_TRACE(int(c.reading));
    board.sensors[kCurrentReg] = c.reading;
    Engine().RunCycle();
    EXPECT_DOUBLE_EQ(Engine().CpuMax(), c.amps);
  }
  table.Scale(0);  // no ranges: the voltage's figure
  board.sensors[kCurrentReg] = 20;
  Engine().RunCycle();
  EXPECT_DOUBLE_EQ(Engine().CpuMax(), 1.0);
}

TEST_F(EngineTest, RangeCountPastTheMappingIsRefused) {
  table.Status(fw::sf::kRangeMode);
  table.Control(kActive | Level(1));
  table.Scale(0x10000000);
  Engine().RunCycle();
  Engine().RunCycle();
  EXPECT_EQ(Engine().Current(), 0.0);
  EXPECT_NE(trace.text.find("CurrentRange"), std::string::npos);
  EXPECT_EQ(trace.text.find('\n'), trace.text.size() - 1);  // one line, not one per cycle
}

// ---- SMBus mode ------------------------------------------------------------------------------

class SmbusEngineTest : public EngineTest {
 protected:
  SmbusEngineTest() {
    table.Status(fw::sf::kSmbusRegulator);
    table.View().Write16(fw::et::kVrBlockOffset, kVr);
    table.View().Write8(kVr + fw::vr::kSmbusAddress, 0x90);
    table.View().Write8(kVr + fw::vr::kPhaseCommand, 0x8A);
    table.View().Write8(kVr + fw::vr::kEntryCount, 3);
    for (uint32_t i = 0; i < 3; ++i) {
      table.View().Write32(kVr + fw::vr::kEntries + i * fw::vr::kEntrySize + fw::vr::kEntryCoefficient,
                           100000 * (i + 1));
    }
  }
  static constexpr uint32_t kVr = 0x200;
};

TEST_F(SmbusEngineTest, PhaseStateSelectsTheCoefficient) {
  ASSERT_TRUE(Engine().Prepare());
  EXPECT_EQ(trace.text, "1\n2\n3\n4\n5\n6\n");
  EXPECT_EQ(Engine().SmbusBase(), test::kSmbusBase);
  struct Case { uint8_t phaseState; uint8_t reading; double amps; };
  const Case cases[] = {{0, 0, 1.0}, {0xF9, 10, 20.0}, {2, 10, 30.0}, {5, 10, 0.0}};
  for (const Case& c : cases) {
    SCOPED_TRACE(int(c.phaseState));
    board.phaseState = c.phaseState;
    board.sensors[kCurrentReg] = c.reading;
    Engine().RunCycle();
    EXPECT_DOUBLE_EQ(Engine().CpuMax(), c.amps);
    EXPECT_EQ(Engine().Phase(), c.phaseState & 7);
  }
  // The controller is addressed in its read form.
  EXPECT_EQ(board.smbusWrites[1], (std::pair<uint32_t, uint32_t>(4, 0x91)));
}

TEST_F(SmbusEngineTest, FailedTransfersSkipTheCycle) {
  ASSERT_TRUE(Engine().Prepare());
  table.Control(kActive | Level(1));
  board.sensors[kCurrentReg] = 10;
  board.phaseState = 0xFF;
  Engine().RunCycle();
  board.phaseState = 1;
  board.sensors[kCurrentReg] = 0xFF;
  Engine().RunCycle();
  board.sensors[kCurrentReg] = 10;
  board.busyPolls = -1;  // stuck controller
  Engine().RunCycle();
  EXPECT_EQ(Engine().Current(), 0.0);
  EXPECT_EQ(Engine().CpuMax(), 0.0);
}

TEST_F(SmbusEngineTest, VrBlockOutsideTheMappingIsRefused) {
  table.View().Write16(fw::et::kVrBlockOffset, 8180);
  EXPECT_FALSE(Engine().Prepare());
  EXPECT_NE(trace.text.find("VrBlock"), std::string::npos);
}

}  // namespace
}  // namespace zor
