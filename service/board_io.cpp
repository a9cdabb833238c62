#include "service/board_io.h"

namespace zor {

namespace {
constexpr uint32_t kPciAddressPort = 0xCF8;
constexpr uint32_t kPciDataPort = 0xCFC;
}  // namespace

ByteRead BoardIo::ReadSensor(uint32_t indexPort, uint32_t dataPort, uint32_t reg) {
  HardwareLock lock(m_locks, m_locks.Isa());
  if (!lock.Held()) return {IoStatus::kLockBusy, 0};
  m_hwk.qv_outp(indexPort, reg & 0xFF);
  return {IoStatus::kOk, m_hwk.qv_inp(dataPort)};
}

void BoardIo::ReadSensorPair(uint32_t indexPort, uint32_t dataPort, uint32_t firstReg,
                             uint32_t secondReg, ByteRead& first, ByteRead& second) {
  HardwareLock lock(m_locks, m_locks.Isa());
  if (!lock.Held()) {
    first = second = {IoStatus::kLockBusy, 0};
    return;
  }
  m_hwk.qv_outp(indexPort, firstReg & 0xFF);
  first = {IoStatus::kOk, m_hwk.qv_inp(dataPort)};
  m_hwk.qv_outp(indexPort, secondReg & 0xFF);
  second = {IoStatus::kOk, m_hwk.qv_inp(dataPort)};
}

IoStatus BoardIo::ReadPciConfig(uint32_t bus, uint32_t device, uint32_t function, uint32_t reg,
                                uint32_t& value) {
  HardwareLock lock(m_locks, m_locks.Pci());
  if (!lock.Held()) return IoStatus::kLockBusy;
  const uint32_t address = 0x80000000u | (bus & 0xFF) << 16 | (device & 0xFF) << 11 |
                           (function & 0xFF) << 8 | (reg & 0xFF);
  m_hwk.qv_outpd(kPciAddressPort, address);
  value = m_hwk.qv_inpd(kPciDataPort);
  return IoStatus::kOk;
}

// Writing 1 to the status register clears a finished transfer's busy bit; a controller that keeps
// it set for ten polls is stuck.
bool BoardIo::WaitUntilReady(uint32_t base) {
  const uint32_t status = base + kHostStatus;
  m_hwk.qv_outp(status, 0x01);
  if ((m_hwk.qv_inp(status) & 1) == 0) return true;
  for (int wait = 1; wait <= kReadyWaits; ++wait) {
    m_clock.SleepMs(kPollMs);
    m_hwk.qv_outp(status, 0x01);
    if (wait == kReadyWaits) break;
    if ((m_hwk.qv_inp(status) & 1) == 0) return true;
  }
  return false;
}

ByteRead BoardIo::SmbusReadByte(uint32_t base, uint32_t address, uint32_t command) {
  HardwareLock lock(m_locks, m_locks.Smbus());
  if (!lock.Held()) return {IoStatus::kLockBusy, 0};
  if (!WaitUntilReady(base)) return {IoStatus::kSmbusBusy, 0};
  m_hwk.qv_outp(base + kHostAddress, (address + 1) & 0xFF);
  m_hwk.qv_outp(base + kHostCommand, command);
  m_hwk.qv_outp(base + kHostStatus, 0xFF);
  m_hwk.qv_outp(base + kHostData, 0xFF);
  m_hwk.qv_outp(base + kHostControl, kByteDataRead);
  m_clock.SleepMs(kPollMs);
  if (!WaitUntilReady(base)) return {IoStatus::kSmbusBusy, 0};
  return {IoStatus::kOk, m_hwk.qv_inp(base + kHostData)};
}

}  // namespace zor
