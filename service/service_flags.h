// The few values the service's three threads share (loop, control handler, sampler). Each is one
// atomic word; nothing else crosses threads.
#pragma once

#include <atomic>
#include <cstdint>

namespace zor {

struct ServiceFlags {
  std::atomic<bool> running{false};       // cleared by the stop or shutdown control
  std::atomic<bool> samplerStop{false};   // ends the sampler thread
  std::atomic<int32_t> usage{0};          // CPU load in percent, from the sampler
  std::atomic<bool> resumed{false};       // set by a resume; the loop re-applies the rails
};

}  // namespace zor
