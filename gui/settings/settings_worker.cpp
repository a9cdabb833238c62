#include "gui/settings/settings_worker.h"

#include <algorithm>

namespace zor {

SettingsWorker::SettingsWorker(SettingsControl& control, std::function<void(const Done&)> onDone)
    : m_control(control), m_onDone(std::move(onDone)), m_thread([this] { Run(); }) {}

SettingsWorker::~SettingsWorker() {
  {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_stop = true;
    m_queue.clear();
  }
  m_changed.notify_all();
  m_thread.join();
}

bool SettingsWorker::RequestLevel(int level) {
  {
    std::lock_guard<std::mutex> lock(m_mutex);
    if (m_lastPosted) return false;
    if (!m_queue.empty() && m_queue.back().tag == kLevelTag) {
      m_queue.back().level = level;
    } else {
      Entry entry;
      entry.tag = kLevelTag;
      entry.level = level;
      m_queue.push_back(std::move(entry));
    }
  }
  m_changed.notify_all();
  return true;
}

bool SettingsWorker::Post(int tag, Task task) { return Enqueue(tag, std::move(task), false); }

bool SettingsWorker::PostLast(int tag, Task task) { return Enqueue(tag, std::move(task), true); }

bool SettingsWorker::Enqueue(int tag, Task task, bool last) {
  {
    std::lock_guard<std::mutex> lock(m_mutex);
    if (m_lastPosted) return false;
    Entry entry;
    entry.tag = tag;
    entry.task = std::move(task);
    m_queue.push_back(std::move(entry));
    m_lastPosted = last;
  }
  m_changed.notify_all();
  return true;
}

void SettingsWorker::DropPendingLevels() {
  std::lock_guard<std::mutex> lock(m_mutex);
  m_queue.erase(std::remove_if(m_queue.begin(), m_queue.end(),
                               [](const Entry& e) { return e.tag == kLevelTag; }),
                m_queue.end());
  m_changed.notify_all();
}

void SettingsWorker::WaitIdle() {
  std::unique_lock<std::mutex> lock(m_mutex);
  m_changed.wait(lock, [this] { return m_queue.empty() && !m_busy; });
}

bool SettingsWorker::Idle() {
  std::lock_guard<std::mutex> lock(m_mutex);
  return m_queue.empty() && !m_busy;
}

void SettingsWorker::Run() {
  std::unique_lock<std::mutex> lock(m_mutex);
  for (;;) {
    m_changed.wait(lock, [this] { return !m_queue.empty() || m_stop; });
    if (m_stop) break;
    Entry entry = std::move(m_queue.front());
    m_queue.pop_front();
    m_busy = true;
    lock.unlock();
    Done done;
    done.tag = entry.tag;
    done.level = entry.level;
    {
      auto settings = m_control.Lock();
      // Once the program is to end, nothing more is written.
      if (!m_control.ExitRequested()) {
        if (entry.tag == kLevelTag) {
          m_control.State().m_nLevel = static_cast<int16_t>(entry.level);
          m_control.ApplyLevel(entry.level);
        } else if (entry.task) {
          done.result = entry.task(m_control);
        }
      }
      done.exitRequested = m_control.ExitRequested();
      done.exitCode = m_control.ExitCode();
    }
    lock.lock();
    done.idle = m_queue.empty();
    // The report goes out before the worker counts as idle, so whoever waits for idle finds it.
    if (m_onDone) {
      lock.unlock();
      m_onDone(done);
      lock.lock();
    }
    m_busy = false;
    m_changed.notify_all();
  }
  m_busy = false;
  m_changed.notify_all();
}

}  // namespace zor
