// Time for the programs' loops: a monotonic millisecond count and sleeps. Loops take a Clock so
// that tests can run them on a manual clock instead of waiting.
#pragma once

#include <cstdint>

namespace zor {

class Clock {
 public:
  virtual ~Clock() = default;
  // Milliseconds on a monotonic scale with an arbitrary origin.
  virtual uint64_t NowMs() = 0;
  virtual void SleepMs(uint32_t ms) = 0;
  // Returns at once when the deadline has already passed.
  virtual void SleepUntilMs(uint64_t deadlineMs) = 0;
};

// The system's monotonic clock.
Clock& SystemClock();

}  // namespace zor
