#include "service/monitor.h"

#include "common/firmware.h"

namespace zor {

namespace {
constexpr uint64_t kCycleMs = 100;
// A loop that fell this far behind (a suspended machine) starts counting from now again.
constexpr uint64_t kResyncMs = 1000;
constexpr int32_t kThrottleThreshold = 10;
}  // namespace

void ApplyThrottleRule(int32_t usage, int32_t& prevUsage, TraceSink& trace) {
  if (usage > kThrottleThreshold && prevUsage <= kThrottleThreshold) {
    trace.Write("Set Throttling=0\n");
    prevUsage = usage;
  } else if (usage <= kThrottleThreshold && prevUsage > kThrottleThreshold) {
    trace.Write("Set Throttling=4\n");
    prevUsage = usage;
  }
}

// Cycles run on fixed 100 ms deadlines rather than 100 ms after each cycle's work, so the 0.1 s
// each cycle adds to the saving time keeps pace with the wall clock.
void RunLoop(SavingsEngine& engine, ServiceFlags& flags, Clock& clock, TraceSink& trace,
             EnergyHistoryLog* history, MetricsPublisher* metrics,
             const std::function<void()>& onResume) {
  int32_t prevUsage = flags.usage.load();
  RunCounters counters;
  uint64_t deadline = clock.NowMs() + kCycleMs;
  while (flags.running.load()) {
    if (flags.resumed.exchange(false) && onResume) onResume();
    const double countedBefore = engine.Counted();
    engine.RunCycle();
    clock.SleepUntilMs(deadline);
    const uint64_t now = clock.NowMs();
    deadline = now > deadline + kResyncMs ? now + kCycleMs : deadline + kCycleMs;
    if (engine.Active()) engine.AddCycleTime();
    const double joulesBefore = counters.CpuJoules();
    counters.Cycle(engine.CpuMax(), engine.Active(), kCycleMs / 1000.0);
    if (history) {
      history->Cycle(engine.Active() ? engine.Counted() - countedBefore : -1.0, counters.CpuJoules() - joulesBefore,
                     kCycleMs / 1000.0);
    }
    if (metrics) metrics->Cycle(engine, counters);
    if (engine.Active() && engine.ThrottleEnabled()) {
      ApplyThrottleRule(flags.usage.load(), prevUsage, trace);
    }
  }
  engine.Flush();
  if (history) history->End();
  trace.Write("Exit main while loop!!\n");
}

void RunService(ServiceDeps& deps) {
  deps.trace.Write("Just before processing loop...\n");
  Hwk* hwk = deps.loadHwk();
  if (!hwk) {
    deps.trace.Write("Load hwk.dll failure!!\n");
    return;
  }

  const fw::ServiceDiscovery discovery = fw::DiscoverForService(*hwk);
  SavingsEngine engine(*hwk, discovery.table, deps.store, deps.clock, deps.trace, deps.locks,
                       deps.flags.usage);
  bool started = discovery.status == fw::ServiceDiscoveryStatus::Ok;
  if (!started) deps.trace.Write(discovery.trace);
  if (started) started = engine.Prepare();
  if (!started) {
    deps.trace.Write("init Error!!\n");
    if (discovery.mapping) fw::Unmap(*hwk, discovery.mapping);
    deps.stop();
    return;
  }
  for (const std::string& name : deps.locks.Unavailable()) {
    Tracef(deps.trace, "Lock %s unavailable, going on without it!!\n", name.c_str());
  }
  if (!deps.store.LockAvailable()) deps.trace.Write("INFO.DAT lock unavailable, going on without it!!\n");
  // Counting on from 0 would overwrite the stored totals at the first publication; while the
  // file is there but cannot be read, nothing could be published anyway, so wait for it (or for a
  // stop). Only a missing file starts the figures at 0, and a directory or an oversized file in its
  // place, which the store never reads or writes: waiting would be for ever.
  const auto refused = [](StoreResult result) {
    return result == StoreResult::kNotAFile || result == StoreResult::kTooLarge;
  };
  StoreResult restored = engine.RestoreTotals();
  if (restored != StoreResult::kOk && !refused(restored)) {
    deps.trace.Write(restored == StoreResult::kUnreadable ? "Read INFO.DAT failure: cannot read the file!!\n"
                                                         : "Read INFO.DAT failure!!\n");
    while (deps.flags.running.load()) {
      restored = engine.RestoreTotals();
      if (restored == StoreResult::kOk || refused(restored)) break;
      deps.clock.SleepMs(static_cast<uint32_t>(kCycleMs));
    }
  }
  Tracef(deps.trace, "Type=%x,Port=%x,BiosAddr=%x\nCurrent=%f,Total=%f,Rev=0x%x\nSMBIO=0x%x",
         discovery.target.type, discovery.target.port, discovery.tableAddress, engine.Current(),
         engine.Total(), engine.Revision(), engine.SmbusBase());

  // The hardware is the loop's alone: the rails are written here and, after a resume, between
  // two cycles, never from the control handler's thread.
  const auto reapplyRails = [&] {
    if (!deps.readSetting) return;
    ReapplyRails(*hwk, discovery.target, discovery.table, discovery.tableAddress,
                 ClassifyPlatform(deps.cpuSignature), deps.readSetting, deps.trace);
  };
  reapplyRails();

  deps.startSampler();
  RunLoop(engine, deps.flags, deps.clock, deps.trace, deps.history, deps.metrics, reapplyRails);
  fw::Unmap(*hwk, discovery.mapping);
  deps.flags.samplerStop.store(true);
}

}  // namespace zor
