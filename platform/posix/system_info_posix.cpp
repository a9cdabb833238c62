#include <ctime>

#include "platform/system_info.h"

namespace zor {

namespace {

// Not Windows: the version is unknown, so zor2's Windows-specific steps keep their defaults.
class PosixSystemInfo : public SystemInfo {
 public:
  OsVersion Version() override { return OsVersion{}; }
  CpuidLeaf1 Cpuid1() override { return ReadCpuidLeaf1(); }
  LocalTime Now() override {
    const std::time_t now = std::time(nullptr);
    std::tm tm{};
    localtime_r(&now, &tm);
    LocalTime t;
    t.wYear = static_cast<uint16_t>(tm.tm_year + 1900);
    t.wMonth = static_cast<uint16_t>(tm.tm_mon + 1);
    t.wDayOfWeek = static_cast<uint16_t>(tm.tm_wday);
    t.wDay = static_cast<uint16_t>(tm.tm_mday);
    t.wHour = static_cast<uint16_t>(tm.tm_hour);
    t.wMinute = static_cast<uint16_t>(tm.tm_min);
    t.wSecond = static_cast<uint16_t>(tm.tm_sec);
    return t;
  }
};

}  // namespace

SystemInfo& RealSystemInfo() {
  static PosixSystemInfo info;
  return info;
}

}  // namespace zor
