#include "platform/program_paths.h"
#include "sim/board/shared_board.h"

namespace zor::sim {

// Natively everything is linked into the program, so the module is the program.
std::string BoardFileBesideModule(const void*) { return JoinPath(ProgramDirectory(), kBoardFileName); }

}  // namespace zor::sim
