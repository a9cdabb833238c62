#include <sys/stat.h>
#include <unistd.h>

#include "apps/updexe/folder_access.h"

namespace zor {

namespace {

// Root and the running account stand for the administrators; the group and the others for users.
class PosixFolderAccess : public FolderAccess {
 public:
  bool OthersMayWrite(const std::string& folder, bool* othersMayWrite) override {
    struct stat info;
    if (stat(folder.c_str(), &info) != 0 || !S_ISDIR(info.st_mode)) return false;
    *othersMayWrite = (info.st_mode & (S_IWGRP | S_IWOTH)) != 0 || (info.st_uid != 0 && info.st_uid != geteuid());
    return true;
  }
};

}  // namespace

FolderAccess& SystemFolderAccess() {
  static PosixFolderAccess access;
  return access;
}

}  // namespace zor
