#include "sim/board/board_file.h"

#include "platform/named_mutex.h"
#include "sim/board/board.h"
#include "sim/board/board_profiles.h"

namespace zor::sim {

BoardLockWord* BoardFile::LockWord() const {
  BoardState* state = State();
  return state ? reinterpret_cast<BoardLockWord*>(reinterpret_cast<uint8_t*>(state) + kBoardLockWordOffset)
               : nullptr;
}

OpenResult OpenBoardFile(BoardFile& file, const std::string& path) {
  // Openers take turns, so the first one alone sets up the lock word of a new or older file:
  // no process can be using a word without the magic.
  NamedMutex openers(kBoardMutexName);
  NamedMutexLock opening(openers, kBoardLockTimeoutMs);
  if (!opening.Held() || !file.Map(path)) return OpenResult::kFailed;
  BoardLockWord& word = *file.LockWord();
  if (__atomic_load_n(&word.magic, __ATOMIC_ACQUIRE) != kBoardLockMagic) BoardLock::Reset(word);
  file.Lock().Attach(&word);

  BoardLockHold held(file.Lock(), kBoardLockTimeoutMs);
  if (!held.Held()) return OpenResult::kFailed;
  if (Board::IsValid(*file.State())) return OpenResult::kOpened;
  Board::Create(*file.State(), DefaultProfile());
  return OpenResult::kCreated;
}

}  // namespace zor::sim
