#include "gui/app/platform_class.h"

#include "gui/app/main_state.h"

namespace zor {

namespace {
constexpr uint32_t kFirstNehalem = 0x106A0;
constexpr uint32_t kLastX58 = 0x106E0;
constexpr uint32_t kFirstSixCoreX58 = 0x206C0;
constexpr uint32_t kLastSixCoreX58 = 0x206C2;
constexpr uint32_t kModelMask = 0xFFFF0;
constexpr uint32_t kSandyBridge = 0x206A0;
constexpr uint32_t kSandyBridgeE = 0x206D0;
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

PlatformClass ClassifyPlatform(uint32_t signature) {
  PlatformClass c;
  if (signature < kFirstNehalem) return c;
  c.x58 = true;
  if (signature > kLastX58) {
    c.p55 = true;
    c.x58 = false;
  }
  if (signature >= kFirstSixCoreX58 && signature <= kLastSixCoreX58) {
    c.p55 = false;
    c.x58 = true;
  }
  const uint32_t model = signature & kModelMask;
  if (model == kSandyBridge || model == kSandyBridgeE) {
    c.x58 = false;
    c.p55 = false;
    c.p67 = true;
  }
  return c;
}

bool NeedsEistCheck(const CpuidLeaf1& cpu, bool altTable) {
  return cpu.eax < kFirstNehalem && !altTable && (cpu.ecx & kEistFeature) != 0;
}

bool EistAndC1eOn(uint64_t msr) { return (msr & kEistEnable) && (msr & kC1eEnable); }

}  // namespace zor
