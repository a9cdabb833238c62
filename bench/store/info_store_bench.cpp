// One key read and one key write of the INFO.DAT store on a realistic file. The directory is
// $ZOR_BENCH_DIR when set (to measure a real disk rather than /tmp), else a fresh one under /tmp.
#include <fcntl.h>
#include <stdlib.h>
#include <sys/stat.h>

#include <benchmark/benchmark.h>

#include <cstdio>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <string>

#include "bench/store/realistic_info.h"
#include "common/info_store.h"

namespace {

class BenchFile {
 public:
  // padding: bytes of comment lines added before the sections, as a damaged or crafted file has.
  explicit BenchFile(size_t padding = 0) {
    const char* base = getenv("ZOR_BENCH_DIR");
    std::string pattern = std::string(base ? base : "/tmp") + "/zor-store-bench-XXXXXX";
    m_dir = mkdtemp(pattern.data());
    m_path = m_dir + "/INFO.DAT";
    std::ofstream out(m_path, std::ios::binary);
    const std::string line = ";" + std::string(78, 'x') + "\r\n";
    for (size_t written = 0; written < padding; written += line.size()) out << line;
    out << zor::kRealisticInfo;
    out.close();
    // As a file looks that nothing has changed for an hour.
    const timespec hourAgo[2] = {{time(nullptr) - 3600, 0}, {time(nullptr) - 3600, 0}};
    utimensat(AT_FDCWD, m_path.c_str(), hourAgo, 0);
  }
  ~BenchFile() { std::filesystem::remove_all(m_dir); }
  const std::string& Path() const { return m_path; }

 private:
  std::string m_dir;
  std::string m_path;
};

// The GUI's read of a figure while the file stays as it is.
void BM_ReadUnchanged(benchmark::State& state) {
  BenchFile file;
  zor::InfoStore store(file.Path());
  for (auto _ : state) benchmark::DoNotOptimize(store.Read("VALUE", "CPU_MAX", "0", 260));
}
BENCHMARK(BM_ReadUnchanged);

// The same read on an INFO.DAT grown far past any real one (the argument is its padding in KB):
// just under the store's limit, and far past it.
void BM_ReadUnchangedLarge(benchmark::State& state) {
  BenchFile file(static_cast<size_t>(state.range(0)) << 10);
  zor::InfoStore store(file.Path());
  for (auto _ : state) benchmark::DoNotOptimize(store.Read("VALUE", "CPU_MAX", "0", 260));
}
BENCHMARK(BM_ReadUnchangedLarge)->Arg(1000)->Arg(50 << 10)->Unit(benchmark::kMicrosecond);

// The service's read of "Cmd", inside a transaction, on a file just under the store's limit.
void BM_TransactionReadLarge(benchmark::State& state) {
  BenchFile file(static_cast<size_t>(state.range(0)) << 10);
  zor::InfoStore store(file.Path());
  for (auto _ : state) {
    store.Transact([](zor::InfoFile& info) { benchmark::DoNotOptimize(info.Read("VALUE", "Cmd", "0", 255)); });
  }
}
BENCHMARK(BM_TransactionReadLarge)->Arg(1000)->Unit(benchmark::kMicrosecond);

// The GUI's read right after the service has written: the file must be read again.
void BM_ReadAfterOtherWrite(benchmark::State& state) {
  BenchFile file;
  zor::InfoStore gui(file.Path());
  zor::InfoStore service(file.Path());
  int i = 0;
  for (auto _ : state) {
    state.PauseTiming();
    service.Write("VALUE", "Cmd", ++i % 2 ? "1" : "0");
    state.ResumeTiming();
    benchmark::DoNotOptimize(gui.Read("VALUE", "CPU_MAX", "0", 260));
  }
}
BENCHMARK(BM_ReadAfterOtherWrite);

// The service's write of a figure: the whole file replaced, flushed to disk first.
void BM_Write(benchmark::State& state) {
  BenchFile file;
  zor::InfoStore store(file.Path());
  char value[32];
  int i = 0;
  for (auto _ : state) {
    std::snprintf(value, sizeof value, "%f", 1000.0 + ++i);
    benchmark::DoNotOptimize(store.Write("VALUE", "Total", value));
  }
}
BENCHMARK(BM_Write);

}  // namespace
