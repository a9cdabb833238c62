#include "sim/board/board_file.h"

#include "sim/board/board.h"
#include "sim/board/board_profiles.h"

namespace zor::sim {

OpenResult OpenBoardFile(BoardFile& file, NamedMutex& lock, const std::string& path) {
  NamedMutexLock held(lock, kBoardLockTimeoutMs);
  if (!held.Held() || !file.Map(path)) return OpenResult::kFailed;
  if (Board::IsValid(*file.State())) return OpenResult::kOpened;
  Board::Create(*file.State(), DefaultProfile());
  return OpenResult::kCreated;
}

}  // namespace zor::sim
