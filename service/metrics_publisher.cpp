#include "service/metrics_publisher.h"

#include <cstdio>

#include "common/firmware_layout.h"
#include "platform/atomic_file.h"
#include "platform/program_paths.h"

namespace zor {

MetricsSnapshot TakeSnapshot(const SavingsEngine& engine, const RunCounters& counters,
                             const std::string& version) {
  MetricsSnapshot s;
  s.savingFigure = engine.Total();
  s.cpuJoules = counters.CpuJoules();
  s.savingSeconds = counters.SavingSeconds();
  s.cpuWatts = engine.CpuMax();
  s.saving = engine.Active();
  s.level = LevelFromCode((engine.ControlFlags() & fw::cf::kLevelMask) >> fw::cf::kLevelShift);
  s.version = version;
  char revision[8];
  std::snprintf(revision, sizeof revision, "0x%x", static_cast<unsigned>(engine.Revision()));
  s.revision = revision;
  s.currentSensing = engine.SmbusMode()                                 ? "smbus"
                     : (engine.StatusFlags() & fw::sf::kRangeMode) != 0 ? "range"
                                                                        : "register";
  return s;
}

void MetricsPublisher::Cycle(const SavingsEngine& engine, const RunCounters& counters) {
  const uint64_t now = m_clock.NowMs();
  if (m_tried && now - m_lastTryMs < kIntervalMs) return;
  m_tried = true;
  m_lastTryMs = now;
  const std::string folder = m_folder();
  if (folder.empty()) return;
  const std::string path = JoinPath(folder, kFileName);
  if (ReplaceWholeFile(path, FormatMetrics(TakeSnapshot(engine, counters, m_version))) ==
      FileWrite::Ok) {
    m_failureTraced = false;
  } else if (!m_failureTraced) {
    // Once until a write works again: a missing folder would otherwise fill the log.
    Tracef(m_trace, "Write metrics failure: %s!!\n", path.c_str());
    m_failureTraced = true;
  }
}

}  // namespace zor
