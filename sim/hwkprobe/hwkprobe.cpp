// hwkprobe: talks to whatever hwk.dll lies beside it, through its exported entry points only, the
// way the programs do. Used by the end-to-end tests to show that processes share one board.
//   hwkprobe esy                   the SMI port and type of the last "$ESY4" in the BIOS area
//   hwkprobe et-read OFFSET        a byte of the EnergyTable
//   hwkprobe et-write OFFSET VALUE writes a byte of the EnergyTable
//   hwkprobe et-wait OFFSET VALUE  waits up to 30 s for a byte of the mapped EnergyTable to change
//   hwkprobe packet FLAGS          submits a TpsePacket with new ControlFlags (hex)
//   hwkprobe rom-read              the "DECG" value in the ROM
//   hwkprobe ports                 sensor bytes, the SMBus base from PCI 0:31:3, MSR 0x1A0
//   hwkprobe rom-write VALUE       rewrites the "DECG" value through the ROM-page SMI calls
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "common/firmware_layout.h"
#include "common/hwk_entry_points.h"
#include "common/memory_view.h"
#include "platform/hwk.h"
#include "platform/program_paths.h"

namespace {

namespace fw = zor::fw;

struct Library {
  PFN_qv_inp inp = nullptr;
  PFN_qv_outp outp = nullptr;
  PFN_qv_inpd inpd = nullptr;
  PFN_qv_outpd outpd = nullptr;
  PFN_ReadMSR readMsr = nullptr;
  PFN_MapMemEx mapMemEx = nullptr;
  PFN_SMICmd smiCmd = nullptr;
  PFN_HWK_Alloc_Kernel_PhysMem alloc = nullptr;
  PFN_HWK_Free_Kernel_PhysMem free = nullptr;
  PFN_HWK_TranslateLinsToPhys translate = nullptr;
  PFN_HWK_MapMem_Copy_Userbuf_To_Phys copy = nullptr;
  uint16_t port = 0;
  uint8_t type = 0;

  bool Bind() {
    const std::string path = zor::JoinPath(zor::ProgramDirectory(), "hwk.dll");
    HMODULE module = LoadLibraryA(path.c_str());
    if (!module) return false;
    inp = reinterpret_cast<PFN_qv_inp>(reinterpret_cast<void*>(GetProcAddress(module, "qv_inp")));
    outp = reinterpret_cast<PFN_qv_outp>(reinterpret_cast<void*>(GetProcAddress(module, "qv_outp")));
    inpd = reinterpret_cast<PFN_qv_inpd>(reinterpret_cast<void*>(GetProcAddress(module, "qv_inpd")));
    outpd = reinterpret_cast<PFN_qv_outpd>(reinterpret_cast<void*>(GetProcAddress(module, "qv_outpd")));
    readMsr = reinterpret_cast<PFN_ReadMSR>(reinterpret_cast<void*>(GetProcAddress(module, "ReadMSR")));
    mapMemEx = reinterpret_cast<PFN_MapMemEx>(reinterpret_cast<void*>(GetProcAddress(module, "MapMemEx")));
    smiCmd = reinterpret_cast<PFN_SMICmd>(reinterpret_cast<void*>(GetProcAddress(module, "SMICmd")));
    alloc = reinterpret_cast<PFN_HWK_Alloc_Kernel_PhysMem>(
        reinterpret_cast<void*>(GetProcAddress(module, "HWK_Alloc_Kernel_PhysMem")));
    free = reinterpret_cast<PFN_HWK_Free_Kernel_PhysMem>(
        reinterpret_cast<void*>(GetProcAddress(module, "HWK_Free_Kernel_PhysMem")));
    translate = reinterpret_cast<PFN_HWK_TranslateLinsToPhys>(
        reinterpret_cast<void*>(GetProcAddress(module, "HWK_TranslateLinsToPhys")));
    copy = reinterpret_cast<PFN_HWK_MapMem_Copy_Userbuf_To_Phys>(
        reinterpret_cast<void*>(GetProcAddress(module, "HWK_MapMem_Copy_Userbuf_To_Phys")));
    return inp && outp && inpd && outpd && readMsr && mapMemEx && smiCmd && alloc && free && translate && copy;
  }

  zor::MemoryView Map(uint32_t physical, uint32_t length) {
    return zor::MemoryView(zor::MappedAddress(mapMemEx(physical, 0, length)), length);
  }

  void FindEsy() {
    const zor::MemoryView bios = Map(fw::kBiosAreaPhys, fw::kBiosAreaLength);
    for (uint32_t at = 0; at < fw::kBiosAreaLength; at += fw::kEsyStride) {
      char signature[fw::kEsySignatureLength] = {};
      if (bios.ReadBytes(at, signature, sizeof signature) &&
          std::memcmp(signature, fw::kEsySignature, sizeof signature) == 0) {
        port = bios.U16(at + fw::esy::kSmiPort);
        type = bios.U8(at + fw::esy::kSmiType);
      }
    }
  }

