#include "gui/app/background_discovery.h"

namespace zor {

BackgroundDiscovery::~BackgroundDiscovery() {
  if (m_thread.joinable()) m_thread.join();
}

void BackgroundDiscovery::Start(Hwk& hwk, fw::Sleeper& sleeper) {
  m_thread = std::thread([this, &hwk, &sleeper] { m_result = fw::DiscoverForGui(hwk, sleeper); });
}

fw::GuiDiscovery BackgroundDiscovery::Wait() {
  if (m_thread.joinable()) m_thread.join();
  return m_result;
}

}  // namespace zor
