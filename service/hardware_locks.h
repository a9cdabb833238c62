// The locks every hardware tool on the machine takes around shared hardware, so that two programs
// never interleave an index/data pair or an SMBus transaction. Waits are short: a busy lock skips
// the service's cycle (its last figures stay) rather than stalling it. A lock that cannot be made
// at all (its name is taken by another kind of object, or its access list shuts us out) would be
// busy for ever: the service goes on without it.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "common/lock_names.h"
#include "platform/named_mutex.h"

namespace zor {

class HardwareLocks {
 public:
  explicit HardwareLocks(uint32_t timeoutMs = kDefaultTimeoutMs)
      : HardwareLocks(timeoutMs, locks::kIsaBus, locks::kSmbus, locks::kPci) {}
  HardwareLocks(uint32_t timeoutMs, const char* isaName, const char* smbusName, const char* pciName);

  NamedMutex& Isa() { return m_isa; }      // sensor index/data port pair
  NamedMutex& Smbus() { return m_smbus; }  // one SMBus transaction
  NamedMutex& Pci() { return m_pci; }      // one 0xCF8/0xCFC pair
  uint32_t TimeoutMs() const { return m_timeoutMs; }
  // The names of the locks that could not be made.
  std::vector<std::string> Unavailable() const;

  static constexpr uint32_t kDefaultTimeoutMs = 25;

 private:
  uint32_t m_timeoutMs;
  std::string m_names[3];
  NamedMutex m_isa;
  NamedMutex m_smbus;
  NamedMutex m_pci;
};

// Holds one of the locks for a scope, waiting at most the locks' timeout. A lock that could not be
// made counts as held.
class HardwareLock {
 public:
  HardwareLock(HardwareLocks& locks, NamedMutex& mutex)
      : m_lock(mutex, locks.TimeoutMs()), m_missing(!mutex.Valid()) {}
  bool Held() const { return m_lock.Held() || m_missing; }

 private:
  NamedMutexLock m_lock;
  bool m_missing;
};

}  // namespace zor
