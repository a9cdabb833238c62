#include <windows.h>

#include <vector>

#include "platform/processes.h"

namespace zor {

namespace {

class Win32Processes : public Processes {
 public:
  bool StartHidden(const std::string& commandLine) override { return Run(commandLine, 0); }

  bool RunHidden(const std::string& commandLine, uint32_t timeoutMs) override {
    return Run(commandLine, timeoutMs);
  }

 private:
  static bool Run(const std::string& commandLine, uint32_t timeoutMs) {
    // CreateProcess may write into the command line, so it gets its own copy.
    std::vector<char> line(commandLine.begin(), commandLine.end());
    line.push_back('\0');
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = SW_HIDE;
    PROCESS_INFORMATION process = {};
    if (!CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &process)) {
      return false;
    }
    CloseHandle(process.hThread);
    const bool ended = !timeoutMs || WaitForSingleObject(process.hProcess, timeoutMs) == WAIT_OBJECT_0;
    CloseHandle(process.hProcess);
    return ended;
  }
};

}  // namespace

Processes& SystemProcesses() {
  static Win32Processes processes;
  return processes;
}

}  // namespace zor
