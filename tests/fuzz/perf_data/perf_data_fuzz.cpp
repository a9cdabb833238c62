// The performance-data walk over any bytes the system could hand back. The walk is compiled into
// the target itself so that the fuzzer sees its branches.
#include <cstddef>
#include <cstdint>

#include "service/cpu_load.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  uint64_t value = 0;
  uint64_t time = 0;
  zor::FindPerfCounter(data, size, 238, 6, "_Total", value, time);
  zor::FindPerfCounter(data, size, 2, 240, nullptr, value, time);
  return 0;
}
