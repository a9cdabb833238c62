#include <cstdio>

#include "platform/perf_data.h"

namespace zor {

namespace {

// Linux has no performance-data blocks; the load comes from /proc/stat's totals.
class PosixPerfData : public PerfData {
 public:
  int PlatformCode() override { return 1; }
  bool EnableCounters() override { return true; }
  bool Query(uint32_t, std::vector<uint8_t>&) override { return false; }

  bool SystemTimes(uint64_t& idle, uint64_t& total) override {
    FILE* file = std::fopen("/proc/stat", "r");
    if (!file) return false;
    unsigned long long v[8] = {};
    const int n = std::fscanf(file, "cpu %llu %llu %llu %llu %llu %llu %llu %llu", &v[0], &v[1],
                              &v[2], &v[3], &v[4], &v[5], &v[6], &v[7]);
    std::fclose(file);
    if (n < 4) return false;
    idle = v[3] + v[4];
    total = 0;
    for (unsigned long long x : v) total += x;
    return true;
  }
};

}  // namespace

PerfData& SystemPerfData() {
  static PosixPerfData data;
  return data;
}

}  // namespace zor
