#include <windows.h>

#include "platform/program_paths.h"
#include "sim/board/shared_board.h"

namespace zor::sim {

std::string BoardFileBesideModule(const void* address) {
  HMODULE module = nullptr;
  char path[MAX_PATH] = {};
  DWORD length = 0;
  if (GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                         static_cast<LPCSTR>(address), &module)) {
    length = GetModuleFileNameA(module, path, MAX_PATH);
  }
  if (length == 0 || length >= MAX_PATH) return JoinPath(ProgramDirectory(), kBoardFileName);
  std::string dir(path, length);
  const size_t slash = dir.find_last_of("\\/");
  return JoinPath(slash == std::string::npos ? "." : dir.substr(0, slash), kBoardFileName);
}

}  // namespace zor::sim
