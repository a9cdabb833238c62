// The service's port-level conversations with the board: the sensor index/data pair, PCI
// configuration reads and SMBus byte reads through the chipset's host controller. Each one holds
// the matching cross-tool lock and says how it went, so a failure never passes for a reading.
#pragma once

#include <cstdint>

#include "platform/clock.h"
#include "platform/hwk.h"
#include "service/hardware_locks.h"

namespace zor {

enum class IoStatus {
  kOk,
  kLockBusy,   // another tool held the cross-tool lock for the whole wait
  kSmbusBusy,  // the SMBus host controller stayed busy
};

struct ByteRead {
  IoStatus status = IoStatus::kOk;
  uint8_t value = 0;
  bool Ok() const { return status == IoStatus::kOk; }
};

class BoardIo {
 public:
  BoardIo(Hwk& hwk, Clock& clock, HardwareLocks& locks)
      : m_hwk(hwk), m_clock(clock), m_locks(locks) {}

  // The sensor register's byte.
  ByteRead ReadSensor(uint32_t indexPort, uint32_t dataPort, uint32_t reg);
  // Two sensor registers under one hold of the sensor lock (each hold is a round trip to the
  // lock's owner, which costs more than the reads).
  void ReadSensorPair(uint32_t indexPort, uint32_t dataPort, uint32_t firstReg, uint32_t secondReg,
                      ByteRead& first, ByteRead& second);
  IoStatus ReadPciConfig(uint32_t bus, uint32_t device, uint32_t function, uint32_t reg,
                         uint32_t& value);
  // The data byte of a byte-data read at the host controller's base.
  ByteRead SmbusReadByte(uint32_t base, uint32_t address, uint32_t command);

  // Host controller registers, from its base.
  static constexpr uint32_t kHostStatus = 0;
  static constexpr uint32_t kHostControl = 2;
  static constexpr uint32_t kHostCommand = 3;
  static constexpr uint32_t kHostAddress = 4;
  static constexpr uint32_t kHostData = 5;
  static constexpr uint32_t kByteDataRead = 0x48;
  static constexpr uint32_t kPollMs = 5;
  static constexpr int kReadyWaits = 10;

 private:
  bool WaitUntilReady(uint32_t base);

  Hwk& m_hwk;
  Clock& m_clock;
  HardwareLocks& m_locks;
};

}  // namespace zor
