// The cost of the service's measuring cycle against the simulated board, and of one second of
// cycles including the publication to a real INFO.DAT.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <memory>
#include <string>

#include "common/info_store.h"
#include "platform/clock.h"
#include "service/savings_engine.h"
#include "service/value_store.h"
#include "sim/board/board.h"
#include "sim/board/board_profiles.h"
#include "sim/board/sim_hwk.h"
#include "common/firmware.h"

namespace zor {
namespace {

// Sleeps cost nothing here: the SMBus poll waits are the board's time, not the service's work.
class NoSleepClock : public Clock {
 public:
  uint64_t NowMs() override { return 0; }
  void SleepMs(uint32_t) override {}
  void SleepUntilMs(uint64_t) override {}
};

class NullTrace : public TraceSink {
 public:
  void Write(std::string_view) override {}
};

struct Fixture {
  explicit Fixture(const char* profile)
      : state(new sim::BoardState), board(*state), hwk(board),
        info("/tmp/zor-service-bench-INFO.DAT"), store(info) {
    sim::Board::Create(*state, *sim::FindProfile(profile));
    board.PinLoad(50);
    discovery = fw::DiscoverForService(hwk);
    engine.reset(new SavingsEngine(hwk, discovery.table, store, clock, trace, locks, usage));
    engine->Prepare();
  }
  ~Fixture() { std::remove("/tmp/zor-service-bench-INFO.DAT"); }

  std::unique_ptr<sim::BoardState> state;
  sim::Board board;
  sim::SimHwk hwk;
  InfoStore info;
  InfoValueStore store;
  NoSleepClock clock;
  NullTrace trace;
  HardwareLocks locks;
  std::atomic<int32_t> usage{30};
  fw::ServiceDiscovery discovery;
  std::unique_ptr<SavingsEngine> engine;
};

const char* const kProfiles[] = {"x58-6", "x58-12-range", "p55-24-smbus"};

// One cycle that does not publish (the fraction of the saving time is not below 0.1).
void BM_RunCycle(benchmark::State& state) {
  Fixture f(kProfiles[state.range(0)]);
  state.SetLabel(kProfiles[state.range(0)]);
  for (auto _ : state) {
    f.engine->SetSaveTime(0.5);
    f.engine->RunCycle();
  }
}
BENCHMARK(BM_RunCycle)->DenseRange(0, 2);

// Ten cycles as the loop runs them in one second, one of which publishes.
void BM_PublishingSecond(benchmark::State& state) {
  Fixture f(kProfiles[state.range(0)]);
  state.SetLabel(kProfiles[state.range(0)]);
  for (auto _ : state) {
    for (int i = 0; i < 10; ++i) {
      f.engine->RunCycle();
      f.engine->AddCycleTime();
    }
  }
}
BENCHMARK(BM_PublishingSecond)->DenseRange(0, 2)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace zor
