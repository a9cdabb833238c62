#include "sim/board/sim_hwk.h"

namespace zor::sim {

// A buffer reference is the buffer's physical address: the pool is the only place buffers live.
namespace {
bool IsPoolReference(uint64_t reference) { return reference != 0 && reference <= 0xFFFFFFFFu; }
}  // namespace

uint64_t SimHwk::MapMemEx(uint32_t physLow, uint32_t physHigh, uint32_t length) {
  const uint64_t physical = (static_cast<uint64_t>(physHigh) << 32) | physLow;
  const ByteSpan span = m_board.Map(physical, length);
  return span.data ? static_cast<uint64_t>(reinterpret_cast<uintptr_t>(span.data)) : 0;
}

bool SimHwk::HWK_Alloc_Kernel_PhysMem(uint32_t length, uint64_t* reference) {
  const uint32_t physical = m_board.AllocatePhysical(length);
  if (reference) *reference = physical;
  return physical != 0;
}

void SimHwk::HWK_Free_Kernel_PhysMem(uint64_t reference) {
  if (IsPoolReference(reference)) m_board.FreePhysical(static_cast<uint32_t>(reference));
}

bool SimHwk::HWK_TranslateLinsToPhys(uint64_t reference, uint32_t* physical) {
  if (!IsPoolReference(reference) || !m_board.IsAllocated(static_cast<uint32_t>(reference))) return false;
  if (physical) *physical = static_cast<uint32_t>(reference);
  return true;
}

void SimHwk::HWK_MapMem_Copy_Userbuf_To_Phys(const void* source, uint64_t reference, uint32_t length) {
  if (IsPoolReference(reference)) m_board.CopyToPhysical(static_cast<uint32_t>(reference), source, length);
}

}  // namespace zor::sim
