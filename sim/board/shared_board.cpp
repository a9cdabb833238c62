#include "sim/board/shared_board.h"

namespace zor::sim {

SharedBoard::SharedBoard(const std::string& path)
    : m_lock(kBoardMutexName), m_ready(OpenBoardFile(m_file, m_lock, path) != OpenResult::kFailed) {}

}  // namespace zor::sim
