#include <windows.h>

#include "platform/single_instance.h"

namespace zor {

namespace {

class Win32SingleInstance : public SingleInstance {
 public:
  bool Claim(const std::string& name) override {
    // The handle is never closed: the marker lasts exactly as long as this process.
    const HANDLE mutex = CreateMutexA(nullptr, FALSE, name.c_str());
    const DWORD error = GetLastError();
    if (mutex && error == ERROR_ALREADY_EXISTS) return false;
    if (!mutex) return error != ERROR_ACCESS_DENIED;  // denied: it exists, made by another user
    return true;
  }
};

}  // namespace

SingleInstance& SystemSingleInstance() {
  static Win32SingleInstance instance;
  return instance;
}

}  // namespace zor
