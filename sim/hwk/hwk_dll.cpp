// hwk.dll over the simulated board. The board lives in SimBoard.bin beside this DLL, mapped shared
// and guarded by the board lock, so the service, the GUI and simboard see one board. Memory maps
// return addresses inside this process's view of that file.
#include <windows.h>

#include <cstring>
#include <type_traits>

#include "common/hwk_entry_points.h"
#include "sim/board/shared_board.h"
#include "sim/hwk/host_load.h"

namespace {

using zor::sim::Board;

// Any object of this module: it names the DLL whose directory holds the board file.
const char kModuleAnchor = 0;

// Opened on first use, not in DllMain, so no file or lock work runs under the loader lock.
zor::sim::SharedBoard& Shared() {
  static zor::sim::SharedBoard* shared = [] {
    auto* board = new zor::sim::SharedBoard(zor::sim::BoardFileBesideModule(&kModuleAnchor));
    board->SetLoadSource(&zor::sim::HostCpuLoad);
    return board;
  }();
  return *shared;
}

// One access to the board under the lock; `fallback` when the board cannot be reached.
template <typename R, typename Fn>
R WithBoard(R fallback, Fn fn) {
  return Shared().With(fallback, fn);
}

uint64_t Address(const void* pointer) {
  return static_cast<uint64_t>(reinterpret_cast<uintptr_t>(pointer));
}

uint64_t Join(uint32_t low, uint32_t high) { return (static_cast<uint64_t>(high) << 32) | low; }

// A buffer reference is the buffer's physical address in the board's pool.
bool PoolReference(uint32_t low, uint32_t high) { return high == 0 && low != 0; }

}  // namespace

#define HWK_EXPORT extern "C" __declspec(dllexport)

// Tells the programs that the board is the simulation, so that the window can say so. Only its
// presence counts.
HWK_EXPORT uint32_t ZOR_DLL_CALL ZorSimulatedBoard() { return 1; }

HWK_EXPORT uint32_t ZOR_DLL_CALL qv_inp(uint32_t port) {
  return WithBoard(0xFFu, [&](Board& b) -> uint32_t { return b.In8(port); });
}

HWK_EXPORT void ZOR_DLL_CALL qv_outp(uint32_t port, uint32_t value) {
  WithBoard(0, [&](Board& b) {
    b.Out8(port, static_cast<uint8_t>(value));
    return 0;
  });
}

HWK_EXPORT uint32_t ZOR_DLL_CALL qv_inpd(uint32_t port) {
  return WithBoard(0xFFFFFFFFu, [&](Board& b) { return b.In32(port); });
}

HWK_EXPORT void ZOR_DLL_CALL qv_outpd(uint32_t port, uint32_t value) {
  WithBoard(0, [&](Board& b) {
    b.Out32(port, value);
    return 0;
  });
}

HWK_EXPORT int32_t ZOR_DLL_CALL ReadMSR(uint32_t index, uint64_t* value) {
  return WithBoard(0, [&](Board& b) -> int32_t { return b.ReadMsr(index, value) ? 1 : 0; });
}

HWK_EXPORT uint64_t ZOR_DLL_CALL MapMemEx(uint32_t physLow, uint32_t physHigh, uint32_t length) {
  return WithBoard(uint64_t{0}, [&](Board& b) { return Address(b.Map(Join(physLow, physHigh), length).data); });
}

// The board's memory is mapped for as long as the DLL is loaded; there is nothing to release.
HWK_EXPORT void ZOR_DLL_CALL UnMapMemEx(uint32_t, uint32_t) {}

HWK_EXPORT uint32_t ZOR_DLL_CALL MapMem(uint32_t physical, uint32_t length) {
  return static_cast<uint32_t>(MapMemEx(physical, 0, length));
}

HWK_EXPORT void ZOR_DLL_CALL UnMapMem(uint32_t, uint32_t) {}

HWK_EXPORT uint32_t ZOR_DLL_CALL MapMem_Phys_To_Linear(uint32_t physical, uint32_t length) {
  return MapMem(physical, length);
}

HWK_EXPORT void ZOR_DLL_CALL SMICmd(uint32_t* eax, uint32_t* ebx, uint32_t* ecx, uint32_t* edx,
                                    uint32_t* esi, uint32_t* edi, uint32_t* extra) {
  uint32_t* slots[7] = {eax, ebx, ecx, edx, esi, edi, extra};
  uint32_t values[7] = {};
  for (int i = 0; i < 7; ++i) values[i] = slots[i] ? *slots[i] : 0;
  zor::SmiRegisters regs{values[0], values[1], values[2], values[3], values[4], values[5], values[6]};
  WithBoard(0, [&](Board& b) {
    b.Smi(regs);
    return 0;
  });
  const uint32_t out[7] = {regs.eax, regs.ebx, regs.ecx, regs.edx, regs.esi, regs.edi, regs.extra};
  for (int i = 0; i < 7; ++i) {
    if (slots[i]) *slots[i] = out[i];
  }
}

