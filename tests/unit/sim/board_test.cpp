// The board's hardware: memory map, packet pool, PCI and SMBus, sensors and how they follow the
// load, the level and the faults; MSR, phase probe, fan and clock.
#include <gtest/gtest.h>

#include "sim/board/board_firmware.h"
#include "tests/unit/sim/sim_test_support.h"

namespace zor::sim {
namespace {

using testing::SimBoard;

TEST(SimBoardMemory, MapsOnlyRangesInsideOneRegion) {
  SimBoard sim;
  struct Case {
    uint64_t physical;
    uint64_t length;
    bool mapped;
  };
  const Case cases[] = {
      {fw::kBiosAreaPhys, fw::kBiosAreaLength, true},
      {fw::kBiosAreaPhys + 0xFFFF, 1, true},
      {fw::kBiosAreaPhys + 0xFFFF, 2, false},
      {fw::kBiosAreaPhys - 1, 2, false},
      {kEnergyTablePhys, fw::kServiceTableMapLength, true},
      {kEnergyTablePhys, fw::kServiceTableMapLength + 1, false},
      {fw::kRomPhys, fw::kRomLength, true},
      {fw::kRomPhys + 0x1000, fw::kRomLength, false},
      {kPoolPhys, kPoolSlots * kPoolSlotLength, true},
      {0x1000, 16, false},
      {fw::kBiosAreaPhys, 0, false},
      {0x1000F0000ull, 16, false},  // above 4 GiB
  };
  for (const Case& c : cases) {
    EXPECT_EQ(sim.board.Map(c.physical, c.length).data != nullptr, c.mapped)
        << std::hex << c.physical << "+" << c.length;
  }
  EXPECT_EQ(sim.hwk.MapMemEx(fw::kBiosAreaPhys, 1, 16), 0u);
  // A write through the mapping is the board's memory.
  sim.MapView(kEnergyTablePhys, 16).Write8(7, 0x5A);
  EXPECT_EQ(sim.state->tables[7], 0x5A);
}

TEST(SimBoardMemory, PoolHandsOutBoundedSlots) {
  SimBoard sim;
  uint64_t reference = 0;
  EXPECT_FALSE(sim.hwk.HWK_Alloc_Kernel_PhysMem(0, &reference));
  EXPECT_FALSE(sim.hwk.HWK_Alloc_Kernel_PhysMem(kPoolSlotLength + 1, &reference));
  uint64_t refs[kPoolSlots];
  for (uint64_t& ref : refs) ASSERT_TRUE(sim.hwk.HWK_Alloc_Kernel_PhysMem(26, &ref));
  EXPECT_FALSE(sim.hwk.HWK_Alloc_Kernel_PhysMem(26, &reference));

  uint32_t physical = 0;
  ASSERT_TRUE(sim.hwk.HWK_TranslateLinsToPhys(refs[3], &physical));
  const uint8_t bytes[4] = {1, 2, 3, 4};
  sim.hwk.HWK_MapMem_Copy_Userbuf_To_Phys(bytes, refs[3], 4);
  EXPECT_EQ(sim.MapView(physical, 4).U32(0), 0x04030201u);
  uint8_t big[kPoolSlotLength + 1] = {9};
  EXPECT_FALSE(sim.board.CopyToPhysical(physical, big, sizeof big));  // would spill into the next slot
  EXPECT_EQ(sim.MapView(physical, 4).U32(0), 0x04030201u);

  sim.hwk.HWK_Free_Kernel_PhysMem(refs[3]);
  EXPECT_FALSE(sim.hwk.HWK_TranslateLinsToPhys(refs[3], &physical));
  ASSERT_TRUE(sim.hwk.HWK_Alloc_Kernel_PhysMem(26, &reference));
  EXPECT_EQ(reference, refs[3]);
  EXPECT_EQ(sim.MapView(physical, 4).U32(0), 0u);  // fresh buffers start clear
}

TEST(SimBoardDevices, PciShowsTheSmbusControllerOnly) {
  SimBoard sim;
  EXPECT_EQ(sim.SmbusBase(), kSmbusBase);
  sim.hwk.qv_outpd(kPciAddressPort, 0x80000000u | 30u << 11 | 0x20);
  EXPECT_EQ(sim.hwk.qv_inpd(kPciDataPort), 0xFFFFFFFFu);
}

TEST(SimBoardDevices, RegulatorAnswersThePhaseStateFollowingLoad) {
  SimBoard sim(*FindProfile("p55-24-smbus"));
  sim.board.PinLoad(0);
  EXPECT_EQ(sim.SmbusReadByte(kRegulatorAddress, kPhaseCommand), 0);
  sim.board.PinLoad(100);
  EXPECT_EQ(sim.SmbusReadByte(kRegulatorAddress, kPhaseCommand), 5);
  EXPECT_EQ(sim.SmbusReadByte(kRegulatorAddress, 0x01), 0);  // other commands read as 0

  // Nobody at another address: device error, the data register keeps what the caller wrote.
  EXPECT_EQ(sim.SmbusReadByte(0x50, kPhaseCommand), 0xFF);
  EXPECT_TRUE(sim.hwk.qv_inp(kSmbusBase) & smb::kDevErr);

  sim.board.SetFault(kFaultFfPhase, true);
  EXPECT_EQ(sim.SmbusReadByte(kRegulatorAddress, kPhaseCommand), 0xFF);
  sim.board.SetFault(kFaultSmbusStuck, true);
  EXPECT_EQ(sim.SmbusReadByte(kRegulatorAddress, kPhaseCommand), -1);
}

// The service's formulas, so the test reads power the way the programs will.
double DecodedWatts(SimBoard& sim) {
  const MemoryView t = sim.MapView(kEnergyTablePhys, fw::kServiceTableMapLength);
  const double volts = sim.ReadSensor(kVoltageRegister) * t.U16(fw::et::kVoltageStepMv) * 0.001;
  const uint16_t status = t.U16(fw::et::kStatusFlags);
  double c = sim.ReadSensor(kCurrentRegister);
  if (c == 0) c = 1;
  double amps = 0;
  if (status & fw::sf::kSmbusRegulator) {
    const uint32_t vr = t.U16(fw::et::kVrBlockOffset);
    const int phase = sim.SmbusReadByte(t.U8(vr + fw::vr::kSmbusAddress), t.U8(vr + fw::vr::kPhaseCommand)) & 7;
    amps = t.U32(vr + fw::vr::kEntries + phase * fw::vr::kEntrySize + fw::vr::kEntryCoefficient) * c * 0.00001;
  } else if (status & fw::sf::kRangeMode) {
    for (uint32_t i = 0; i < t.U32(fw::et::kCurrentScale); ++i) {
      const uint32_t at = fw::et::kCurrentRanges + i * fw::cr::kSize;
      if (t.U16(at) <= c && c <= t.U16(at + 2)) amps = t.U32(at + 4) * c * 0.00001;
    }
  } else {
    amps = c * t.U32(fw::et::kCurrentScale) * 0.00001;
  }
  return volts * amps;
}

TEST(SimBoardReadings, PowerFollowsLoadInEveryCurrentMode) {
  for (const char* name : {"x58-6", "x58-12-range", "p55-24-smbus"}) {
    SimBoard sim(*FindProfile(name));
    sim.SendFlags(fw::cf::kLed);  // saving off: the full figures
    sim.board.PinLoad(0);
    const double idle = DecodedWatts(sim);
    sim.board.PinLoad(100);
    const double full = DecodedWatts(sim);
    EXPECT_NEAR(idle, 25.0, 2.0) << name;
    EXPECT_NEAR(full, 95.0, 4.0) << name;
    EXPECT_NEAR(full, sim.board.Measure().watts, 3.0) << name;
    const Readings r = sim.board.Measure();
    EXPECT_GE(r.volts, 1.1);
    EXPECT_LE(r.volts, 1.36);
  }
}

TEST(SimBoardReadings, SavingAndStrongerLevelsLowerThePower) {
  SimBoard sim;
  sim.board.PinLoad(60);
  auto watts = [&](uint16_t flags) {
    sim.SendFlags(flags);
    return DecodedWatts(sim);
  };
  const double off = watts(0);
  const double l1 = watts(fw::cf::kActive | (fw::kLevelL1 << fw::cf::kLevelShift));
  const double l2 = watts(fw::cf::kActive | (fw::kLevelL2 << fw::cf::kLevelShift));
  const double l3 = watts(fw::cf::kActive | (fw::kLevelL3 << fw::cf::kLevelShift));
  EXPECT_GT(off, l1);
  EXPECT_GT(l1, l2);
  EXPECT_GT(l2, l3);
}

TEST(SimBoardReadings, LoadSourceDrivesReadingsUnlessPinned) {
  SimBoard sim;
  int host = 10;
  sim.board.SetLoadSource([&] { return host; });
  const uint8_t low = sim.ReadSensor(kCurrentRegister);
  host = 90;
  const uint8_t high = sim.ReadSensor(kCurrentRegister);
  EXPECT_LT(low, high);
  EXPECT_EQ(sim.state->lastLoad, 90);
  sim.board.PinLoad(10);
  EXPECT_EQ(sim.ReadSensor(kCurrentRegister), low);
}

TEST(SimBoardReadings, PinnedRawAndFaultedReadings) {
  SimBoard sim;
  sim.board.PinReadings(100, 7);
  EXPECT_EQ(sim.ReadSensor(kVoltageRegister), 100);
  EXPECT_EQ(sim.ReadSensor(kCurrentRegister), 7);
  sim.board.SetFault(kFaultFfVoltage, true);
  EXPECT_EQ(sim.ReadSensor(kVoltageRegister), 0xFF);
  EXPECT_EQ(sim.ReadSensor(kCurrentRegister), 7);
  sim.board.SetFault(kFaultFfCurrent, true);
  EXPECT_EQ(sim.ReadSensor(kCurrentRegister), 0xFF);
  sim.board.SetFault(kFaultFfVoltage | kFaultFfCurrent, false);
  sim.board.PinReadings(-1, -1);
  EXPECT_LT(sim.ReadSensor(kVoltageRegister), 0xFF);
}

TEST(SimBoardReadings, PhaseWordAndProbeFollowLoadWhileSaving) {
  SimBoard sim(*FindProfile("core2-6-probe"));
  const MemoryView t = sim.MapView(kEnergyTablePhys, fw::kGuiTableMapLength);
  ASSERT_EQ(t.U16(fw::et::kProbeFlag), 0);
  const uint32_t probe = t.U32(fw::et::kProbePort);
  auto probeMatches = [&] {
    return (sim.hwk.qv_inp(probe) & t.U8(fw::et::kProbeMask)) == t.U8(fw::et::kProbeValue);
  };
  sim.board.PinLoad(0);
  sim.ReadSensor(kVoltageRegister);
  EXPECT_EQ(t.U16(fw::et::kPhaseMask), 0x01);
  EXPECT_TRUE(probeMatches());
  sim.board.PinLoad(100);
  sim.ReadSensor(kVoltageRegister);
  EXPECT_EQ(t.U16(fw::et::kPhaseMask), 0x3F);
  EXPECT_FALSE(probeMatches());
}

TEST(SimBoardDevices, MsrReportsSpeedStepUnlessFaulted) {
  SimBoard sim;
  uint64_t value = 0;
  ASSERT_TRUE(sim.hwk.ReadMSR(kMsrMiscEnable, &value));
  EXPECT_TRUE(value & (1u << 16));
  EXPECT_TRUE(value & (1u << 25));
  sim.board.SetFault(kFaultEistOff, true);
  ASSERT_TRUE(sim.hwk.ReadMSR(kMsrMiscEnable, &value));
  EXPECT_FALSE(value & ((1u << 16) | (1u << 25)));
  EXPECT_FALSE(sim.hwk.ReadMSR(0x10, &value));
}

TEST(SimBoardDevices, FanAndClockKeepWhatTheStandInsWrite) {
  SimBoard sim;
  EXPECT_EQ(sim.board.FanPwm(1) - sim.board.FanPwm(0), 10);  // the normal curve at power-on
  sim.board.SetFanPwm(0, 28);
  sim.board.SetFanTemperature(1, 66);
  sim.board.SetFanPwm(2, 1);  // no such point
  EXPECT_EQ(sim.board.FanPwm(0), 28);
  EXPECT_EQ(sim.state->fan.temperature[1], 66);
  EXPECT_EQ(sim.state->fan.writes, 2u);

  sim.board.SetCoreClock(10);
  EXPECT_EQ(sim.state->clock.setting, 10);
  EXPECT_LT(sim.state->clock.coreMHz, 850u);
  sim.board.SetFault(kFaultClockUnsupported, true);
  sim.board.SetCoreClock(0);
  EXPECT_EQ(sim.state->clock.setting, 10);
  EXPECT_EQ(sim.state->clock.calls, 2u);
}

TEST(SimBoardState, StaleRecordsAreDetected) {
  SimBoard sim;
  EXPECT_TRUE(Board::IsValid(*sim.state));
  sim.state->version = kBoardVersion + 1;
  EXPECT_FALSE(Board::IsValid(*sim.state));
  sim.state->version = kBoardVersion;
  sim.state->size = 12;
  EXPECT_FALSE(Board::IsValid(*sim.state));
}

TEST(SimBoardState, ProfilesAndFaultsAreFoundByName) {
  size_t count = 0;
  const BoardProfile* profiles = Profiles(&count);
  for (size_t i = 0; i < count; ++i) EXPECT_EQ(FindProfile(profiles[i].name), &profiles[i]);
  EXPECT_EQ(FindProfile("nope"), nullptr);
  EXPECT_EQ(FindFault("smbus-stuck"), kFaultSmbusStuck);
  EXPECT_EQ(FindFault("nope"), 0u);
}

}  // namespace
}  // namespace zor::sim
