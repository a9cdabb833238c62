#include <gtest/gtest.h>

#include <condition_variable>
#include <mutex>
#include <optional>

#include "common/firmware_layout.h"
#include "common/firmware_tables.h"
#include "gui/settings/settings_worker.h"
#include "tests/unit/settings/settings_rig.h"

namespace zor::test {
namespace {

constexpr uint32_t kMem = 1500000;
constexpr uint32_t kNb = 1100000;
constexpr uint32_t kSb = 1050000;
constexpr uint32_t kVtt = 1200000;
constexpr uint32_t kPchVtt = 1100000;
constexpr uint32_t kPch = 1050000;
constexpr uint32_t kPchOverride = 1100000 - 40000;  // second value less the matching adjustment

TEST(Rails, LoadRailBasesFindsEachRoleAndStoresItsBase) {
  SettingsRig rig("core2-6-probe");
  EXPECT_EQ(rig.state.m_aRails[kRailMemory].base, kMem);
  EXPECT_EQ(rig.state.m_aRails[kRailNorthBridge].base, kNb);
  EXPECT_EQ(rig.state.m_aRails[kRailSouthBridge].base, kSb);
  EXPECT_EQ(rig.state.m_aRails[kRailVtt].base, kVtt);
  EXPECT_EQ(rig.state.m_aRails[kRailPch].offset, 0u);
  EXPECT_EQ(rig.state.m_dwPchOverride, 0u);

  // The bases now live in the table, so a restart after lowering finds them again.
  rig.control->Rails().ApplyRails(fw::kLevelL3);
  rig.control->Rails().LoadRailBases();
  EXPECT_EQ(rig.state.m_aRails[kRailNorthBridge].base, kNb);
  EXPECT_EQ(rig.RailValue(kRailNorthBridge), kNb - 10000);

  SettingsRig pch("p55-24-smbus");
  EXPECT_EQ(pch.state.m_aRails[kRailPch].base, kPch);
  EXPECT_EQ(pch.state.m_dwPchOverride, kPchOverride);
  EXPECT_EQ(pch.state.m_aRails[kRailNorthBridge].offset, 0u);
  EXPECT_FALSE(pch.control->Rails().SetRailTarget(kRailNorthBridge, 10000, false));
  EXPECT_FALSE(pch.control->Rails().SetRailTarget(5, 0, true));
  EXPECT_FALSE(pch.control->Rails().SetRailTarget(-1, 0, true));
}

TEST(Rails, SecondEntryOfARailKeepsTheBaseStoredByTheFirst) {
  SettingsRig rig("core2-6-probe");
  MemoryView table = rig.state.m_pEs;
  MemoryView rails = fw::RailTableWithin(table, rig.state.m_dwEsAddr, rig.state.m_dwEs2Addr);
  fw::Profile profile;
  fw::ReadProfile(table, fw::TableProfileNumber(table), profile);
  const uint32_t nbOffset = rig.state.m_aRails[kRailNorthBridge].offset;
  const uint32_t sbOffset = rig.state.m_aRails[kRailSouthBridge].offset;
  ASSERT_NE(nbOffset, 0u);
  ASSERT_NE(sbOffset, 0u);
  ASSERT_LT(nbOffset, sbOffset);
  // The south bridge's entry now also names the north bridge's rail; no base is stored yet.
  rails.Write8(sbOffset + fw::rt::kRailId, rails.U8(nbOffset + fw::rt::kRailId));
  for (const fw::RailItem& item : profile.railItems) table.Write32(item.baseOffset(), 0);

  rig.control->Rails().LoadRailBases();
  EXPECT_EQ(rig.state.m_aRails[kRailNorthBridge].offset, sbOffset);
  EXPECT_EQ(rig.state.m_aRails[kRailNorthBridge].base, kNb);
}

TEST(Rails, ApplyRailsByLevelAndPlatform) {
  struct Case {
    const char* profile;
    int level;
    // Expected values of NB, SB, VTT, MEM, PCH after the level (0 = no such rail).
    uint32_t values[kRailRoles];
  };
  const Case cases[] = {
      {"core2-6-probe", 1, {kNb - 10000, kSb - 10000, kVtt - 10000, kMem - 2000, 0}},
      {"x58-6", 1, {kNb - 10000, kSb - 10000, kVtt, kMem - 2000, 0}},
      {"p55-24-smbus", 1, {0, 0, kPchVtt, kMem - 2000, kPchOverride}},
      {"p67-12-smbus", 1, {0, 0, kPchVtt, kMem, kPch}},
  };
  for (const Case& c : cases) {
    SettingsRig rig(c.profile);
    const uint32_t applies = rig.boardState->railApplies;
    rig.control->Rails().ApplyRails(c.level);
    for (int role = 0; role < kRailRoles; ++role) {
      EXPECT_EQ(rig.RailValue(role), c.values[role]) << c.profile << " role " << role;
    }
    EXPECT_EQ(rig.boardState->railApplies, applies + 1);

    // L1 and L2 give back every rail L3 lowered.
    for (int level : {3, 5}) {
      rig.control->Rails().ApplyRails(1);
      rig.control->Rails().ApplyRails(level);
      for (int role = 0; role < kRailRoles; ++role) {
        EXPECT_EQ(rig.RailValue(role), rig.state.m_aRails[role].base) << c.profile << " " << level;
      }
    }
  }
}

// A reduction larger than the base would wrap around as an unsigned value and reach the voltage
// regulator as a huge target: the rail keeps its present value, the user is told, the others go on.
TEST(Rails, TargetBelowZeroIsRefused) {
  SettingsRig rig("core2-6-probe");
  rig.state.m_aRails[kRailMemory].base = 1500;
  const uint32_t applies = rig.boardState->railApplies;
  rig.control->Rails().ApplyRails(1);
  EXPECT_EQ(rig.RailValue(kRailMemory), kMem);
  EXPECT_EQ(rig.RailValue(kRailNorthBridge), kNb - 10000);
  EXPECT_EQ(rig.boardState->railApplies, applies + 1);
  ASSERT_EQ(rig.boxes.ShownBoxes().size(), 1u);
  EXPECT_EQ(rig.boxes.ShownBoxes()[0].caption, "Worry");
  EXPECT_NE(rig.boxes.ShownBoxes()[0].text.find("MEM"), std::string::npos);

  // The advanced set's reduction the same way; a reduction equal to the base is still a target.
  rig.settings = {{"MEM", "1"}};
  rig.control->ApplyAdvancedSettings();
  EXPECT_EQ(rig.RailValue(kRailMemory), kMem);
  rig.state.m_aRails[kRailMemory].base = 2000;
  EXPECT_TRUE(rig.control->Rails().SetRailTarget(kRailMemory, 2000, false));
  EXPECT_EQ(rig.RailValue(kRailMemory), 0u);

  // A PCH sub-entry whose adjustment exceeds the entry's value gives no override.
  SettingsRig pch("p55-24-smbus");
  MemoryView rails =
      fw::RailTableWithin(pch.state.m_pEs, pch.state.m_dwEsAddr, pch.state.m_dwEs2Addr);
  std::vector<fw::RailEntry> entries;
  fw::ReadRailTable(rails, entries);
  for (const fw::RailEntry& entry : entries) {
    for (const fw::RailSubEntry& sub : entry.subEntries) {
      rails.Write32(sub.offset + fw::rt::kSubAdjust, entry.secondValue + 1);
    }
  }
  pch.control->Rails().LoadRailBases();
  EXPECT_EQ(pch.state.m_dwPchOverride, 0u);
  EXPECT_TRUE(pch.control->Rails().SetRailTarget(kRailPch, 5000, false));
  EXPECT_EQ(pch.RailValue(kRailPch), kPch - 5000);
}

TEST(Rails, OtherLevelOnP67PutsBridgesNotPchBack) {
  SettingsRig rig("p67-12-smbus");
  rig.control->Rails().SetRailTarget(kRailPch, 5000, false);
  rig.control->Rails().SetRailTarget(kRailMemory, 2000, false);
  rig.control->Rails().ApplyRails(7);
  EXPECT_EQ(rig.RailValue(kRailPch), kPchOverride);  // the bridges it would restore do not exist
  EXPECT_EQ(rig.RailValue(kRailMemory), kMem);
}

TEST(Levels, ApplyLevelRunsTheWholeLevel) {
  SettingsRig rig("core2-6-probe", 0, kOsNt61);
  rig.control->Vendor().LoadGraphicsClock();
  rig.control->Firmware().SetPowerItemValue(12);
  rig.SetControlFlags(0x0151);
  rig.control->ApplyLevel(3);
  const std::string powercfg = std::string("\"") + kSystemDir + "\\Powercfg\" /X ";
  EXPECT_EQ(rig.Commands(), (std::vector<std::string>{powercfg + "/monitor-timeout-ac 3",
                                                      powercfg + "/disk-timeout-ac 3"}));
  EXPECT_EQ(rig.sleeper.waits, (std::vector<uint32_t>{10, 10}));
  EXPECT_EQ(rig.RailValue(kRailNorthBridge), kNb);
  EXPECT_TRUE(rig.state.m_bVgaSaving);
  EXPECT_EQ(rig.vendors.coreReduction, 10);
  EXPECT_EQ(rig.control->Firmware().GetPowerItemValue(), std::optional<uint16_t>{0});
  EXPECT_EQ(rig.SentFlags(), std::vector<uint16_t>{0x0131});
  EXPECT_EQ(rig.state.m_nLevel, 3);

  // L1 gives the user's time-outs back and the clock its speed.
  rig.processes.Clear();
  rig.state.m_nSavedMonitorTimeout = 15;
  rig.state.m_nSavedDiskTimeout = 0;
  rig.control->ApplyLevel(5);
  EXPECT_EQ(rig.Commands(), (std::vector<std::string>{powercfg + "/monitor-timeout-ac 15",
                                                      powercfg + "/disk-timeout-ac 0"}));
  EXPECT_EQ(rig.vendors.coreReduction, 0);
  EXPECT_FALSE(rig.state.m_bVgaSaving);

  // Any other level does nothing at all.
  rig.processes.Clear();
  const size_t sent = rig.SentFlags().size();
  rig.control->ApplyLevel(7);
  EXPECT_TRUE(rig.Commands().empty());
  EXPECT_EQ(rig.SentFlags().size(), sent);
}

TEST(Levels, BurstOfRequestsAppliesInOrderAndEndsOnTheLast) {
  SettingsRig rig("core2-6-probe");
  rig.control->Vendor().LoadGraphicsClock();

  // Hold the first level inside its application while the burst arrives.
  std::mutex mutex;
  std::condition_variable released;
  bool entered = false;
  bool release = false;
  rig.sleeper.onSleep = [&] {
    std::unique_lock<std::mutex> lock(mutex);
    if (entered) return;
    entered = true;
    released.notify_all();
    released.wait(lock, [&] { return release; });
  };

  std::vector<int> applied;  // written by the worker only, read after WaitIdle
  SettingsWorker worker(*rig.control, [&](const SettingsWorker::Done& done) {
    if (done.tag == SettingsWorker::kLevelTag) applied.push_back(done.level);
  });
  worker.RequestLevel(1);
  {
    std::unique_lock<std::mutex> lock(mutex);
    released.wait(lock, [&] { return entered; });
  }
  for (int level : {3, 5, 1, 3}) worker.RequestLevel(level);
  // A GUI-thread operation waits for the level in hand.
  std::thread gui([&] {
    auto settings = rig.control->Lock();
    rig.control->Firmware().SetLedBit(true);
  });
  {
    std::lock_guard<std::mutex> lock(mutex);
    release = true;
  }
  released.notify_all();
  worker.WaitIdle();
  gui.join();

  std::vector<int> levels;
  for (uint16_t flags : rig.SentFlags()) levels.push_back((flags >> 4) & 0xF);
  // The first level, then the GUI's LED write and the last request in either order.
  ASSERT_EQ(levels.size(), 3u);
  EXPECT_EQ(levels.front(), 1);
  EXPECT_EQ(applied, (std::vector<int>{1, 3}));  // the three requests in between were replaced
  EXPECT_EQ(rig.state.m_nLevel, 3);
  EXPECT_EQ((rig.ControlFlags() >> 4) & 0xF, 3);
  EXPECT_EQ(rig.RailValue(kRailNorthBridge), kNb);
}

// Nothing asked after the last task (a close giving the user's settings back) reaches the board.
TEST(Levels, NothingRunsAfterTheLastTask) {
  SettingsRig rig("core2-6-probe");
  rig.control->Vendor().LoadGraphicsClock();
  SettingsWorker worker(*rig.control);
  EXPECT_TRUE(
      worker.PostLast(0, [](SettingsControl& c) { return c.Firmware().SetLedBit(false) ? 1 : 0; }));
  EXPECT_FALSE(worker.RequestLevel(1));
  EXPECT_FALSE(
      worker.Post(0, [](SettingsControl& c) { return c.Firmware().SetLedBit(true) ? 1 : 0; }));
  EXPECT_FALSE(
      worker.PostLast(0, [](SettingsControl& c) { return c.Firmware().SetLedBit(true) ? 1 : 0; }));
  worker.WaitIdle();
  EXPECT_EQ(rig.ControlFlags() & fw::cf::kLed, 0);
  EXPECT_EQ(rig.RailValue(kRailNorthBridge), kNb);
  EXPECT_EQ(rig.SentFlags().size(), 1u);
}

}  // namespace
}  // namespace zor::test
