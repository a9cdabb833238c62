// The body of the running service: bind the hardware library, find the firmware's table, restore
// the totals, start the load sampler, then measure ten times a second until told to stop.
#pragma once

#include <functional>

#include "platform/clock.h"
#include "platform/hwk.h"
#include "service/hardware_locks.h"
#include "service/history_log.h"
#include "service/metrics_publisher.h"
#include "service/rail_reapply.h"
#include "service/savings_engine.h"
#include "service/service_flags.h"
#include "service/trace.h"
#include "service/value_store.h"

namespace zor {

struct ServiceDeps {
  TraceSink& trace;
  ServiceFlags& flags;
  Clock& clock;
  ValueStore& store;
  HardwareLocks& locks;
  // The hardware library, bound; nullptr when it cannot be used. It stays loaded.
  std::function<Hwk*()> loadHwk;
  // The stop control, as the control handler would run it, for a start that fails.
  std::function<void()> stop;
  // Starts the load sampler on a thread of its own.
  std::function<void()> startSampler;
  // The energy history, or none.
  EnergyHistoryLog* history = nullptr;
  // The metrics file, or none.
  MetricsPublisher* metrics = nullptr;
  // INFO.DAT's "SETTING" values and the processor signature (CPUID 1 EAX), for the rails the
  // service re-applies at its start and after a resume; without a reader it leaves them alone.
  SettingReader readSetting = nullptr;
  uint32_t cpuSignature = 0;
};

// Runs until flags.running is cleared or the start fails.
void RunService(ServiceDeps& deps);

// The loop itself, from the first cycle to the last figures written; also used by tests and
// benchmarks with an engine of their own.
// onResume runs on the loop's thread before the next cycle once flags.resumed is set.
void RunLoop(SavingsEngine& engine, ServiceFlags& flags, Clock& clock, TraceSink& trace,
             EnergyHistoryLog* history = nullptr, MetricsPublisher* metrics = nullptr,
             const std::function<void()>& onResume = {});

// One step of the throttling rule: records a change of the load across 10 percent.
void ApplyThrottleRule(int32_t usage, int32_t& prevUsage, TraceSink& trace);

}  // namespace zor
