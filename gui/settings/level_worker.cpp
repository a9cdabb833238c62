#include "gui/settings/level_worker.h"

namespace zor {

LevelWorker::LevelWorker(SettingsControl& control, std::function<void(int)> onApplied)
    : m_control(control), m_onApplied(std::move(onApplied)), m_thread([this] { Run(); }) {}

LevelWorker::~LevelWorker() {
  {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_stop = true;
  }
  m_changed.notify_all();
  m_thread.join();
}

void LevelWorker::Request(int level) {
  {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_level = level;
    m_pending = true;
  }
  m_changed.notify_all();
}

void LevelWorker::WaitIdle() {
  std::unique_lock<std::mutex> lock(m_mutex);
  m_changed.wait(lock, [this] { return !m_pending && !m_busy; });
}

void LevelWorker::Run() {
  std::unique_lock<std::mutex> lock(m_mutex);
  for (;;) {
    m_changed.wait(lock, [this] { return m_pending || m_stop; });
    if (m_stop) break;
    const int level = m_level;
    m_pending = false;
    m_busy = true;
    lock.unlock();
    {
      auto settings = m_control.Lock();
      if (!m_control.ExitRequested()) {
        m_control.State().m_nLevel = static_cast<int16_t>(level);
        m_control.ApplyLevel(level);
      }
    }
    if (m_onApplied) m_onApplied(level);
    lock.lock();
    m_busy = false;
    m_changed.notify_all();
  }
  m_busy = false;
  m_changed.notify_all();
}

}  // namespace zor
