// fwprobe: runs the firmware protocol the way the programs do and prints what it found.
//   fwprobe service       the service's discovery: its trace lines and the decoded table
//   fwprobe gui           zor2's discovery: the outcome, SMI port and type, table addresses, level,
//                         and the platform class zor2 takes this processor for
//   fwprobe packet LEVEL  submits a TpsePacket with that level code in ControlFlags
//   fwprobe rom [VALUE]   prints the ROM setting, or rewrites it with VALUE
// Exit code: 0 when the step worked, otherwise the program's own exit code for it (at least 1).
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "common/firmware.h"
#include "common/firmware_layout.h"
#include "common/firmware_packet.h"
#include "common/firmware_rom.h"
#include "common/firmware_tables.h"
#include "gui/app/discovery_outcome.h"
#include "gui/app/platform_class.h"
#include "platform/system_info.h"
#include "platform/program_paths.h"
#include "tools/fwprobe/probe_hwk.h"

namespace {

using namespace zor;
using namespace zor::fw;

int Usage() {
  std::fprintf(stderr,
               "usage: fwprobe service | gui | packet LEVEL | rom [VALUE]\n"
               "  LEVEL: 1, 3 or 5 (or any code 0-15); VALUE: 0-65535\n");
  return 2;
}

bool ParseNumber(const char* text, unsigned long max, unsigned long& out) {
  char* end = nullptr;
  out = std::strtoul(text, &end, 0);
  return end && end != text && *end == '\0' && out <= max;
}

int LevelOf(uint16_t flags) { return (flags & cf::kLevelMask) >> cf::kLevelShift; }

void PrintServiceTable(MemoryView table) {
  const uint16_t status = table.U16(et::kStatusFlags);
  std::printf("Revision=0x%x\nControlFlags=0x%04x\nStatusFlags=0x%04x\nLevel=%d\n",
              table.U8(et::kRevision), table.U16(et::kControlFlags), status,
              LevelOf(table.U16(et::kControlFlags)));
  uint8_t efficiency = 0;
  ReadEfficiencyIndex(table, efficiency);
  std::printf("EfficiencyIndex=%u\n", efficiency);
  if (status & sf::kSmbusRegulator) {
    VrInfo vr;
    const TableError error = ReadVrBlock(table, vr);
    std::printf("VrBlock=%s offset=0x%x address=0x%02x command=0x%02x entries=%u coefficients=",
                TableErrorName(error), vr.offset, vr.smbusAddress, vr.phaseCommand, vr.entryCount);
    for (uint32_t i = 0; i < vr.coefficientCount; ++i)
      std::printf("%s%u", i ? "," : "", vr.coefficients[i]);
    std::printf("\n");
  } else if (status & sf::kRangeMode) {
    CurrentRanges ranges;
    const TableError error = LocateCurrentRanges(table, ranges);
    std::printf("CurrentRanges=%s count=%u\n", TableErrorName(error), ranges.count());
    for (uint32_t i = 0; i < ranges.count() && i < 16; ++i) {
      const CurrentRange r = ranges.At(i);
      std::printf("  %u-%u x %u\n", r.low, r.high, r.coefficient);
    }
  } else {
    std::printf("CurrentScale=%u\n", table.U32(et::kCurrentScale));
  }
}

int RunService(Hwk& hwk) {
  const ServiceDiscovery d = DiscoverForService(hwk);
  if (d.status != ServiceDiscoveryStatus::Ok) {
    std::fputs(d.trace, stdout);
    std::fputs("init Error!!\n", stdout);
    return 1;
  }
  std::printf("Type=%x,Port=%x,BiosAddr=%x\n", d.target.type, d.target.port, d.tableAddress);
  PrintServiceTable(d.table);
  Unmap(hwk, d.mapping);
  return 0;
}

// zor2's discovery; prints the outcome. False when the program would end.
bool DiscoverGui(Hwk& hwk, GuiDiscovery& d) {
  ThreadSleeper sleeper;
  d = DiscoverForGui(hwk, sleeper);
  return d.status == GuiDiscoveryStatus::Ok;
}

// What zor2 would do about it; returns its exit status.
int PrintGuiOutcome(const GuiDiscovery& d) {
  const GuiOutcome o = DiscoveryOutcome(d.status, ProgramDirectory());
  if (o.boxText) std::printf("MessageBox=\"%s\" caption=\"%s\"%s\n", o.boxText, o.boxCaption,
                             o.boxIcon == MessageIcon::Stop ? " stop" : "");
  if (o.dialogId) std::printf("MessageDialog=%d\n", o.dialogId);
  if (!o.relaunchCommand.empty()) std::printf("Relaunch=%s\n", o.relaunchCommand.c_str());
  std::printf("Exit=%d\n", o.exitCode);
  return o.exitCode ? o.exitCode : 1;
}

int RunGui(Hwk& hwk) {
  GuiDiscovery d;
  const bool ok = DiscoverGui(hwk, d);
  std::printf("SmiPort=0x%x\nSmiType=0x%x\n", d.target.port, d.target.type);
  if (!ok) {
    return PrintGuiOutcome(d);
  }
  const uint16_t flags = d.energyTable.U16(et::kControlFlags);
  std::printf("EnergyTable=0x%x\nRailTable=0x%x\nRevision=0x%x\nControlFlags=0x%04x\nLevel=%d\n",
              d.energyTableAddress, d.railTableAddress, d.energyTable.U8(et::kRevision), flags,
              LevelOf(flags));
  std::vector<RailEntry> rails;
  ReadRailTable(d.railTable, rails);
  std::printf("Rails=%zu\n", rails.size());
  for (const RailEntry& r : rails)
    std::printf("  rail %u present=%u subs=%u\n", r.railId, r.presentValue, r.subCount);
  // The class decides which rails a level lowers; it comes from the real processor, not the board.
  const zor::PlatformClass platform = zor::ClassifyPlatform(zor::ReadCpuidLeaf1().eax);
  std::printf("Platform=%s\n", platform.x58 ? "x58" : platform.p55 ? "p55" : platform.p67 ? "p67" : "none");
  return 0;
}

int RunPacket(Hwk& hwk, unsigned long level) {
  GuiDiscovery d;
  if (!DiscoverGui(hwk, d)) {
    return PrintGuiOutcome(d);
  }
  const uint16_t before = d.energyTable.U16(et::kControlFlags);
  const uint16_t flags =
      static_cast<uint16_t>((before & ~cf::kLevelMask) | (level << cf::kLevelShift));
  const SubmitStatus status = SubmitTpsePacket(hwk, d.target, BuildTpsePacket(d.energyTable, flags));
  if (status != SubmitStatus::Ok) {
    std::printf("Submit failed: %s\n", status == SubmitStatus::AllocFailed
                                           ? "no physical memory"
                                           : "no physical address for the buffer");
    return 1;
  }
  const uint16_t after = d.energyTable.U16(et::kControlFlags);
  std::printf("Sent=0x%04x\nControlFlags=0x%04x\nLevel=%d\n", flags, after, LevelOf(after));
  return 0;
}

int RunRom(Hwk& hwk, bool write, unsigned long value) {
  if (!write) {
    uint16_t current = 0;
    if (!ReadBiosSetting(hwk, current)) {
      std::printf("RomSetting=none\n");
      return 1;
    }
    std::printf("RomSetting=%u\n", current);
    return 0;
  }
  GuiDiscovery d;
  if (!DiscoverGui(hwk, d)) {
    return PrintGuiOutcome(d);
  }
  ThreadSleeper sleeper;
  const RomUpdateOutcome outcome =
      UpdataBiosSetting(hwk, d.target, sleeper, static_cast<uint16_t>(value));
  if (outcome.status != RomUpdateStatus::Ok) {
    std::printf("MessageBox=\"%s\" caption=\"%s\" stop\nExit=%d\n", outcome.message.c_str(),
                outcome.caption, outcome.exitCode);
    return outcome.exitCode;
  }
  std::printf("RomPage=0x%x\nBlockOffset=0x%x\nRomSetting=%lu\n", outcome.pageAddress,
              outcome.blockOffset, value);
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) return Usage();
  const std::string command = argv[1];
  unsigned long number = 0;
  const bool hasNumber = argc > 2;
  if (command == "service" || command == "gui") {
    if (argc != 2) return Usage();
  } else if (command == "packet") {
    if (argc != 3 || !ParseNumber(argv[2], 15, number)) return Usage();
  } else if (command == "rom") {
    if (argc > 3 || (hasNumber && !ParseNumber(argv[2], 0xFFFF, number))) return Usage();
  } else {
    return Usage();
  }

  const HwkClient client = command == "service" ? HwkClient::Service : HwkClient::Gui;
  std::string error;
  std::unique_ptr<zor::fwprobe::ProbeHwk> probe = zor::fwprobe::OpenProbeHwk(client, error);
  if (!probe) {
    std::fprintf(stderr, "fwprobe: %s\n", error.c_str());
    std::puts(client == HwkClient::Service ? zor::kServiceHwkFailureTrace
                                           : zor::kGuiHwkFailureText);
    return 1;
  }
  Hwk& hwk = probe->hwk();
  if (command == "service") return RunService(hwk);
  if (command == "gui") return RunGui(hwk);
  if (command == "packet") return RunPacket(hwk, number);
  return RunRom(hwk, hasNumber, number);
}
