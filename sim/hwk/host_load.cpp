#include <windows.h>

#include <mutex>

#include "sim/hwk/host_load.h"

namespace zor::sim {

namespace {

uint64_t Ticks(const FILETIME& time) {
  return (static_cast<uint64_t>(time.dwHighDateTime) << 32) | time.dwLowDateTime;
}

}  // namespace

int HostCpuLoad() {
  static std::mutex guard;
  static uint64_t lastIdle = 0;
  static uint64_t lastTotal = 0;
  static ULONGLONG lastAt = 0;
  static int lastLoad = 0;
  std::lock_guard<std::mutex> lock(guard);
  const ULONGLONG now = GetTickCount64();
  if (lastAt != 0 && now - lastAt < 250) return lastLoad;
  FILETIME idle, kernel, user;
  if (!GetSystemTimes(&idle, &kernel, &user)) return lastLoad;
  const uint64_t idleTicks = Ticks(idle);
  const uint64_t total = Ticks(kernel) + Ticks(user);  // kernel time includes idle time
  if (lastAt != 0 && total > lastTotal) {
    const uint64_t span = total - lastTotal;
    const uint64_t idleSpan = idleTicks - lastIdle;
    lastLoad = idleSpan >= span ? 0 : static_cast<int>((span - idleSpan) * 100 / span);
  }
  lastIdle = idleTicks;
  lastTotal = total;
  lastAt = now;
  return lastLoad;
}

}  // namespace zor::sim
