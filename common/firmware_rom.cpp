#include "common/firmware_rom.h"

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <vector>

#include "common/firmware_layout.h"
#include "common/memory_view.h"

namespace zor::fw {

namespace {

constexpr uint32_t kRomWaitMs = 100;
constexpr uint32_t kSignatureLength = 4;

RomUpdateOutcome Failure(RomUpdateStatus status, const char* format, uint16_t value) {
  RomUpdateOutcome outcome;
  outcome.status = status;
  char text[160];
  std::snprintf(text, sizeof text, format, static_cast<int>(value));
  outcome.message = text;
  outcome.caption = "Error";
  outcome.exitCode = 1;
  return outcome;
}

SmiRegisters RomCall(const SmiTarget& target, uint32_t eax, uint32_t pageAddress) {
  SmiRegisters regs;
  regs.eax = eax;
  regs.ecx = kRomPageLength;
  regs.edx = target.port;
  regs.edi = pageAddress;
  return regs;
}

// Offset of the first "DECG" in the ROM area, or -1.
int64_t FindBlock(MemoryView rom) {
  for (uint32_t offset = 0; offset + kSignatureLength <= rom.size(); ++offset) {
    char signature[kSignatureLength] = {};
    rom.ReadBytes(offset, signature, kSignatureLength);
    if (std::memcmp(signature, kRomSignature, kSignatureLength) == 0) return offset;
  }
  return -1;
}

bool ValueInsidePage(uint32_t blockAt) {
  return blockAt % kRomPageLength + kRomValueOffset + 2 <= kRomPageLength;
}

}  // namespace

RomUpdateOutcome UpdataBiosSetting(Hwk& hwk, const SmiTarget& target, Sleeper& sleeper,
                                   uint16_t value) {
  const uint64_t romMapping = hwk.MapMemEx(kRomPhys, 0, kRomLength);
  const MemoryView rom = MappedView(romMapping, kRomLength);
  if (rom.empty())
    return Failure(RomUpdateStatus::RomMapFailed,
                   "UpdataBiosSetting function value = %d failure!! Mapping 1", value);

  const int64_t found = FindBlock(rom);
  Unmap(hwk, romMapping);
  if (found < 0)
    return Failure(RomUpdateStatus::NoBlock,
                   "UpdataBiosSetting function value = %d failure!! No settings block in the ROM",
                   value);
  sleeper.SleepMs(kRomWaitMs);

  const uint32_t blockAt = static_cast<uint32_t>(found);
  const uint32_t pageOffset = blockAt % kRomPageLength;
  const uint32_t pageAddress = kRomPhys + (blockAt - pageOffset);
  // The firmware rewrites one page: a value that would lie in the next page cannot be written.
  if (!ValueInsidePage(blockAt)) {
    RomUpdateOutcome outcome = Failure(
        RomUpdateStatus::BlockCrossesPage,
        "UpdataBiosSetting function value = %d failure!! Settings block crosses a ROM page", value);
    outcome.pageAddress = pageAddress;
    outcome.blockOffset = pageOffset;
    return outcome;
  }

  const uint64_t pageMapping = hwk.MapMemEx(pageAddress, 0, kRomPageLength);
  const MemoryView page = MappedView(pageMapping, kRomPageLength);
  if (page.empty())
    return Failure(RomUpdateStatus::PageMapFailed,
                   "UpdataBiosSetting function value = %d failure!! Mapping 2", value);
  std::vector<uint8_t> buffer(kRomPageLength);
  page.ReadBytes(0, buffer.data(), buffer.size());
  Unmap(hwk, pageMapping);
  sleeper.SleepMs(kRomWaitMs);

  MemoryView(buffer.data(), buffer.size()).Write16(pageOffset + kRomValueOffset, value);

  SmiRegisters prepare = RomCall(target, kRomPrepare, pageAddress);
  hwk.SMICmd(prepare);
  sleeper.SleepMs(kRomWaitMs);

  uint64_t reference = 0;
  uint32_t physical = 0;
  if (!hwk.HWK_Alloc_Kernel_PhysMem(kRomPageLength, &reference))
    return Failure(RomUpdateStatus::AllocFailed,
                   "UpdataBiosSetting function value = %d failure!!, Can't allocate physical "
                   "memory!!",
                   value);
  if (!hwk.HWK_TranslateLinsToPhys(reference, &physical)) {
    hwk.HWK_Free_Kernel_PhysMem(reference);
    return Failure(RomUpdateStatus::AllocFailed,
                   "UpdataBiosSetting function value = %d failure!!, Can't allocate physical "
                   "memory!!",
                   value);
  }
  hwk.HWK_MapMem_Copy_Userbuf_To_Phys(buffer.data(), reference, kRomPageLength);
  SmiRegisters write = RomCall(target, kRomWrite, pageAddress);
  write.esi = physical;
  hwk.SMICmd(write);
  hwk.HWK_Free_Kernel_PhysMem(reference);

  RomUpdateOutcome outcome;
  outcome.pageAddress = pageAddress;
  outcome.blockOffset = pageOffset;
  return outcome;
}

}  // namespace zor::fw

namespace zor::fw {

bool ReadBiosSetting(Hwk& hwk, uint16_t& value) {
  const uint64_t mapping = hwk.MapMemEx(kRomPhys, 0, kRomLength);
  const MemoryView rom = MappedView(mapping, kRomLength);
  if (rom.empty()) return false;
  const int64_t found = FindBlock(rom);
  const bool ok = found >= 0 && ValueInsidePage(static_cast<uint32_t>(found)) &&
                  rom.Read16(static_cast<uint32_t>(found) + kRomValueOffset, value);
  Unmap(hwk, mapping);
  return ok;
}

}  // namespace zor::fw
