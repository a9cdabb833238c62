#include <windows.h>

#include <algorithm>
#include <cstdio>

#include "platform/perf_data.h"

namespace zor {

namespace {

constexpr DWORD kInitialBuffer = 102400;
constexpr DWORD kGrowth = 10240;

uint64_t Ticks(const FILETIME& t) {
  return (static_cast<uint64_t>(t.dwHighDateTime) << 32) | t.dwLowDateTime;
}

bool WriteZero(const char* subkey) {
  HKEY key = nullptr;
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, subkey, 0, KEY_ALL_ACCESS, &key) != ERROR_SUCCESS) {
    return false;
  }
  const DWORD zero = 0;
  const LONG result = RegSetValueExA(key, "Disable Performance Counters", 0, REG_DWORD,
                                     reinterpret_cast<const BYTE*>(&zero), sizeof zero);
  RegCloseKey(key);
  return result == ERROR_SUCCESS;
}

class Win32PerfData : public PerfData {
 public:
  int PlatformCode() override {
    OSVERSIONINFOA info = {};
    info.dwOSVersionInfoSize = sizeof info;
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
    if (!GetVersionExA(&info)) return 3;
#pragma GCC diagnostic pop
    if (info.dwPlatformId == VER_PLATFORM_WIN32_NT) return info.dwMajorVersion == 4 ? 0 : 1;
    if (info.dwPlatformId == VER_PLATFORM_WIN32_WINDOWS) return 2;
    return 3;
  }

  bool EnableCounters() override {
    // The second key is only tried when the first could be written, as before.
    if (!WriteZero("SYSTEM\\CurrentControlSet\\Services\\PerfOS\\Performance")) return false;
    return WriteZero("SYSTEM\\CurrentControlSet\\Services\\PerfProc\\Performance");
  }

  bool Query(uint32_t objectIndex, std::vector<uint8_t>& buffer) override {
    char name[16];
    snprintf(name, sizeof name, "%u", static_cast<unsigned>(objectIndex));
    if (buffer.size() < kInitialBuffer) buffer.resize(kInitialBuffer);
    for (;;) {
      std::fill(buffer.begin(), buffer.end(), 0);
      DWORD size = static_cast<DWORD>(buffer.size());
      const LONG result =
          RegQueryValueExA(HKEY_PERFORMANCE_DATA, name, nullptr, nullptr, buffer.data(), &size);
      if (result == ERROR_MORE_DATA) {
        // Some systems report no size on ERROR_MORE_DATA; always grow.
        const size_t wanted = (size > buffer.size() ? size : buffer.size()) + kGrowth;
        buffer.resize(wanted);
        continue;
      }
      RegCloseKey(HKEY_PERFORMANCE_DATA);
      return result == ERROR_SUCCESS;
    }
  }

  bool SystemTimes(uint64_t& idle, uint64_t& total) override {
    FILETIME idleTime, kernelTime, userTime;
    if (!GetSystemTimes(&idleTime, &kernelTime, &userTime)) return false;
    idle = Ticks(idleTime);
    // Kernel time includes the idle time.
    total = Ticks(kernelTime) + Ticks(userTime);
    return true;
  }
};

}  // namespace

PerfData& SystemPerfData() {
  static Win32PerfData data;
  return data;
}

}  // namespace zor
