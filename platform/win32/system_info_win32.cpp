#include <windows.h>

#include "platform/system_info.h"

namespace zor {

namespace {

class Win32SystemInfo : public SystemInfo {
 public:
  OsVersion Version() override {
    // The extended structure first; systems before it only fill the plain one.
    OSVERSIONINFOEXA extended{};
    extended.dwOSVersionInfoSize = sizeof extended;
    OSVERSIONINFOA plain{};
    plain.dwOSVersionInfoSize = sizeof plain;
    const OSVERSIONINFOA* info = nullptr;
    if (GetVersionExA(reinterpret_cast<OSVERSIONINFOA*>(&extended))) {
      info = reinterpret_cast<const OSVERSIONINFOA*>(&extended);
    } else if (GetVersionExA(&plain)) {
      info = &plain;
    }
    OsVersion version;
    if (!info) return version;
    version.known = true;
    version.nt = info->dwPlatformId == VER_PLATFORM_WIN32_NT;
    version.major = info->dwMajorVersion;
    version.minor = info->dwMinorVersion;
    version.build = info->dwBuildNumber;
    return version;
  }
  CpuidLeaf1 Cpuid1() override { return ReadCpuidLeaf1(); }
  LocalTime Now() override {
    SYSTEMTIME st{};
    GetLocalTime(&st);
    LocalTime t;
    t.wYear = st.wYear;
    t.wMonth = st.wMonth;
    t.wDayOfWeek = st.wDayOfWeek;
    t.wDay = st.wDay;
    t.wHour = st.wHour;
    t.wMinute = st.wMinute;
    t.wSecond = st.wSecond;
    t.wMilliseconds = st.wMilliseconds;
    return t;
  }
};

}  // namespace

SystemInfo& RealSystemInfo() {
  static Win32SystemInfo info;
  return info;
}

}  // namespace zor
