// The board lock: every access to a board file, reading or writing, holds it, so no process ever
// sees the board half-changed. It is one word in the board file itself: taking and giving it back
// are atomic operations on the shared bytes, with no system call while nobody else holds it (a
// named mutex costs two round trips to the kernel for each access, to the Wine server under Wine).
// Reads hold it too: on this board most of them change state (a sensor read follows an index
// write, records the load and updates the phase word), so a lock-free read path would serve little.
//
// Why it is sound:
// - The word holds 0 or the identity (id and start time) of the process holding the board. A
//   compare-and-swap from 0 takes it with acquire order and a store of 0 gives it back with release
//   order; the atomics are lock-free, so they work the same on a mapping shared between processes.
//   Everything one holder wrote is therefore seen by the next holder, in any process.
// - The word names a process, not a thread: the threads sharing a BoardLock pass its in-process
//   mutex first, and another BoardLock of the same process on the same file finds the word held
//   by its own process and waits like any other process.
// - A process that dies holding the board would keep it forever, where a mutex would be abandoned.
//   A waiter therefore asks, now and then, whether the holder still runs; when it has ended, the
//   waiter swaps the dead holder's identity for its own in one compare-and-swap (so two waiters
//   cannot both take over) and carries on, as with an abandoned mutex. The start time in the
//   identity keeps a recycled process id from passing for the dead holder.
#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <mutex>

#include "platform/process_identity.h"
#include "platform/timed_hold.h"

namespace zor::sim {

// The lock's bytes in the board file, after the board record.
struct BoardLockWord {
  uint32_t magic;  // kBoardLockMagic once an opener has set the word up
  uint32_t reserved;
  uint64_t owner;  // 0, or the holder's identity
};
// Aligned in the file, so the owner never straddles a cache line.
static_assert(offsetof(BoardLockWord, owner) % 8 == 0);

constexpr uint32_t kBoardLockMagic = 0x4B4C425Au;  // "ZBLK"

class BoardLock {
 public:
  BoardLock();
  BoardLock(const BoardLock&) = delete;
  BoardLock& operator=(const BoardLock&) = delete;

  // The word to work on; until it is set, Lock fails.
  void Attach(BoardLockWord* word) { m_word = word; }
  // Makes a word that no process of this kind has used yet free. Only for an opener that knows
  // nobody works with the word (it holds the openers' lock and the word had no magic).
  static void Reset(BoardLockWord& word);

  // True when the board was taken within timeoutMs.
  bool Lock(uint32_t timeoutMs);
  void Unlock();

 private:
  bool TakeOver(uint64_t& seen, std::chrono::steady_clock::time_point now,
                std::chrono::steady_clock::time_point& nextCheck);

  std::timed_mutex m_local;
  BoardLockWord* m_word = nullptr;
  uint64_t m_self;
};

using BoardLockHold = TimedHold<BoardLock>;

}  // namespace zor::sim
