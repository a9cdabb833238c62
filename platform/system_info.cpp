#include "platform/system_info.h"

#if defined(__i386__) || defined(__x86_64__)
#include <cpuid.h>
#endif

namespace zor {

CpuidLeaf1 ReadCpuidLeaf1() {
  CpuidLeaf1 leaf;
#if defined(__i386__) || defined(__x86_64__)
  unsigned eax = 0;
  unsigned ebx = 0;
  unsigned ecx = 0;
  unsigned edx = 0;
  if (__get_cpuid(1, &eax, &ebx, &ecx, &edx)) {
    leaf.known = true;
    leaf.eax = eax;
    leaf.ecx = ecx;
  }
#endif
  return leaf;
}

}  // namespace zor
