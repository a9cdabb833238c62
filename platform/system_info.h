// What zor2 asks of the machine at start: the Windows version, the processor's signature and the
// local time. A port, so that the classification of every processor and Windows version can be
// tested anywhere.
#pragma once

#include <cstdint>

namespace zor {

// The fields of a Windows SYSTEMTIME.
struct LocalTime {
  uint16_t wYear = 0;
  uint16_t wMonth = 0;
  uint16_t wDayOfWeek = 0;
  uint16_t wDay = 0;
  uint16_t wHour = 0;
  uint16_t wMinute = 0;
  uint16_t wSecond = 0;
  uint16_t wMilliseconds = 0;
};

struct OsVersion {
  bool known = false;  // the system answered the version query
  bool nt = false;     // the NT family
  uint32_t major = 0;
  uint32_t minor = 0;
  uint32_t build = 0;
};

// CPUID leaf 1: EAX is the processor signature, ECX the feature flags.
struct CpuidLeaf1 {
  bool known = false;
  uint32_t eax = 0;
  uint32_t ecx = 0;
};

class SystemInfo {
 public:
  virtual ~SystemInfo() = default;
  virtual OsVersion Version() = 0;
  virtual CpuidLeaf1 Cpuid1() = 0;
  virtual LocalTime Now() = 0;
};

SystemInfo& RealSystemInfo();

// Reads CPUID leaf 1 of the processor this runs on (any operating system).
CpuidLeaf1 ReadCpuidLeaf1();

}  // namespace zor
