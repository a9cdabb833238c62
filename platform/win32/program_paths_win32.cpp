#include <windows.h>

#include "platform/program_paths.h"

namespace zor {

std::string ProgramPath() {
  char buffer[MAX_PATH + 1] = {};
  const DWORD length = GetModuleFileNameA(nullptr, buffer, MAX_PATH);
  // A full buffer means the path was cut: better no path than a wrong one.
  if (length == 0 || length >= MAX_PATH) return std::string();
  return std::string(buffer, length);
}

}  // namespace zor
