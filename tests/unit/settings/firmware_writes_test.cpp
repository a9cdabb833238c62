#include <gtest/gtest.h>

#include <optional>

#include "common/firmware_layout.h"
#include "common/firmware_tables.h"
#include "tests/unit/settings/settings_rig.h"

namespace zor::test {
namespace {

using Flags = std::vector<uint16_t>;

TEST(FirmwareWrites, SetVoltSataeReplacesTheLevelBits) {
  struct Case {
    uint16_t before;
    int level;
    uint16_t sent;
  };
  const Case cases[] = {
      {0x0155, 3, 0x0135}, {0x0155, 1, 0x0115}, {0x0155, 5, 0x0155},
      // Another odd level clears the level and the high nibble.
      {0x3155, 7, 0x0105},
  };
  for (const Case& c : cases) {
    SettingsRig rig;
    rig.SetControlFlags(c.before);
    EXPECT_TRUE(rig.control->Firmware().SetVoltSatae(c.level));
    EXPECT_EQ(rig.SentFlags(), Flags{c.sent}) << c.level;
    EXPECT_EQ(rig.state.m_nLevel, c.level);
  }
}

TEST(FirmwareWrites, EvenLevelSendsNothingAndKeepsTheLevel) {
  SettingsRig rig;
  rig.state.m_nLevel = 3;
  EXPECT_FALSE(rig.control->Firmware().SetVoltSatae(4));
  EXPECT_FALSE(rig.control->Firmware().SetVoltSatae(0));
  EXPECT_TRUE(rig.SentFlags().empty());
  EXPECT_EQ(rig.state.m_nLevel, 3);
}

TEST(FirmwareWrites, SetBiosAutoOnAndOff) {
  SettingsRig rig("x58-12-range");  // offers 3D power, so the board keeps bit 11
  rig.state.m_nLevel = 3;
  rig.SetControlFlags(0x0800);
  EXPECT_TRUE(rig.control->Firmware().SetBiosAuto(true, true));
  rig.SetControlFlags(0x0000);
  EXPECT_TRUE(rig.control->Firmware().SetBiosAuto(true, true));
  EXPECT_EQ(rig.SentFlags(), (Flags{0x0035, 0x0835}));
  EXPECT_TRUE(rig.state.m_bLedOn);

  SettingsRig off;
  MemoryView table = off.state.m_pEs;
  table.Write16(fw::et::kAutoOffWord, 0xBEEF);
  off.SetControlFlags(0x0957);
  EXPECT_TRUE(off.control->Firmware().SetBiosAuto(false, false));
  EXPECT_EQ(off.SentFlags(), Flags{0x0050});
  const sim::PacketLogEntry& packet = off.boardState->packets[off.packetsBefore];
  EXPECT_EQ(packet.bytes[10] | packet.bytes[11] << 8, 0xBEEF);
  EXPECT_FALSE(off.state.m_bLedOn);
}

TEST(FirmwareWrites, SetLedBitAndReapplyAuto) {
  SettingsRig rig("x58-12-range");
  rig.SetControlFlags(0x0031);
  EXPECT_TRUE(rig.control->Firmware().SetLedBit(true));
  EXPECT_EQ(rig.SentFlags(), Flags{0x0035});

  SettingsRig reapply("x58-12-range");
  reapply.state.m_nLevel = 1;
  reapply.SetControlFlags(0x0015);
  EXPECT_TRUE(reapply.control->Firmware().ReapplyAuto());  // bit 11 now set
  EXPECT_EQ(reapply.SentFlags(), (Flags{0x0010, 0x0815}));
  // A second click turns it off again, though the off word has already cleared the bit.
  reapply.packetsBefore = reapply.boardState->packetCount;
  EXPECT_FALSE(reapply.control->Firmware().ReapplyAuto());
  EXPECT_EQ(reapply.SentFlags(), (Flags{0x0010, 0x0015}));

  SettingsRig idle;
  idle.SetControlFlags(0x0050);  // saving off: nothing to re-apply
  EXPECT_FALSE(idle.control->Firmware().ReapplyAuto());
  EXPECT_TRUE(idle.SentFlags().empty());
}

TEST(FirmwareWrites, FailedPacketBufferEndsWithTheOperationsMessage) {
  struct Case {
    const char* name;
    bool (*run)(SettingsControl&);
    const char* text;
  };
  const Case cases[] = {
      {"volt", [](SettingsControl& c) { return c.Firmware().SetVoltSatae(3); },
       "SetVoltSatae function failure, Can't adjust voltage value!!"},
      {"flags", [](SettingsControl& c) { return c.Firmware().SetVoltSataeFlags(0x31); },
       "SetVoltSatae function failure, Can't adjust voltage value!!"},
      {"auto", [](SettingsControl& c) { return c.Firmware().SetBiosAuto(true, false); },
       "SetBiosAuto function failure, Can't allocate physical memory!!"},
      {"led", [](SettingsControl& c) { return c.Firmware().SetLedBit(false); },
       "SetBiosAuto function failure, Can't allocate physical memory!!"},
  };
  for (const Case& c : cases) {
    SettingsRig rig;
    rig.hwk.failAlloc = true;
    EXPECT_FALSE(c.run(*rig.control)) << c.name;
    EXPECT_TRUE(rig.control->ExitRequested());
    EXPECT_EQ(rig.control->ExitCode(), 1);
    ASSERT_EQ(rig.boxes.ShownBoxes().size(), 1u);
    EXPECT_EQ(rig.boxes.ShownBoxes()[0].text, c.text);
    EXPECT_EQ(rig.boxes.ShownBoxes()[0].caption, "Error");
    EXPECT_EQ(rig.boxes.ShownBoxes()[0].icon, MessageIcon::Stop);
    EXPECT_TRUE(rig.SentFlags().empty());
  }
}

// Once a failure has asked the program to end, nothing more may reach the firmware, Windows or the
// vendor libraries, whoever calls next.
TEST(FirmwareWrites, RequestedExitStopsEveryLaterWrite) {
  SettingsRig rig("core2-6-probe", sim::kFaultNoDecg, kOsNt61);
  rig.control->Vendor().LoadGraphicsClock();
  ASSERT_TRUE(rig.control->Vendor().SetGraphicsClockSaving(true));  // lowered before the failure
  rig.services.installed = true;
  rig.settings = {{"NB", "1"},  {"MEM", "1"},     {"VGA", "1"},      {"SF", "1"},
                  {"FSB", "7"}, {"CURVOLT", "1"}, {"HDD", "10 Mins"}};
  // No "DECG" block: the program must end.
  EXPECT_FALSE(rig.control->Firmware().UpdataBiosSetting(1));
  ASSERT_TRUE(rig.control->ExitRequested());
  rig.packetsBefore = rig.boardState->packetCount;
  rig.vendors.calls.clear();
  const size_t boxes = rig.boxes.ShownBoxes().size();
  const uint32_t railApplies = rig.boardState->railApplies;
  uint32_t rails[kRailRoles];
  for (int role = 0; role < kRailRoles; ++role) rails[role] = rig.RailValue(role);
  const std::optional<uint16_t> powerItem = rig.control->Firmware().GetPowerItemValue();

  rig.control->ApplyLevel(1);
  rig.control->ApplyAdvancedSettings();
  EXPECT_FALSE(rig.control->Rails().SetRailTarget(kRailMemory, 2000, false));
  rig.control->Rails().ApplyRails(1);
  EXPECT_FALSE(rig.control->Firmware().SetPowerItemValue(9));
  EXPECT_FALSE(rig.control->Firmware().SetVoltSatae(3));
  EXPECT_FALSE(rig.control->Vendor().SetGraphicsClockSaving(false));
  EXPECT_FALSE(rig.control->Vendor().WriteFanCurve(true));
  EXPECT_FALSE(rig.control->PowerPlans().SetDiskTimeout(4, 5));
  rig.control->Service().EnsureServiceRunning();
  rig.control->Service().RunServiceInstaller();
  EXPECT_FALSE(rig.control->Restart().RestartSystem());

  EXPECT_TRUE(rig.SentFlags().empty());
  EXPECT_EQ(rig.boardState->railApplies, railApplies);
  for (int role = 0; role < kRailRoles; ++role) EXPECT_EQ(rig.RailValue(role), rails[role]) << role;
  EXPECT_EQ(rig.control->Firmware().GetPowerItemValue(), powerItem);
  EXPECT_TRUE(rig.Commands().empty());
  EXPECT_TRUE(rig.shutdown.calls.empty());
  EXPECT_TRUE(rig.vendors.calls.empty());
  EXPECT_EQ(rig.services.starts, 0);
  EXPECT_EQ(rig.boxes.ShownBoxes().size(), boxes);
  EXPECT_EQ(rig.control->ExitCode(), 1);

  // The one exception: the user's own power settings still go back, the graphics clock with them,
  // and only they.
  rig.control->RestoreUserPowerSettings();
  EXPECT_FALSE(rig.Commands().empty());
  EXPECT_EQ(rig.vendors.calls, std::vector<std::string>{"SetCoreCLK 0"});
  EXPECT_TRUE(rig.SentFlags().empty());
  EXPECT_FALSE(rig.control->PowerPlans().SetDiskTimeout(4, 5));
}

TEST(FirmwareWrites, PowerItemGetAndSetUseTheFirstFreeItem) {
  SettingsRig rig;
  EXPECT_TRUE(rig.control->Firmware().SetPowerItemValue(7));
  EXPECT_EQ(rig.control->Firmware().GetPowerItemValue(), std::optional<uint16_t>{7});
  EXPECT_TRUE(rig.SentFlags().empty());

  // A profile whose items all carry flag bits: nothing to read, nothing written, still success.
  SettingsRig none;
  fw::FreePowerItem freeItem;
  fw::FindFreePowerItem(none.state.m_pEs, fw::TableProfileNumber(none.state.m_pEs), freeItem);
  ASSERT_TRUE(freeItem.found);
  fw::Profile profile;
  fw::ReadProfile(none.state.m_pEs, fw::TableProfileNumber(none.state.m_pEs), profile);
  for (const fw::PowerItem& item : profile.powerItems) {
    none.state.m_pEs.Write8(item.offset + fw::power_item::kFlags, 0x1);
  }
  EXPECT_EQ(none.control->Firmware().GetPowerItemValue(), std::nullopt);
  EXPECT_TRUE(none.control->Firmware().SetPowerItemValue(9));
  EXPECT_EQ(none.state.m_pEs.U16(freeItem.item.valueOffset()), freeItem.item.value);
}

TEST(FirmwareWrites, UpdataBiosSettingWritesTheRomOrEnds) {
  SettingsRig rig;
  EXPECT_TRUE(rig.control->Firmware().UpdataBiosSetting(0x0102));
  EXPECT_EQ(rig.board.RomValue(), 0x0102);
  EXPECT_FALSE(rig.control->ExitRequested());

  SettingsRig missing("x58-6", sim::kFaultNoDecg);
  EXPECT_FALSE(missing.control->Firmware().UpdataBiosSetting(1));
  EXPECT_EQ(missing.control->ExitCode(), 1);
  ASSERT_EQ(missing.boxes.ShownBoxes().size(), 1u);
  EXPECT_EQ(missing.boxes.ShownBoxes()[0].caption, "Error");
}

}  // namespace
}  // namespace zor::test
