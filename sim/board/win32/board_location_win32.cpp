#include <windows.h>

#include "platform/program_paths.h"
#include "sim/board/shared_board.h"

namespace zor::sim {

std::string BoardFileBesideModule(const void* address) {
  // The module holding an address is the allocation its pages belong to; this works back to
  // Windows 2000, where GetModuleHandleEx does not exist.
  MEMORY_BASIC_INFORMATION memory = {};
  char path[MAX_PATH] = {};
  DWORD length = 0;
  if (VirtualQuery(address, &memory, sizeof memory) == sizeof memory && memory.AllocationBase) {
    length = GetModuleFileNameA(static_cast<HMODULE>(memory.AllocationBase), path, MAX_PATH);
  }
  if (length == 0 || length >= MAX_PATH) return JoinPath(ProgramDirectory(), kBoardFileName);
  std::string dir(path, length);
  const size_t slash = dir.find_last_of("\\/");
  return JoinPath(slash == std::string::npos ? "." : dir.substr(0, slash), kBoardFileName);
}

}  // namespace zor::sim
