#include "ui/post_queue.h"

namespace zor::ui {

bool PostQueue::Post(std::function<void()> work) {
  {
    std::lock_guard<std::mutex> lock(m_mutex);
    if (!m_closed) {
      m_queue.push_back(std::move(work));
      if (!m_doorbell || m_doorbell()) return true;
      work = std::move(m_queue.back());
      m_queue.pop_back();
    }
  }
  // Destroyed here, outside the lock: its destruction may wake a waiting thread.
  work = nullptr;
  return false;
}

bool PostQueue::RunOne() {
  std::function<void()> work;
  {
    std::lock_guard<std::mutex> lock(m_mutex);
    if (m_closed || m_queue.empty()) return false;
    work = std::move(m_queue.front());
    m_queue.pop_front();
  }
  work();
  return true;
}

void PostQueue::Close() {
  std::deque<std::function<void()>> dropped;
  {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_closed = true;
    dropped.swap(m_queue);
  }
}

}  // namespace zor::ui
