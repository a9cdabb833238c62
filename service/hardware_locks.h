// The locks every hardware tool on the machine takes around shared hardware, so that two programs
// never interleave an index/data pair or an SMBus transaction. Waits are short: a busy lock skips
// the service's cycle (its last figures stay) rather than stalling it.
#pragma once

#include <cstdint>

#include "platform/named_mutex.h"

namespace zor {

class HardwareLocks {
 public:
  explicit HardwareLocks(uint32_t timeoutMs = kDefaultTimeoutMs);

  NamedMutex& Isa() { return m_isa; }      // sensor index/data port pair
  NamedMutex& Smbus() { return m_smbus; }  // one SMBus transaction
  NamedMutex& Pci() { return m_pci; }      // one 0xCF8/0xCFC pair
  uint32_t TimeoutMs() const { return m_timeoutMs; }

  static constexpr uint32_t kDefaultTimeoutMs = 25;
  static constexpr char kIsaName[] = "Global\\Access_ISABUS.HTP.Method";
  static constexpr char kSmbusName[] = "Global\\Access_SMBUS.HTP.Method";
  static constexpr char kPciName[] = "Global\\Access_PCI";

 private:
  uint32_t m_timeoutMs;
  NamedMutex m_isa;
  NamedMutex m_smbus;
  NamedMutex m_pci;
};

// Holds one of the locks for a scope, waiting at most the locks' timeout.
class HardwareLock {
 public:
  HardwareLock(HardwareLocks& locks, NamedMutex& mutex) : m_lock(mutex, locks.TimeoutMs()) {}
  bool Held() const { return m_lock.Held(); }

 private:
  NamedMutexLock m_lock;
};

}  // namespace zor
