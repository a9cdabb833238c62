#include "common/firmware.h"

#include <chrono>
#include <cstring>
#include <thread>

#include "common/firmware_layout.h"
#include "common/firmware_tables.h"

namespace zor::fw {

namespace {

constexpr int kAddressAttempts = 10;
constexpr uint32_t kAddressPauseMs = 500;

uint32_t Low(uint64_t value) { return static_cast<uint32_t>(value); }
uint32_t High(uint64_t value) { return static_cast<uint32_t>(value >> 32); }

}  // namespace

void ThreadSleeper::SleepMs(uint32_t milliseconds) {
  std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
}

MemoryView MappedView(uint64_t mapping, uint32_t length) {
  return MemoryView(MappedAddress(mapping), length);
}

void Unmap(Hwk& hwk, uint64_t mapping) { hwk.UnMapMemEx(Low(mapping), High(mapping)); }

EsyPointerScan LocateEsyPointer(Hwk& hwk) {
  EsyPointerScan scan;
  const uint64_t mapping = hwk.MapMemEx(kBiosAreaPhys, 0, kBiosAreaLength);
  const MemoryView area = MappedView(mapping, kBiosAreaLength);
  if (area.empty()) {
    scan.mapped = false;
    return scan;
  }
  for (uint32_t offset = 0; offset + kEsyStride <= kBiosAreaLength; offset += kEsyStride) {
    char signature[kEsySignatureLength] = {};
    if (!area.ReadBytes(offset, signature, kEsySignatureLength)) break;
    if (std::memcmp(signature, kEsySignature, kEsySignatureLength) != 0) continue;
    scan.found = true;
    scan.target.port = area.U16(offset + esy::kSmiPort);
    scan.target.type = area.U8(offset + esy::kSmiType);
  }
  Unmap(hwk, mapping);
  return scan;
}

SmiRegisters SmiCall(Hwk& hwk, const SmiTarget& target, uint8_t function, uint32_t selector,
                     uint32_t esi) {
  SmiRegisters regs;
  regs.eax = (static_cast<uint32_t>(function) << 8) | target.type;
  regs.ebx = selector;
  regs.edx = target.port;
  regs.esi = esi;
  hwk.SMICmd(regs);
  return regs;
}

ServiceDiscovery DiscoverForService(Hwk& hwk) {
  ServiceDiscovery result;
  const EsyPointerScan scan = LocateEsyPointer(hwk);
  result.target = scan.target;
  if (scan.target.port == 0 && scan.target.type == 0) {
    result.status = ServiceDiscoveryStatus::NoSmiInfo;
    result.trace = "Can't SMI info!!\n";
    return result;
  }
  if (SmiCall(hwk, scan.target, kSmiQuery, kSelectorEnergyTable).eax != 0) {
    result.status = ServiceDiscoveryStatus::NotSupported;
    result.trace = "BIOS Not Support ZOR!!\n";
    return result;
  }
  const SmiRegisters address = SmiCall(hwk, scan.target, kSmiAddress, kSelectorEnergyTable);
  if (address.eax != 0) {
    result.status = ServiceDiscoveryStatus::NoTableAddress;
    result.trace = "Can't get ES table address!!\n";
    return result;
  }
  result.tableAddress = address.ebx;
  result.mapping = hwk.MapMemEx(address.ebx, 0, kServiceTableMapLength);
  result.table = MappedView(result.mapping, kServiceTableMapLength);
  // Every later cycle reads the table; a failed mapping stops the start here instead.
  if (result.table.empty()) {
    result.status = ServiceDiscoveryStatus::MapFailed;
    result.trace = "Can't map ES table!!\n";
    result.mapping = 0;
    return result;
  }
  result.status = ServiceDiscoveryStatus::Ok;
  return result;
}

MemoryView RailTableWithin(MemoryView energyMapping, uint32_t energyTableAddress,
                           uint32_t railTableAddress) {
  if (railTableAddress < energyTableAddress) return MemoryView();
  const size_t offset = railTableAddress - energyTableAddress;
  if (!energyMapping.Contains(offset, rt::kEntries)) return MemoryView();
  return energyMapping.Sub(offset, energyMapping.size() - offset);
}

GuiDiscovery DiscoverForGui(Hwk& hwk, Sleeper& sleeper) {
  GuiDiscovery result;
  const auto fail = [&result](GuiDiscoveryStatus status) {
    result.status = status;
    return result;
  };

  const EsyPointerScan scan = LocateEsyPointer(hwk);
  result.target = scan.target;
  if (scan.target.port == 0 || scan.target.type == 0) {
    return fail(GuiDiscoveryStatus::NoSmiInfo);
  }
  const SmiTarget target = scan.target;

  if (SmiCall(hwk, target, kSmiQuery, kSelectorEnergyTable).eax != 0) {
    return fail(GuiDiscoveryStatus::NotSupported);
  }

  bool haveAddress = false;
  for (int attempt = 0; attempt < kAddressAttempts && !haveAddress; ++attempt) {
    sleeper.SleepMs(kAddressPauseMs);
    const SmiRegisters regs = SmiCall(hwk, target, kSmiAddress, kSelectorEnergyTable);
    if (regs.eax == 0) {
      haveAddress = true;
      result.energyTableAddress = regs.ebx;
    }
  }
  if (!haveAddress) return fail(GuiDiscoveryStatus::NoTableAddress);

  if (SmiCall(hwk, target, kSmiQuery, kSelectorRailTable).eax != 0) {
    return fail(GuiDiscoveryStatus::RailTableNotSupported);
  }

  sleeper.SleepMs(kAddressPauseMs);
  const SmiRegisters rail = SmiCall(hwk, target, kSmiAddress, kSelectorRailTable);
  if (rail.eax != 0) return fail(GuiDiscoveryStatus::NoRailTableAddress);
  result.railTableAddress = rail.ebx;

  const uint64_t mapping = hwk.MapMemEx(result.energyTableAddress, 0, kGuiTableMapLength);
  const MemoryView table = MappedView(mapping, kGuiTableMapLength);
  if (table.empty()) {
    return fail(GuiDiscoveryStatus::MapFailed);
  }
  result.mapping = mapping;
  result.energyTable = table;

  // Every rail write lands at this difference inside the mapping: refuse a table that is not
  // wholly inside it rather than write past the mapping later.
  const MemoryView railTable =
      RailTableWithin(table, result.energyTableAddress, result.railTableAddress);
  std::vector<RailEntry> entries;
  if (railTable.empty() || ReadRailTable(railTable, entries) != TableError::None) {
    return fail(GuiDiscoveryStatus::RailTableOutside);
  }
  result.railTable = railTable;
  result.status = GuiDiscoveryStatus::Ok;
  return result;
}

void ApplyRailTable(Hwk& hwk, const SmiTarget& target) {
  SmiCall(hwk, target, kSmiApply, kSelectorRailTable);
}

}  // namespace zor::fw
