// The metrics file for a Prometheus textfile collector: zorwise.prom in the folder that INFO.DAT's
// [Metrics] "Folder" names, replaced whole (written beside it, then renamed, so the collector never
// reads half a file) at most every 15 seconds, and nothing while the key is unset. The key is read
// again before each write, so a folder set or cleared takes effect without a restart.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "platform/clock.h"
#include "service/metrics_text.h"
#include "service/run_counters.h"
#include "service/savings_engine.h"
#include "service/trace.h"

namespace zor {

// The figures of the engine and the counters as the metrics show them.
MetricsSnapshot TakeSnapshot(const SavingsEngine& engine, const RunCounters& counters,
                             const std::string& version);

class MetricsPublisher {
 public:
  // folder: the folder to write into, empty when the metrics are off.
  MetricsPublisher(Clock& clock, TraceSink& trace, std::function<std::string()> folder,
                   std::string version)
      : m_clock(clock),
        m_trace(trace),
        m_folder(std::move(folder)),
        m_version(std::move(version)) {}

  // Called by the loop after each cycle; writes when the interval has passed since the last try.
  void Cycle(const SavingsEngine& engine, const RunCounters& counters);

  static constexpr uint64_t kIntervalMs = 15000;
  static constexpr char kFileName[] = "zorwise.prom";

 private:
  Clock& m_clock;
  TraceSink& m_trace;
  std::function<std::string()> m_folder;
  std::string m_version;
  bool m_tried = false;
  uint64_t m_lastTryMs = 0;
  bool m_failureTraced = false;
};

}  // namespace zor