  zor::SmiRegisters Smi(zor::SmiRegisters r) {
    smiCmd(&r.eax, &r.ebx, &r.ecx, &r.edx, &r.esi, &r.edi, &r.extra);
    return r;
  }

  uint32_t TableAddress() {
    zor::SmiRegisters r;
    r.eax = static_cast<uint32_t>(fw::kSmiAddress) << 8 | type;
    r.ebx = fw::kSelectorEnergyTable;
    r.edx = port;
    r = Smi(r);
    return r.eax == 0 ? r.ebx : 0;
  }

  // Copies bytes into a fresh physical buffer; 0 on failure. The caller frees `reference`.
  uint32_t ToPhysical(const void* bytes, uint32_t length, uint8_t* record) {
    if (alloc(length, record) != 1) return 0;
    uint32_t refLow = 0;
    uint32_t refHigh = 0;
    std::memcpy(&refLow, record + 8, 4);
    std::memcpy(&refHigh, record + 12, 4);
    uint32_t physical = 0;
    if (translate(refLow, refHigh, &physical) != 1) return 0;
    const uint64_t source = reinterpret_cast<uintptr_t>(bytes);
    copy(static_cast<uint32_t>(source), static_cast<uint32_t>(source >> 32), refLow, refHigh, length);
    return physical;
  }

