// The simboard command: grammar, dispatch and the decoded board report.
#pragma once

#include <cstdio>
#include <string>

#include "sim/board/board.h"

namespace zor::sim {

// Runs one simboard command line (argv[0] is the program). defaultBoard is the board file used
// without --board. Returns the process exit status: 0 done, 1 failed, 2 usage error.
int RunSimboard(int argc, const char* const* argv, const std::string& defaultBoard, std::FILE* out,
                std::FILE* err);

// The decoded state: profile, load and readings, flags, tables, rails, ROM, fan, clock, logs.
void PrintBoard(Board& board, std::FILE* out);

}  // namespace zor::sim
