#include "platform/clock.h"

#include <chrono>
#include <thread>

namespace zor {

namespace {

class SteadyClock : public Clock {
 public:
  uint64_t NowMs() override {
    const auto since = std::chrono::steady_clock::now().time_since_epoch();
    return static_cast<uint64_t>(std::chrono::duration_cast<std::chrono::milliseconds>(since).count());
  }
  void SleepMs(uint32_t ms) override { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }
  void SleepUntilMs(uint64_t deadlineMs) override {
    const uint64_t now = NowMs();
    if (deadlineMs > now) SleepMs(static_cast<uint32_t>(deadlineMs - now));
  }
};

}  // namespace

Clock& SystemClock() {
  static SteadyClock clock;
  return clock;
}

}  // namespace zor
