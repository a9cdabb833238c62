#include "sim/board/board_lock.h"

#include <thread>

namespace zor::sim {

namespace {

using Clock = std::chrono::steady_clock;

// A holder keeps the board for microseconds: spin through a few yields, then sleep a little. Ask
// whether the holder still runs only once a wait has lasted, since the question costs a round trip
// to the system.
constexpr int kYields = 50;
constexpr auto kNap = std::chrono::milliseconds(1);
constexpr auto kFirstOwnerCheck = std::chrono::milliseconds(20);
constexpr auto kOwnerCheckEvery = std::chrono::milliseconds(100);

static_assert(__atomic_always_lock_free(sizeof(uint64_t), nullptr),
              "the owner word must be lock-free to work across processes");

uint64_t Pack(const ProcessIdentity& process) {
  return static_cast<uint64_t>(process.started) << 32 | process.id;
}

ProcessIdentity Unpack(uint64_t owner) {
  ProcessIdentity process;
  process.id = static_cast<uint32_t>(owner);
  process.started = static_cast<uint32_t>(owner >> 32);
  return process;
}

}  // namespace

BoardLock::BoardLock() : m_self(Pack(CurrentProcessIdentity())) {}

void BoardLock::Reset(BoardLockWord& word) {
  __atomic_store_n(&word.owner, uint64_t{0}, __ATOMIC_RELEASE);
  word.reserved = 0;
  __atomic_store_n(&word.magic, kBoardLockMagic, __ATOMIC_RELEASE);
}

bool BoardLock::Lock(uint32_t timeoutMs) {
  if (!m_word) return false;
  const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
  if (!m_local.try_lock_until(deadline)) return false;
  Clock::time_point nextCheck = Clock::now() + kFirstOwnerCheck;
  for (int attempt = 0;; ++attempt) {
    uint64_t seen = 0;
    if (__atomic_compare_exchange_n(&m_word->owner, &seen, m_self, false, __ATOMIC_ACQUIRE,
                                    __ATOMIC_RELAXED)) {
      return true;
    }
    const Clock::time_point now = Clock::now();
    if (TakeOver(seen, now, nextCheck)) return true;
    if (now >= deadline) break;
    if (attempt < kYields) {
      std::this_thread::yield();
    } else {
      std::this_thread::sleep_for(kNap);
    }
  }
  m_local.unlock();
  return false;
}

// Takes the board from a holder that has ended; false while the holder runs (or another waiter
// took over first).
bool BoardLock::TakeOver(uint64_t& seen, Clock::time_point now, Clock::time_point& nextCheck) {
  if (seen == 0 || seen == m_self || now < nextCheck) return false;
  nextCheck = now + kOwnerCheckEvery;
  if (!ProcessEnded(Unpack(seen))) return false;
  return __atomic_compare_exchange_n(&m_word->owner, &seen, m_self, false, __ATOMIC_ACQUIRE,
                                     __ATOMIC_RELAXED);
}

void BoardLock::Unlock() {
  __atomic_store_n(&m_word->owner, uint64_t{0}, __ATOMIC_RELEASE);
  m_local.unlock();
}

}  // namespace zor::sim
