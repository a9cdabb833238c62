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

// GetSystemTimes came with XP SP1; Windows 2000 has the same per-processor figures through
// NtQuerySystemInformation. Both are looked up at run time, so the program loads on either.
struct ProcessorTimes {  // SYSTEM_PROCESSOR_PERFORMANCE_INFORMATION
  LARGE_INTEGER idle;
  LARGE_INTEGER kernel;  // includes the idle time
  LARGE_INTEGER user;
  LARGE_INTEGER dpc;
  LARGE_INTEGER interrupt;
  ULONG interruptCount;
};
constexpr ULONG kProcessorPerformanceClass = 8;
constexpr size_t kMaxProcessors = 64;

using GetSystemTimesFn = BOOL(WINAPI*)(FILETIME*, FILETIME*, FILETIME*);
using NtQuerySystemInformationFn = LONG(WINAPI*)(ULONG, void*, ULONG, ULONG*);

template <typename Fn>
Fn Lookup(const char* module, const char* name) {
  HMODULE handle = GetModuleHandleA(module);
  return handle ? reinterpret_cast<Fn>(reinterpret_cast<void (*)()>(GetProcAddress(handle, name)))
                : nullptr;
}

bool ProcessorTotals(uint64_t& idle, uint64_t& total) {
  static const auto query =
      Lookup<NtQuerySystemInformationFn>("ntdll.dll", "NtQuerySystemInformation");
  if (!query) return false;
  ProcessorTimes times[kMaxProcessors] = {};
  ULONG length = 0;
  if (query(kProcessorPerformanceClass, times, sizeof times, &length) < 0) return false;
  const size_t count = length / sizeof(ProcessorTimes);
  if (count == 0) return false;
  idle = 0;
  total = 0;
  for (size_t i = 0; i < count && i < kMaxProcessors; ++i) {
    idle += static_cast<uint64_t>(times[i].idle.QuadPart);
    total += static_cast<uint64_t>(times[i].kernel.QuadPart) +
             static_cast<uint64_t>(times[i].user.QuadPart);
  }
  return true;
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
    static const auto getSystemTimes = Lookup<GetSystemTimesFn>("kernel32.dll", "GetSystemTimes");
    if (!getSystemTimes) return ProcessorTotals(idle, total);
    FILETIME idleTime, kernelTime, userTime;
    if (!getSystemTimes(&idleTime, &kernelTime, &userTime)) return false;
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
