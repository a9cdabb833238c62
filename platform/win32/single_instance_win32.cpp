#include <windows.h>

#include "platform/single_instance.h"
#include "platform/win32/object_security.h"

namespace zor {

namespace {

class Win32SingleInstance : public SingleInstance {
 public:
  bool Claim(const std::string& name) override {
    // The handle is never closed: the marker lasts exactly as long as this process. Only SYSTEM
    // and the Administrators may open it, so a user's program cannot hold it open after zor2 ends.
    ObjectSecurity security(ObjectAccess::kSystemAndAdministrators);
    const HANDLE mutex = CreateMutexA(security.Attributes(), FALSE, name.c_str());
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
