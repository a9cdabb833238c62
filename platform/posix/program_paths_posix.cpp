#include <limits.h>
#include <unistd.h>

#include "platform/program_paths.h"

namespace zor {

std::string ProgramPath() {
  char buffer[PATH_MAX] = {};
  const ssize_t length = readlink("/proc/self/exe", buffer, sizeof buffer - 1);
  if (length <= 0) return std::string();
  return std::string(buffer, static_cast<size_t>(length));
}

}  // namespace zor
