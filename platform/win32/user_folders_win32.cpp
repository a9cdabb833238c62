#include <windows.h>

#include <shlobj.h>

#include "platform/user_folders.h"

namespace zor {

std::string UserDocumentsFolder() {
  char buffer[MAX_PATH] = {};
  // CSIDL_FLAG_CREATE: a new profile may not have the folder yet.
  if (FAILED(SHGetFolderPathA(nullptr, CSIDL_PERSONAL | CSIDL_FLAG_CREATE, nullptr, SHGFP_TYPE_CURRENT, buffer))) {
    return std::string();
  }
  std::string folder(buffer);
  while (!folder.empty() && (folder.back() == '\\' || folder.back() == '/')) folder.pop_back();
  return folder;
}

bool MakeFolder(const std::string& path) {
  CreateDirectoryA(path.c_str(), nullptr);
  const DWORD attributes = GetFileAttributesA(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

}  // namespace zor
