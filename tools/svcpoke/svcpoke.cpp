// svcpoke hold-lock isa|smbus|pci SECONDS   takes a hardware lock and holds it, as another tool
// svcpoke set FILE SECTION KEY VALUE         writes one INFO.DAT value through the shared store
// svcpoke load SECONDS                       shows where the load comes from, and the load
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <thread>
#include <vector>

#include "common/info_store.h"
#include "platform/clock.h"
#include "platform/perf_data.h"
#include "service/cpu_load.h"
#include "service/hardware_locks.h"

namespace {

int HoldLock(const char* which, const char* seconds) {
  const char* name = std::strcmp(which, "isa") == 0     ? zor::locks::kIsaBus
                     : std::strcmp(which, "smbus") == 0 ? zor::locks::kSmbus
                     : std::strcmp(which, "pci") == 0   ? zor::locks::kPci
                                                        : nullptr;
  if (!name) {
    std::fprintf(stderr, "svcpoke: unknown lock %s\n", which);
    return 2;
  }
  zor::NamedMutex mutex(name);
  if (!mutex.Lock(5000)) {
    std::fprintf(stderr, "svcpoke: %s is busy\n", name);
    return 1;
  }
  std::printf("holding %s\n", name);
  std::fflush(stdout);
  std::this_thread::sleep_for(std::chrono::milliseconds(static_cast<long>(std::atof(seconds) * 1000)));
  mutex.Unlock();
  return 0;
}

int ShowLoad(const char* seconds) {
  zor::PerfData& perf = zor::SystemPerfData();
  std::vector<uint8_t> block;
  uint64_t value = 0;
  uint64_t time = 0;
  const bool queried = perf.Query(238, block);
  const zor::PerfLookup lookup =
      queried ? zor::FindPerfCounter(block.data(), block.size(), 238, 6, "_Total", value, time)
              : zor::PerfLookup::kNoObject;
  static const char* const kLookups[] = {"found", "no Processor object", "no counter", "no _Total"};
  std::printf("platform %d, performance data %s (%zu bytes): %s\n", perf.PlatformCode(),
              queried ? "answered" : "refused", block.size(), kLookups[static_cast<int>(lookup)]);
  zor::CpuLoadSampler sampler(perf);
  sampler.Sample();
  const int count = std::atoi(seconds);
  for (int i = 0; i < count; ++i) {
    zor::SystemClock().SleepMs(1000);
    std::printf("load %d%%\n", sampler.Sample());
    std::fflush(stdout);
  }
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 4 && std::strcmp(argv[1], "hold-lock") == 0) return HoldLock(argv[2], argv[3]);
  if (argc == 6 && std::strcmp(argv[1], "set") == 0) {
    zor::InfoStore store(argv[2]);
    return store.Write(argv[3], argv[4], argv[5]) ? 0 : 1;
  }
  if (argc == 3 && std::strcmp(argv[1], "load") == 0) return ShowLoad(argv[2]);
  std::fprintf(stderr,
               "usage: svcpoke hold-lock isa|smbus|pci SECONDS\n"
               "       svcpoke set FILE SECTION KEY VALUE\n"
               "       svcpoke load SECONDS\n");
  return 2;
}
