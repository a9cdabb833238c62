#include <cstdio>

#include "platform/program_paths.h"
#include "sim/board/board_file.h"
#include "sim/simboard/simboard_cli.h"

int main(int argc, char** argv) {
  // The board beside the program, where the simulated hwk.dll keeps it too.
  const std::string board = zor::JoinPath(zor::ProgramDirectory(), zor::sim::kBoardFileName);
  return zor::sim::RunSimboard(argc, argv, board, stdout, stderr);
}