HWK_EXPORT void ZOR_DLL_CALL SMICall(uint32_t eax, uint32_t ebx, uint32_t ecx, uint32_t edx) {
  zor::SmiRegisters regs{eax, ebx, ecx, edx, 0, 0, 0};
  WithBoard(0, [&](Board& b) {
    b.Smi(regs);
    return 0;
  });
}

HWK_EXPORT int32_t ZOR_DLL_CALL HWK_Alloc_Kernel_PhysMem(uint32_t length, uint8_t* record) {
  if (!record) return 0;
  const uint32_t physical = WithBoard(0u, [&](Board& b) { return b.AllocatePhysical(length); });
  const uint32_t fields[4] = {length, physical, physical, 0};  // length, address, reference
  std::memcpy(record, fields, sizeof fields);
  return physical ? 1 : 0;
}

HWK_EXPORT void ZOR_DLL_CALL HWK_Free_Kernel_PhysMem(uint32_t refLow, uint32_t refHigh) {
  if (!PoolReference(refLow, refHigh)) return;
  WithBoard(false, [&](Board& b) { return b.FreePhysical(refLow); });
}

HWK_EXPORT int32_t ZOR_DLL_CALL HWK_TranslateLinsToPhys(uint32_t refLow, uint32_t refHigh,
                                                        uint32_t* physical) {
  if (!physical || !PoolReference(refLow, refHigh)) return 0;
  const bool known = WithBoard(false, [&](Board& b) { return b.IsAllocated(refLow); });
  if (known) *physical = refLow;
  return known ? 1 : 0;
}

HWK_EXPORT void ZOR_DLL_CALL HWK_MapMem_Copy_Userbuf_To_Phys(uint32_t srcLow, uint32_t srcHigh,
                                                             uint32_t refLow, uint32_t refHigh,
                                                             uint32_t length) {
  if (!PoolReference(refLow, refHigh)) return;
  // The high half is sign-extended on 32-bit callers; only this build's pointer width counts.
  const uintptr_t source = sizeof(void*) == 4 ? srcLow : static_cast<uintptr_t>(Join(srcLow, srcHigh));
  WithBoard(false, [&](Board& b) { return b.CopyToPhysical(refLow, reinterpret_cast<const void*>(source), length); });
}

// The exports must keep the exact shapes the programs bind.
static_assert(std::is_same_v<decltype(&qv_inp), PFN_qv_inp>);
static_assert(std::is_same_v<decltype(&qv_outp), PFN_qv_outp>);
static_assert(std::is_same_v<decltype(&qv_inpd), PFN_qv_inpd>);
static_assert(std::is_same_v<decltype(&qv_outpd), PFN_qv_outpd>);
static_assert(std::is_same_v<decltype(&ReadMSR), PFN_ReadMSR>);
static_assert(std::is_same_v<decltype(&MapMem), PFN_MapMem>);
static_assert(std::is_same_v<decltype(&UnMapMem), PFN_UnMapMem>);
static_assert(std::is_same_v<decltype(&MapMemEx), PFN_MapMemEx>);
static_assert(std::is_same_v<decltype(&UnMapMemEx), PFN_UnMapMemEx>);
static_assert(std::is_same_v<decltype(&SMICmd), PFN_SMICmd>);
static_assert(std::is_same_v<decltype(&SMICall), PFN_SMICall>);
static_assert(std::is_same_v<decltype(&MapMem_Phys_To_Linear), PFN_MapMem_Phys_To_Linear>);
static_assert(std::is_same_v<decltype(&HWK_Alloc_Kernel_PhysMem), PFN_HWK_Alloc_Kernel_PhysMem>);
static_assert(std::is_same_v<decltype(&HWK_Free_Kernel_PhysMem), PFN_HWK_Free_Kernel_PhysMem>);
static_assert(std::is_same_v<decltype(&HWK_TranslateLinsToPhys), PFN_HWK_TranslateLinsToPhys>);
static_assert(std::is_same_v<decltype(&HWK_MapMem_Copy_Userbuf_To_Phys),
                             PFN_HWK_MapMem_Copy_Userbuf_To_Phys>);
