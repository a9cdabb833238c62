#include <windows.h>

#include <shellapi.h>

#include "platform/shell.h"

namespace zor {

namespace {

class Win32Shell : public Shell {
 public:
  bool Open(const std::string& file, const std::string& parameters) override {
    const HINSTANCE result =
        ShellExecuteA(nullptr, "open", file.c_str(),
                      parameters.empty() ? nullptr : parameters.c_str(), nullptr, SW_SHOW);
    // Values above 32 mean success.
    return reinterpret_cast<INT_PTR>(result) > 32;
  }
};

}  // namespace

Shell& SystemShell() {
  static Win32Shell shell;
  return shell;
}

}  // namespace zor
