#include "platform/program_paths.h"

namespace zor {

std::string ProgramDirectory() {
  std::string path = ProgramPath();
  const size_t cut = path.find_last_of("\\/");
  if (cut == std::string::npos) return std::string();
  path.resize(cut);
  return path;
}

std::string JoinPath(const std::string& dir, const std::string& name) {
#ifdef _WIN32
  const char separator = '\\';
#else
  const char separator = '/';
#endif
  if (dir.empty()) return name;
  if (dir.back() == '\\' || dir.back() == '/') return dir + name;
  return dir + separator + name;
}

}  // namespace zor
