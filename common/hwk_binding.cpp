#include "common/hwk_binding.h"

#include <cstring>

#include "platform/program_paths.h"

namespace zor {

namespace {

uint32_t Low(uint64_t value) { return static_cast<uint32_t>(value); }
uint32_t High(uint64_t value) { return static_cast<uint32_t>(value >> 32); }

}  // namespace

// Each program's binding order, of the entry points it calls: MapMem, UnMapMem, SMICall and
// MapMem_Phys_To_Linear serve no program, and the service never submits a packet, so a maker's
// library without them is as usable as ours.
const std::vector<const char*>& HwkEntryOrder(HwkClient client) {
  static const std::vector<const char*> service = {"SMICmd",  "qv_inp",   "qv_outp",   "qv_inpd",
                                                   "qv_outpd", "MapMemEx", "UnMapMemEx"};
  static const std::vector<const char*> gui = {
      "qv_inp", "qv_outp", "ReadMSR", "SMICmd", "HWK_Alloc_Kernel_PhysMem",
      "HWK_Free_Kernel_PhysMem", "HWK_TranslateLinsToPhys", "HWK_MapMem_Copy_Userbuf_To_Phys",
      "MapMemEx", "UnMapMemEx"};
  return client == HwkClient::Service ? service : gui;
}

bool HwkBinding::Resolve(const char* name) {
  const DynamicLibrary& lib = *m_library;
  const auto is = [name](const char* entry) { return std::strcmp(name, entry) == 0; };
  if (is("qv_inp")) return m_qvInp.Resolve(lib, name);
  if (is("qv_outp")) return m_qvOutp.Resolve(lib, name);
  if (is("qv_inpd")) return m_qvInpd.Resolve(lib, name);
  if (is("qv_outpd")) return m_qvOutpd.Resolve(lib, name);
  if (is("ReadMSR")) return m_readMsr.Resolve(lib, name);
  if (is("SMICmd")) return m_smiCmd.Resolve(lib, name);
  if (is("HWK_Alloc_Kernel_PhysMem")) return m_alloc.Resolve(lib, name);
  if (is("HWK_Free_Kernel_PhysMem")) return m_free.Resolve(lib, name);
  if (is("HWK_TranslateLinsToPhys")) return m_translate.Resolve(lib, name);
  if (is("HWK_MapMem_Copy_Userbuf_To_Phys")) return m_copy.Resolve(lib, name);
  if (is("MapMemEx")) return m_mapMemEx.Resolve(lib, name);
  if (is("UnMapMemEx")) return m_unMapMemEx.Resolve(lib, name);
  return false;
}

std::unique_ptr<HwkBinding> HwkBinding::Bind(std::unique_ptr<DynamicLibrary> library,
                                             HwkClient client, std::string* missing) {
  if (!library) return nullptr;
  std::unique_ptr<HwkBinding> binding(new HwkBinding(std::move(library)));
  for (const char* name : HwkEntryOrder(client)) {
    if (!binding->Resolve(name)) {
      if (missing) *missing = name;
      return nullptr;
    }
  }
  return binding;
}

bool HwkBinding::IsSimulated() const { return m_library->Find(kSimulatedBoardEntry) != nullptr; }

uint8_t HwkBinding::qv_inp(uint32_t port) {
  return m_qvInp ? static_cast<uint8_t>(m_qvInp.get()(port) & 0xFFu) : 0;
}

void HwkBinding::qv_outp(uint32_t port, uint32_t value) {
  if (m_qvOutp) m_qvOutp.get()(port, value);
}

uint32_t HwkBinding::qv_inpd(uint32_t port) { return m_qvInpd ? m_qvInpd.get()(port) : 0; }

void HwkBinding::qv_outpd(uint32_t port, uint32_t value) {
  if (m_qvOutpd) m_qvOutpd.get()(port, value);
}

bool HwkBinding::ReadMSR(uint32_t index, uint64_t* value) {
  if (!m_readMsr || !value) return false;
  // The library's result is not documented (makers differ on what success returns); only the value
  // it stores counts, as with the address of HWK_TranslateLinsToPhys.
  *value = 0;
  m_readMsr.get()(index, value);
  return true;
}

uint64_t HwkBinding::MapMemEx(uint32_t physLow, uint32_t physHigh, uint32_t length) {
  return m_mapMemEx ? m_mapMemEx.get()(physLow, physHigh, length) : 0;
}

void HwkBinding::UnMapMemEx(uint32_t low, uint32_t high) {
  if (m_unMapMemEx) m_unMapMemEx.get()(low, high);
}

void HwkBinding::SMICmd(SmiRegisters& regs) {
  if (m_smiCmd)
    m_smiCmd.get()(&regs.eax, &regs.ebx, &regs.ecx, &regs.edx, &regs.esi, &regs.edi, &regs.extra);
}

bool HwkBinding::HWK_Alloc_Kernel_PhysMem(uint32_t length, uint64_t* reference) {
  if (!m_alloc || !reference) return false;
  uint8_t record[16] = {};
  if (m_alloc.get()(length, record) != 1) return false;
  uint64_t ref = 0;
  for (int i = 0; i < 8; ++i) ref |= static_cast<uint64_t>(record[8 + i]) << (8 * i);
  *reference = ref;
  return true;
}

void HwkBinding::HWK_Free_Kernel_PhysMem(uint64_t reference) {
  if (m_free) m_free.get()(Low(reference), High(reference));
}

bool HwkBinding::HWK_TranslateLinsToPhys(uint64_t reference, uint32_t* physical) {
  if (!m_translate || !physical) return false;
  *physical = 0;
  m_translate.get()(Low(reference), High(reference), physical);
  // The library's result is not documented; a zero address is what a failure leaves behind.
  return *physical != 0;
}

void HwkBinding::HWK_MapMem_Copy_Userbuf_To_Phys(const void* source, uint64_t reference,
                                                 uint32_t length) {
  if (!m_copy) return;
  const uint64_t address = static_cast<uint64_t>(reinterpret_cast<uintptr_t>(source));
  uint32_t high = High(address);
  // A 32-bit program passes its pointer sign-extended, as the library expects.
  if (sizeof(void*) == 4) high = (Low(address) & 0x80000000u) ? 0xFFFFFFFFu : 0;
  m_copy.get()(Low(address), high, Low(reference), High(reference), length);
}

HwkLoadResult LoadHwk(HwkClient client, const std::string& programDir,
                      const std::string& systemDir, const LibraryLoader& loader) {
  HwkLoadResult result;
  std::unique_ptr<DynamicLibrary> library =
      LoadFromDirectories(kHwkLibraryName, {programDir, systemDir}, loader, &result.path);
  if (!library) return result;
  // The first library that loads is the one; an incomplete one is not replaced by another.
  result.hwk = HwkBinding::Bind(std::move(library), client, &result.missingEntry);
  result.status = result.hwk ? HwkBindStatus::Ok : HwkBindStatus::MissingEntry;
  return result;
}

HwkLoadResult LoadHwk(HwkClient client) {
  return LoadHwk(client, ProgramDirectory(), SystemLibraryDirectory(), LoadDynamicLibrary);
}

}  // namespace zor
