// The maker's hardware-access library as the programs see it: one call per entry point of hwk.dll.
// The product binds the real DLL (common/hwk_binding); native tests and tools talk to the simulated
// board directly (sim/sim_hwk). All arguments are 32-bit, as the library defines them.
#pragma once

#include <cstdint>

namespace zor {

// The seven register values of one SMICmd call, in the library's order.
struct SmiRegisters {
  uint32_t eax = 0;
  uint32_t ebx = 0;
  uint32_t ecx = 0;
  uint32_t edx = 0;
  uint32_t esi = 0;
  uint32_t edi = 0;
  uint32_t extra = 0;  // passed along, never set or read by the programs
};

class Hwk {
 public:
  virtual ~Hwk() = default;

  virtual uint8_t qv_inp(uint32_t port) = 0;
  virtual void qv_outp(uint32_t port, uint32_t value) = 0;
  virtual uint32_t qv_inpd(uint32_t port) = 0;
  virtual void qv_outpd(uint32_t port, uint32_t value) = 0;

  // Stores the MSR's value; the programs use its low 32 bits. False when the library refuses.
  virtual bool ReadMSR(uint32_t index, uint64_t* value) = 0;

  // Maps `length` bytes of physical memory. The result is the library's 64-bit value: its low half
  // (32-bit build) or the whole value (64-bit build) is the linear address; 0 means failure.
  virtual uint64_t MapMemEx(uint32_t physLow, uint32_t physHigh, uint32_t length) = 0;
  virtual void UnMapMemEx(uint32_t low, uint32_t high) = 0;

  // Loads the registers, raises the SMI through the port in EDX, and writes the registers back.
  virtual void SMICmd(SmiRegisters& regs) = 0;

  // Physical buffers for packets handed to the firmware. `reference` is the record's bytes 8-15.
  virtual bool HWK_Alloc_Kernel_PhysMem(uint32_t length, uint64_t* reference) = 0;
  virtual void HWK_Free_Kernel_PhysMem(uint64_t reference) = 0;
  virtual bool HWK_TranslateLinsToPhys(uint64_t reference, uint32_t* physical) = 0;
  virtual void HWK_MapMem_Copy_Userbuf_To_Phys(const void* source, uint64_t reference,
                                               uint32_t length) = 0;

  // Whether the library is the project's stand-in over the simulated board rather than a maker's.
  virtual bool IsSimulated() const { return false; }
};

// The linear address inside a MapMemEx result, for this build's pointer width.
inline uint8_t* MappedAddress(uint64_t mapping) {
  if (sizeof(void*) == 4) mapping &= 0xFFFFFFFFu;
  return reinterpret_cast<uint8_t*>(static_cast<uintptr_t>(mapping));
}

}  // namespace zor
