// A simulated board and the Hwk over it, for the firmware protocol tests.
#pragma once

#include <memory>
#include <vector>

#include "common/firmware.h"
#include "sim/board/board.h"
#include "sim/board/board_profiles.h"
#include "sim/board/sim_hwk.h"

namespace zor::fw::test {

struct SimBoard {
  explicit SimBoard(const char* profile = nullptr)
      : state(std::make_unique<sim::BoardState>()), board(*state), hwk(board) {
    sim::Board::Create(*state, profile ? *sim::FindProfile(profile) : sim::DefaultProfile());
  }
  std::unique_ptr<sim::BoardState> state;
  sim::Board board;
  sim::SimHwk hwk;
};

// Records the waits instead of waiting.
class RecordingSleeper : public Sleeper {
 public:
  void SleepMs(uint32_t milliseconds) override { waits.push_back(milliseconds); }
  std::vector<uint32_t> waits;
};

// The board's Hwk, with memory mappings at chosen physical addresses refused.
class RefusingMaps : public Hwk {
 public:
  RefusingMaps(Hwk& inner, uint32_t refusedPhysical) : m_inner(inner), m_refused(refusedPhysical) {}
  uint8_t qv_inp(uint32_t port) override { return m_inner.qv_inp(port); }
  void qv_outp(uint32_t port, uint32_t value) override { m_inner.qv_outp(port, value); }
  uint32_t qv_inpd(uint32_t port) override { return m_inner.qv_inpd(port); }
  void qv_outpd(uint32_t port, uint32_t value) override { m_inner.qv_outpd(port, value); }
  bool ReadMSR(uint32_t index, uint64_t* value) override { return m_inner.ReadMSR(index, value); }
  uint64_t MapMemEx(uint32_t low, uint32_t high, uint32_t length) override {
    return low == m_refused ? 0 : m_inner.MapMemEx(low, high, length);
  }
  void UnMapMemEx(uint32_t low, uint32_t high) override { m_inner.UnMapMemEx(low, high); }
  void SMICmd(SmiRegisters& regs) override { m_inner.SMICmd(regs); }
  bool HWK_Alloc_Kernel_PhysMem(uint32_t length, uint64_t* reference) override {
    return m_inner.HWK_Alloc_Kernel_PhysMem(length, reference);
  }
  void HWK_Free_Kernel_PhysMem(uint64_t reference) override { m_inner.HWK_Free_Kernel_PhysMem(reference); }
  bool HWK_TranslateLinsToPhys(uint64_t reference, uint32_t* physical) override {
    return m_inner.HWK_TranslateLinsToPhys(reference, physical);
  }
  void HWK_MapMem_Copy_Userbuf_To_Phys(const void* source, uint64_t reference,
                                       uint32_t length) override {
    m_inner.HWK_MapMem_Copy_Userbuf_To_Phys(source, reference, length);
  }

 private:
  Hwk& m_inner;
  uint32_t m_refused;
};

}  // namespace zor::fw::test
