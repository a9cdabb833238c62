#include "gui/app/platform_class.h"

#include "gui/settings/main_state.h"

namespace zor {

namespace {
constexpr uint32_t kFirstNehalem = 0x106A0;
constexpr uint32_t kWindows2000Build = 2195;
constexpr uint32_t kEistFeature = 1u << 7;  // CPUID.1:ECX
constexpr uint64_t kEistEnable = 1ull << 16;
constexpr uint64_t kC1eEnable = 1ull << 25;
}  // namespace

int OsClass(const OsVersion& version, int unchanged) {
  if (!version.known || !version.nt) return unchanged;
  if (version.major <= 5) return version.build == kWindows2000Build ? kOsWindows2000 : kOsNt5;
  if (version.major == 6 && version.minor == 1) return kOsNt61;
  return kOsNt6;
}

bool NeedsEistCheck(const CpuidLeaf1& cpu, bool altTable) {
  return cpu.eax < kFirstNehalem && !altTable && (cpu.ecx & kEistFeature) != 0;
}

bool EistAndC1eOn(uint64_t msr) { return (msr & kEistEnable) && (msr & kC1eEnable); }

}  // namespace zor
