// Whether users other than administrators could change an update package's folder: a package
// there could be swapped between its checks and its use, or an older signed one put in its place.
#pragma once

#include <string>

namespace zor {

class FolderAccess {
 public:
  virtual ~FolderAccess() = default;
  // *othersMayWrite: someone besides the system, the administrators and the running (administrator)
  // account may add, change or remove files there, or change who may. False when the folder's
  // access cannot be read.
  virtual bool OthersMayWrite(const std::string& folder, bool* othersMayWrite) = 0;
};

FolderAccess& SystemFolderAccess();

}  // namespace zor