  void Free(const uint8_t* record) {
    uint32_t refLow = 0;
    uint32_t refHigh = 0;
    std::memcpy(&refLow, record + 8, 4);
    std::memcpy(&refHigh, record + 12, 4);
    free(refLow, refHigh);
  }
};

int Fail(const char* message) {
  std::fprintf(stderr, "hwkprobe: %s\n", message);
  return 1;
}

int RomWrite(Library& hwk, uint16_t value) {
  const zor::MemoryView rom = hwk.Map(fw::kRomPhys, fw::kRomLength);
  for (uint32_t at = 0; at + 4 <= fw::kRomLength; ++at) {
    char signature[4];
    if (!rom.ReadBytes(at, signature, 4) || std::memcmp(signature, fw::kRomSignature, 4) != 0) continue;
    const uint32_t inPage = at % fw::kRomPageLength;
    const uint32_t page = fw::kRomPhys + at - inPage;
    std::vector<uint8_t> buffer(fw::kRomPageLength);
    hwk.Map(page, fw::kRomPageLength).ReadBytes(0, buffer.data(), buffer.size());
    if (!zor::MemoryView(buffer.data(), buffer.size()).Write16(inPage + fw::kRomValueOffset, value)) {
      return Fail("the ROM block's value lies outside its page");
    }
    zor::SmiRegisters r;
    r.eax = fw::kRomPrepare;
    r.ecx = fw::kRomPageLength;
    r.edx = hwk.port;
    r.edi = page;
    if (hwk.Smi(r).eax != 0) return Fail("ROM page preparation refused");
    uint8_t record[16] = {};
    r.eax = fw::kRomWrite;
    r.esi = hwk.ToPhysical(buffer.data(), fw::kRomPageLength, record);
    const uint32_t result = r.esi ? hwk.Smi(r).eax : 1;
    hwk.Free(record);
    return result == 0 ? 0 : Fail("ROM page write refused");
  }
  return Fail("no \"DECG\" block in the ROM");
}

int RomRead(Library& hwk) {
  const zor::MemoryView rom = hwk.Map(fw::kRomPhys, fw::kRomLength);
  for (uint32_t at = 0; at + 6 <= fw::kRomLength; ++at) {
    char signature[4];
    if (rom.ReadBytes(at, signature, 4) && std::memcmp(signature, fw::kRomSignature, 4) == 0) {
      std::printf("%u\n", rom.U16(at + fw::kRomValueOffset));
      return 0;
    }
  }
  return Fail("no \"DECG\" block in the ROM");
}

int Packet(Library& hwk, uint32_t table, uint16_t flags) {
  const zor::MemoryView t = hwk.Map(table, fw::kGuiTableMapLength);
  uint8_t packet[fw::tp::kLength] = {};
  std::memcpy(packet, fw::tp::kSignature, 4);
  packet[fw::tp::kLengthByte] = fw::tp::kLength;
  packet[fw::tp::kRevision] = t.U8(fw::et::kRevision);
  packet[fw::tp::kByte7] = t.U8(fw::et::kPacketByte7);
  packet[fw::tp::kControlFlags] = static_cast<uint8_t>(flags);
  packet[fw::tp::kControlFlags + 1] = static_cast<uint8_t>(flags >> 8);
  packet[fw::tp::kPhaseWord] = t.U8(fw::et::kPhaseMask);
  packet[fw::tp::kPhaseWord + 1] = t.U8(fw::et::kPhaseMask + 1);
  packet[fw::tp::kSaveDivisor] = t.U8(fw::et::kSaveDivisor);
  uint8_t sum = 0;
  for (uint32_t i = 0; i < fw::tp::kChecksummedBytes; ++i) sum = static_cast<uint8_t>(sum + packet[i]);
  packet[fw::tp::kChecksum] = static_cast<uint8_t>(0x100 - sum);
  uint8_t record[16] = {};
  zor::SmiRegisters r;
  r.eax = static_cast<uint32_t>(fw::kSmiApply) << 8 | hwk.type;
  r.ebx = fw::kSelectorEnergyTable;
  r.edx = hwk.port;
  r.esi = hwk.ToPhysical(packet, sizeof packet, record);
  if (!r.esi) return Fail("no physical memory for the packet");
  hwk.Smi(r);
  hwk.Free(record);
  std::printf("0x%04X\n", t.U16(fw::et::kControlFlags));
  return 0;
}

bool Number(const char* text, unsigned long limit, int base, unsigned long& value) {
  char* end = nullptr;
  value = std::strtoul(text, &end, base);
  return *text && *end == '\0' && value <= limit;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) return Fail("usage: hwkprobe esy|et-read|et-write|packet|rom-read|rom-write ...");
  Library hwk;
  if (!hwk.Bind()) return Fail("cannot load hwk.dll beside the program");
  hwk.FindEsy();
  const std::string command = argv[1];
  if (command == "esy") {
    std::printf("port 0x%04X type 0x%02X\n", hwk.port, hwk.type);
    return hwk.port && hwk.type ? 0 : 1;
  }
  if (!hwk.port || !hwk.type) return Fail("no \"$ESY4\" pointer");
  unsigned long a = 0;
  unsigned long b = 0;
  if (command == "rom-read" && argc == 2) return RomRead(hwk);
  if (command == "rom-write" && argc == 3 && Number(argv[2], 0xFFFF, 0, a)) {
    return RomWrite(hwk, static_cast<uint16_t>(a));
  }
  const uint32_t table = hwk.TableAddress();
  if (!table) return Fail("the firmware gives no EnergyTable address");
  const zor::MemoryView t = hwk.Map(table, fw::kGuiTableMapLength);
  if (command == "et-read" && argc == 3 && Number(argv[2], fw::kGuiTableMapLength - 1, 0, a)) {
    std::printf("%u\n", t.U8(a));
    return 0;
  }
  if (command == "et-write" && argc == 4 && Number(argv[2], fw::kGuiTableMapLength - 1, 0, a) &&
      Number(argv[3], 0xFF, 0, b)) {
    return t.Write8(a, static_cast<uint8_t>(b)) ? 0 : Fail("write refused");
  }
  if (command == "et-wait" && argc == 4 && Number(argv[2], fw::kGuiTableMapLength - 1, 0, a) &&
      Number(argv[3], 0xFF, 0, b)) {
    // Watches this process's own mapping: another process's write must show up in it.
    std::printf("watching\n");
    std::fflush(stdout);
    for (int tick = 0; tick < 900; ++tick) {  // 90 s: a loaded machine starts Wine slowly
      if (t.U8(a) == b) {
        std::printf("seen\n");
        return 0;
      }
      Sleep(100);
    }
    return Fail("the byte never changed");
  }
  if (command == "ports" && argc == 2) {
    const auto sensor = [&](uint32_t reg) {
      hwk.outp(t.U16(fw::et::kSensorIndexPort), t.U8(reg));
      return hwk.inp(t.U16(fw::et::kSensorDataPort)) & 0xFF;
    };
    const uint32_t volts = sensor(fw::et::kVoltageRegister);
    const uint32_t amps = sensor(fw::et::kCurrentRegister);
    hwk.outpd(0xCF8, 0x80000000u | 31u << 11 | 3u << 8 | 0x20);
    const uint32_t smbus = hwk.inpd(0xCFC) & 0xFFFE;
    uint64_t msr = 0;
    const int32_t msrOk = hwk.readMsr(0x1A0, &msr);
    std::printf("voltage %u current %u smbus 0x%04X msr %s\n", volts, amps, smbus,
                msrOk && (msr & (1u << 16)) && (msr & (1u << 25)) ? "eist" : "off");
    return 0;
  }
  if (command == "packet" && argc == 3 && Number(argv[2], 0xFFFF, 16, a)) {
    return Packet(hwk, table, static_cast<uint16_t>(a));
  }
  return Fail("unknown command or bad arguments");
}
