// A lock shared by every process on the machine that uses the same name: a named mutex on Windows
// (created with the access asked for: for everyone, so a service and another tool can share it, or
// for SYSTEM and the Administrators only), a lock file natively. Waits are bounded; a mutex
// abandoned by a dead holder counts as taken.
#pragma once

#include <cstdint>
#include <string>

#include "platform/object_access.h"
#include "platform/timed_hold.h"

namespace zor {

class NamedMutex {
 public:
  // name: a Windows object name such as "Global\Access_SMBUS.HTP.Method".
  explicit NamedMutex(const std::string& name, ObjectAccess access = ObjectAccess::kEveryone);
  ~NamedMutex();
  NamedMutex(const NamedMutex&) = delete;
  NamedMutex& operator=(const NamedMutex&) = delete;

  bool Valid() const;
  // True when the lock was taken within timeoutMs (kInfinite waits as long as it takes).
  bool Lock(uint32_t timeoutMs);
  void Unlock();

  static constexpr uint32_t kInfinite = 0xFFFFFFFFu;

 private:
  struct Impl;
  Impl* m_impl;
};

using NamedMutexLock = TimedHold<NamedMutex>;

}  // namespace zor
