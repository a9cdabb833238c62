#include "sim/board/shared_board.h"

namespace zor::sim {

SharedBoard::SharedBoard(const std::string& path)
    : m_ready(OpenBoardFile(m_file, path) != OpenResult::kFailed) {}

}  // namespace zor::sim
