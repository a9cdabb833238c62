// The operating system's processor-load sources: the registry's performance-data blocks and the
// system's idle/busy time totals.
#pragma once

#include <cstdint>
#include <vector>

namespace zor {

class PerfData {
 public:
  virtual ~PerfData() = default;
  // 0 NT 4, 1 later NT family, 2 the 95 family, 3 unknown.
  virtual int PlatformCode() = 0;
  // Clears "Disable Performance Counters" for the processor objects; true when both were written.
  virtual bool EnableCounters() = 0;
  // The performance-data block for the object title index, into buffer (which only grows).
  // False when the system gives none.
  virtual bool Query(uint32_t objectIndex, std::vector<uint8_t>& buffer) = 0;
  // Idle time and total (busy + idle) time of all processors, in 100 ns units.
  virtual bool SystemTimes(uint64_t& idle, uint64_t& total) = 0;
};

PerfData& SystemPerfData();

}  // namespace zor
