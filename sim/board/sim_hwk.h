// The Hwk port over a simulated Board, for native tests and tools: memory maps return the real
// address of the board's bytes, the packet buffers come from the board's pool.
#pragma once

#include "platform/hwk.h"
#include "sim/board/board.h"

namespace zor::sim {

class SimHwk : public Hwk {
 public:
  explicit SimHwk(Board& board) : m_board(board) {}

  uint8_t qv_inp(uint32_t port) override { return m_board.In8(port); }
  void qv_outp(uint32_t port, uint32_t value) override {
    m_board.Out8(port, static_cast<uint8_t>(value));
  }
  uint32_t qv_inpd(uint32_t port) override { return m_board.In32(port); }
  void qv_outpd(uint32_t port, uint32_t value) override { m_board.Out32(port, value); }
  bool ReadMSR(uint32_t index, uint64_t* value) override { return m_board.ReadMsr(index, value); }
  uint64_t MapMemEx(uint32_t physLow, uint32_t physHigh, uint32_t length) override;
  void UnMapMemEx(uint32_t, uint32_t) override {}
  void SMICmd(SmiRegisters& regs) override { m_board.Smi(regs); }
  bool HWK_Alloc_Kernel_PhysMem(uint32_t length, uint64_t* reference) override;
  void HWK_Free_Kernel_PhysMem(uint64_t reference) override;
  bool HWK_TranslateLinsToPhys(uint64_t reference, uint32_t* physical) override;
  void HWK_MapMem_Copy_Userbuf_To_Phys(const void* source, uint64_t reference,
                                       uint32_t length) override;

  Board& board() { return m_board; }

 private:
  Board& m_board;
};

}  // namespace zor::sim
