// Holds a lock with a bounded wait (Lock(timeoutMs) -> bool, Unlock()) for a scope; Held() tells
// whether the wait succeeded.
#pragma once

#include <cstdint>

namespace zor {

template <typename Lockable>
class TimedHold {
 public:
  TimedHold(Lockable& lock, uint32_t timeoutMs) : m_lock(lock), m_held(lock.Lock(timeoutMs)) {}
  ~TimedHold() {
    if (m_held) m_lock.Unlock();
  }
  TimedHold(const TimedHold&) = delete;
  TimedHold& operator=(const TimedHold&) = delete;
  bool Held() const { return m_held; }

 private:
  Lockable& m_lock;
  bool m_held;
};

}  // namespace zor
