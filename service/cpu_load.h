// The processor load, once a second, from the system's performance data: the idle counter of the
// processor "_Total" instance (or the system object on NT 4) against the block's 100 ns clock.
// Where the system gives no usable counter (performance counters disabled, or a system that has no
// Processor object at all), the load comes from the system's idle/busy time totals instead, for the
// rest of the sampler's life.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "platform/clock.h"
#include "platform/perf_data.h"
#include "service/service_flags.h"

namespace zor {

enum class PerfLookup { kFound, kNoObject, kNoCounter, kNoInstance };

// Finds the counter's 64-bit value and the block's 100 ns time stamp in a performance-data block.
// instance: the instance name (matched without case), or nullptr for an object without instances.
// Anything that would lie outside the block counts as missing.
PerfLookup FindPerfCounter(const uint8_t* block, size_t size, uint32_t object, uint32_t counter,
                           const char* instance, uint64_t& value, uint64_t& time100ns);

// The busy percentage between two readings of an idle counter, rounded, in 0..100; 0 when the
// clock has not moved.
int LoadPercent(uint64_t prevIdle, uint64_t idle, uint64_t prevTime, uint64_t time);

class CpuLoadSampler {
 public:
  explicit CpuLoadSampler(PerfData& perf) : m_perf(perf) {}
  virtual ~CpuLoadSampler() = default;

  // The load since the previous call; 0 on the first call (and when the source changes), -1 on a
  // platform without performance data.
  int Sample();

 private:
  enum class Source { kNone, kPerfData, kSystemTimes };

  PerfData& m_perf;
  int m_platform = -1;
  bool m_first = true;
  Source m_source = Source::kNone;
  uint64_t m_prevValue = 0;
  uint64_t m_prevTime = 0;
  std::vector<uint8_t> m_buffer;
};

// The sampler thread's body: a sample at once, then one a second until flags.samplerStop is set.
void RunSampler(CpuLoadSampler& sampler, ServiceFlags& flags, Clock& clock);

}  // namespace zor
