// store_bench [DIR]: per-call read and write times of the INFO.DAT store and of the Windows
// profile functions on the same realistic file, in the same process.
#include <windows.h>

#include <cstdio>
#include <string>

#include "bench/store/realistic_info.h"
#include "common/info_store.h"
#include "platform/atomic_file.h"

namespace {

double Microseconds() {
  LARGE_INTEGER frequency, counter;
  QueryPerformanceFrequency(&frequency);
  QueryPerformanceCounter(&counter);
  return static_cast<double>(counter.QuadPart) * 1e6 / static_cast<double>(frequency.QuadPart);
}

template <typename F>
double PerCall(int calls, F call) {
  call(0);  // the first call opens caches and handles
  const double start = Microseconds();
  for (int i = 1; i <= calls; ++i) call(i);
  return (Microseconds() - start) / calls;
}

// Times only measured(i), each after prepare(i) has changed the file.
template <typename P, typename M>
double PerCallAfter(int calls, P prepare, M measured) {
  double total = 0;
  for (int i = 1; i <= calls; ++i) {
    prepare(i);
    const double start = Microseconds();
    measured(i);
    total += Microseconds() - start;
  }
  return total / calls;
}

// As a file looks that nothing has changed for an hour.
void Age(const std::string& path) {
  HANDLE file = CreateFileA(path.c_str(), FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                            OPEN_EXISTING, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return;
  FILETIME now;
  GetSystemTimeAsFileTime(&now);
  ULARGE_INTEGER time{{now.dwLowDateTime, now.dwHighDateTime}};
  time.QuadPart -= 3600ull * 10000000ull;
  const FILETIME hourAgo{time.LowPart, time.HighPart};
  SetFileTime(file, nullptr, nullptr, &hourAgo);
  CloseHandle(file);
}

void Print(const char* what, double platform, double store) {
  std::printf("%-28s platform %8.1f us   store %8.1f us   store %5.1fx faster\n", what, platform, store,
              platform / store);
}

}  // namespace

int main(int argc, char** argv) {
  char dir[MAX_PATH];
  if (!GetFullPathNameA(argc > 1 ? argv[1] : ".", sizeof dir, dir, nullptr)) return 1;
  const std::string platformPath = std::string(dir) + "\\bench_platform.dat";
  const std::string storePath = std::string(dir) + "\\bench_store.dat";
  if (zor::ReplaceWholeFile(platformPath, zor::kRealisticInfo) != zor::FileWrite::Ok ||
      zor::ReplaceWholeFile(storePath, zor::kRealisticInfo) != zor::FileWrite::Ok) {
    std::fprintf(stderr, "cannot write the bench files in %s\n", dir);
    return 1;
  }
  const int reads = 2000;
  const int writes = 300;
  char buffer[260];
  char value[32];
  zor::InfoStore store(storePath);
  zor::InfoStore other(storePath);  // the other program
  Age(platformPath);
  Age(storePath);

  const double platformRead = PerCall(reads, [&](int) {
    GetPrivateProfileStringA("VALUE", "CPU_MAX", "0", buffer, sizeof buffer, platformPath.c_str());
  });
  const double storeRead = PerCall(reads, [&](int) { store.Read("VALUE", "CPU_MAX", "0", 260); });
  const double platformWrite = PerCall(writes, [&](int i) {
    std::snprintf(value, sizeof value, "%f", 1000.0 + i);
    WritePrivateProfileStringA("VALUE", "Total", value, platformPath.c_str());
  });
  const double storeWrite = PerCall(writes, [&](int i) {
    std::snprintf(value, sizeof value, "%f", 1000.0 + i);
    store.Write("VALUE", "Total", value);
  });

  const double platformFresh = PerCallAfter(
      writes,
      [&](int i) { WritePrivateProfileStringA("VALUE", "Cmd", i % 2 ? "1" : "0", platformPath.c_str()); },
      [&](int) { GetPrivateProfileStringA("VALUE", "CPU_MAX", "0", buffer, sizeof buffer, platformPath.c_str()); });
  const double storeFresh = PerCallAfter(
      writes, [&](int i) { other.Write("VALUE", "Cmd", i % 2 ? "1" : "0"); },
      [&](int) { store.Read("VALUE", "CPU_MAX", "0", 260); });

  Print("read, file unchanged", platformRead, storeRead);
  Print("read, other program wrote", platformFresh, storeFresh);
  Print("write", platformWrite, storeWrite);
  DeleteFileA(platformPath.c_str());
  DeleteFileA(storePath.c_str());
  return 0;
}
