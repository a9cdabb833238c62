#include <sys/stat.h>

#include <cstdlib>

#include "platform/user_folders.h"

namespace zor {

std::string UserDocumentsFolder() {
  const char* home = std::getenv("HOME");
  return home ? std::string(home) : std::string();
}

bool MakeFolder(const std::string& path) {
  mkdir(path.c_str(), 0755);
  struct stat info {};
  return stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

}  // namespace zor
