#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "common/firmware.h"
#include "common/firmware_layout.h"
#include "common/firmware_tables.h"
#include "gui/app/discovery_outcome.h"
#include "platform/program_paths.h"
#include "tests/unit/firmware/firmware_board_fixture.h"

namespace zor::fw {
namespace {

using test::RecordingSleeper;
using test::RefusingMaps;
using test::SimBoard;
using zor::DiscoveryOutcome;
using zor::GuiOutcome;
using zor::MessageIcon;

constexpr char kDir[] = "C:\\Program Files\\Zor";

void WritePointer(SimBoard& b, uint32_t offset, uint16_t port, uint8_t type) {
  MemoryView bios(b.state->bios, sizeof b.state->bios);
  bios.WriteBytes(offset, kEsySignature, kEsySignatureLength);
  bios.Write16(offset + esy::kSmiPort, port);
  bios.Write8(offset + esy::kSmiType, type);
}

TEST(EsyPointerTest, LastPointerInTheBiosAreaWins) {
  SimBoard b;  // an older pointer, then the live one
  EsyPointerScan scan = LocateEsyPointer(b.hwk);
  EXPECT_TRUE(scan.found);
  EXPECT_EQ(scan.target.port, sim::kSmiPort);
  EXPECT_EQ(scan.target.type, sim::kSmiType);

  WritePointer(b, 0xFFF0, 0x1234, 0x56);  // the very last slot
  WritePointer(b, 0x0008, 0x0BAD, 0x01);  // not on a 16-byte boundary: ignored
  scan = LocateEsyPointer(b.hwk);
  EXPECT_EQ(scan.target.port, 0x1234);
  EXPECT_EQ(scan.target.type, 0x56);

  b.board.SetFault(sim::kFaultNoEsy, true);
  MemoryView(b.state->bios, sizeof b.state->bios).Write8(0xFFF0, 0);
  scan = LocateEsyPointer(b.hwk);
  EXPECT_FALSE(scan.found);
  EXPECT_EQ(scan.target.port, 0);
  EXPECT_EQ(scan.target.type, 0);
}

TEST(ServiceDiscoveryTest, FindsAndMapsTheEnergyTable) {
  SimBoard b;
  const ServiceDiscovery d = DiscoverForService(b.hwk);
  ASSERT_EQ(d.status, ServiceDiscoveryStatus::Ok);
  EXPECT_STREQ(d.trace, "");
  EXPECT_EQ(d.tableAddress, sim::kEnergyTablePhys);
  EXPECT_EQ(d.table.size(), kServiceTableMapLength);
  EXPECT_EQ(d.table.U8(et::kRevision), kSupportedRevision);
  EXPECT_EQ(d.table.U16(et::kControlFlags), b.board.ControlFlags());
  EXPECT_NE(d.mapping, 0u);
}

TEST(ServiceDiscoveryTest, EachFailureHasItsTraceLine) {
  struct Case { uint32_t fault; ServiceDiscoveryStatus status; const char* trace; };
  const Case cases[] = {
      {sim::kFaultNoEsy, ServiceDiscoveryStatus::NoSmiInfo, "Can't SMI info!!\n"},
      {sim::kFaultRefuseQueryEt, ServiceDiscoveryStatus::NotSupported, "BIOS Not Support ZOR!!\n"},
      {sim::kFaultRefuseAddressEt, ServiceDiscoveryStatus::NoTableAddress,
       "Can't get ES table address!!\n"},
      // Port 0 with a type passes the pointer check; the board then never answers.
      {sim::kFaultEsyPortZero, ServiceDiscoveryStatus::NotSupported, "BIOS Not Support ZOR!!\n"},
  };
  for (const Case& c : cases) {
    SimBoard b;
    b.board.SetFault(c.fault, true);
    const ServiceDiscovery d = DiscoverForService(b.hwk);
    EXPECT_EQ(d.status, c.status) << c.trace;
    EXPECT_STREQ(d.trace, c.trace);
    EXPECT_TRUE(d.table.empty());
  }

  SimBoard b;
  RefusingMaps refusing(b.hwk, sim::kEnergyTablePhys);
  const ServiceDiscovery d = DiscoverForService(refusing);
  EXPECT_EQ(d.status, ServiceDiscoveryStatus::MapFailed);
  EXPECT_STREQ(d.trace, "Can't map ES table!!\n");
}

TEST(GuiDiscoveryTest, FindsBothTablesWithTheDocumentedWaits) {
  SimBoard b;
  RecordingSleeper sleeper;
  const GuiDiscovery d = DiscoverForGui(b.hwk, sleeper);
  ASSERT_EQ(d.status, GuiDiscoveryStatus::Ok);
  EXPECT_EQ(d.target.port, sim::kSmiPort);
  EXPECT_EQ(d.target.type, sim::kSmiType);
  EXPECT_EQ(d.energyTableAddress, sim::kEnergyTablePhys);
  EXPECT_EQ(d.railTableAddress, sim::kRailTablePhys);
  EXPECT_EQ(d.energyTable.size(), kGuiTableMapLength);
  EXPECT_EQ(d.railTable.size(), kGuiTableMapLength - sim::kRailTableOffset);
  // The RailTable view is the same memory as the mapping, at the address difference.
  d.railTable.Write32(rt::kEntries + rt::kPresentValue, 4242);
  EXPECT_EQ(d.energyTable.U32(sim::kRailTableOffset + rt::kEntries + rt::kPresentValue), 4242u);
  EXPECT_EQ(sleeper.waits, (std::vector<uint32_t>{500, 500}));
  EXPECT_EQ(DiscoveryOutcome(d.status, kDir).exitCode, 0);
}

TEST(GuiDiscoveryTest, RetriesTheEnergyTableAddressTenTimes) {
  for (uint32_t failures : {9u, 10u}) {
    SimBoard b;
    b.board.SetAddressFailures(failures);
    RecordingSleeper sleeper;
    const GuiDiscovery d = DiscoverForGui(b.hwk, sleeper);
    if (failures == 9) {
      EXPECT_EQ(d.status, GuiDiscoveryStatus::Ok);
      EXPECT_EQ(sleeper.waits, std::vector<uint32_t>(11, 500));
    } else {
      EXPECT_EQ(d.status, GuiDiscoveryStatus::NoTableAddress);
      EXPECT_EQ(sleeper.waits, std::vector<uint32_t>(10, 500));
      const GuiOutcome outcome = DiscoveryOutcome(d.status, kDir);
      EXPECT_STREQ(outcome.boxText, "Get ZOR 2.0 data failure!!");
      EXPECT_STREQ(outcome.boxCaption, "MSG");
      EXPECT_EQ(outcome.dialogId, 1);
      EXPECT_EQ(outcome.exitCode, 1);
    }
  }
}

TEST(GuiDiscoveryTest, EachFailureHasItsOutcome) {
  struct Case {
    uint32_t fault;
    GuiDiscoveryStatus status;
    const char* boxText;
    const char* caption;
    int dialogId;
    int exitCode;
  };
  const Case cases[] = {
      {sim::kFaultNoEsy, GuiDiscoveryStatus::NoSmiInfo, "Can't Get SMI port and type!!", "Error", 0, 1},
      {sim::kFaultEsyPortZero, GuiDiscoveryStatus::NoSmiInfo, "Can't Get SMI port and type!!", "Error", 0, 1},
      {sim::kFaultRefuseQueryEt, GuiDiscoveryStatus::NotSupported, nullptr, nullptr, 8, 0},
      {sim::kFaultRefuseQueryRt, GuiDiscoveryStatus::RailTableNotSupported, nullptr, nullptr, 8, 1},
      {sim::kFaultRefuseAddressRt, GuiDiscoveryStatus::NoRailTableAddress, nullptr, nullptr, 0, 1},
      {sim::kFaultRailCount, GuiDiscoveryStatus::RailTableOutside,
       "ZOR 2.0 rail table lies outside the mapped data!!", "Error", 0, 1},
  };
  for (const Case& c : cases) {
    SimBoard b;
    b.board.SetFault(c.fault, true);
    RecordingSleeper sleeper;
    const GuiDiscovery d = DiscoverForGui(b.hwk, sleeper);
    SCOPED_TRACE(static_cast<int>(c.status));
    EXPECT_EQ(d.status, c.status);
    const GuiOutcome outcome = DiscoveryOutcome(d.status, kDir);
    if (c.boxText) {
      EXPECT_STREQ(outcome.boxText, c.boxText);
      EXPECT_STREQ(outcome.boxCaption, c.caption);
      EXPECT_EQ(outcome.boxIcon, MessageIcon::Stop);
    } else {
      EXPECT_EQ(outcome.boxText, nullptr);
    }
    EXPECT_EQ(outcome.dialogId, c.dialogId);
    EXPECT_EQ(outcome.exitCode, c.exitCode);
    if (c.status == GuiDiscoveryStatus::NoRailTableAddress) {
      EXPECT_EQ(outcome.relaunchCommand,
                "\"" + JoinPath(kDir, "ReLaunch.exe") + "\" state");
      EXPECT_EQ(sleeper.waits.back(), 500u) << "the RailTable address is asked for after 500 ms";
    } else {
      EXPECT_EQ(outcome.relaunchCommand, "");
    }
    EXPECT_TRUE(d.railTable.empty());
  }

  SimBoard b;
  RefusingMaps refusing(b.hwk, sim::kEnergyTablePhys);
  RecordingSleeper sleeper;
  const GuiDiscovery d = DiscoverForGui(refusing, sleeper);
  EXPECT_EQ(d.status, GuiDiscoveryStatus::MapFailed);
  const GuiOutcome outcome = DiscoveryOutcome(d.status, kDir);
  EXPECT_STREQ(outcome.boxCaption, "Error");
  EXPECT_EQ(outcome.exitCode, 1);
  EXPECT_TRUE(d.energyTable.empty());
}

TEST(GuiDiscoveryTest, RailTableMustLieInsideTheMapping) {
  std::vector<uint8_t> bytes(kGuiTableMapLength);
  const MemoryView mapping(bytes.data(), bytes.size());
  EXPECT_TRUE(RailTableWithin(mapping, 0x1000, 0x0FFF).empty()) << "before the EnergyTable";
  EXPECT_TRUE(RailTableWithin(mapping, 0x1000, 0x1000 + kGuiTableMapLength - 31).empty());
  EXPECT_TRUE(RailTableWithin(mapping, 0x1000, 0xFFFFF000u).empty());
  const MemoryView rail = RailTableWithin(mapping, 0x1000, 0x1000 + kGuiTableMapLength - 32);
  EXPECT_EQ(rail.size(), 32u);
}

}  // namespace
}  // namespace zor::fw
