// The firmware discovery on a thread of its own: its fixed waits are most of zor2's start, and
// the work that does not need its answer runs meanwhile.
#pragma once

#include <thread>

#include "common/firmware.h"
#include "platform/hwk.h"

namespace zor {

class BackgroundDiscovery {
 public:
  BackgroundDiscovery() = default;
  BackgroundDiscovery(const BackgroundDiscovery&) = delete;
  BackgroundDiscovery& operator=(const BackgroundDiscovery&) = delete;
  // Waits for a discovery still running: it uses the hwk.dll binding and the sleeper.
  ~BackgroundDiscovery();

  // hwk and sleeper are used on the discovery's thread until Wait returns; the caller leaves
  // both alone meanwhile.
  void Start(Hwk& hwk, fw::Sleeper& sleeper);
  // The discovery's answer, once it has ended.
  fw::GuiDiscovery Wait();

 private:
  std::thread m_thread;
  fw::GuiDiscovery m_result;
};

}  // namespace zor
