// The cost of the metrics file: formatting its text, and one write (text formatted, file
// replaced) as the service makes it every 15 seconds.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <string>

#include "platform/atomic_file.h"
#include "service/metrics_text.h"

namespace zor {
namespace {

MetricsSnapshot Figures() {
  MetricsSnapshot s;
  s.savingFigure = 1234.567891;
  s.cpuJoules = 98765432.1;
  s.savingSeconds = 86399.9;
  s.cpuWatts = 67.416;
  s.saving = true;
  s.level = 3;
  s.version = "2.0";
  s.revision = "0x21";
  s.currentSensing = "smbus";
  return s;
}

void BM_FormatMetrics(benchmark::State& state) {
  const MetricsSnapshot s = Figures();
  for (auto _ : state) benchmark::DoNotOptimize(FormatMetrics(s));
}
BENCHMARK(BM_FormatMetrics);

void BM_WriteMetricsFile(benchmark::State& state) {
  const MetricsSnapshot s = Figures();
  const std::string path = "/tmp/zor-metrics-bench.prom";
  for (auto _ : state) ReplaceWholeFile(path, FormatMetrics(s));
  std::remove(path.c_str());
}
BENCHMARK(BM_WriteMetricsFile)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace zor
