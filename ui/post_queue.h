// The work posted to one window, as both hosts keep it: a queue of closures that the window's
// thread runs in the order they came, and that is closed, with what still waits destroyed unrun,
// when the window goes. Destroying a closure is its answer "cancelled": whoever waits on it must
// learn that from the closure's own destruction.
#pragma once

#include <deque>
#include <functional>
#include <mutex>

#include "ui/window.h"

namespace zor::ui {

class PostQueue : public WindowPoster {
 public:
  // doorbell tells the window's thread that work waits (it runs under the queue's lock, so it
  // must not block); false when it could not, and the post then fails. Null: the owner polls.
  explicit PostQueue(std::function<bool()> doorbell = nullptr) : m_doorbell(std::move(doorbell)) {}

  bool Post(std::function<void()> work) override;
  // On the window's thread: runs the oldest work waiting; false when none waits. One at a time,
  // so that the window's loop can see between two whether the window has ended.
  bool RunOne();
  // The window goes: what waits is destroyed unrun and every later post fails.
  void Close();

 private:
  std::mutex m_mutex;
  std::deque<std::function<void()>> m_queue;
  std::function<bool()> m_doorbell;
  bool m_closed = false;
};

}  // namespace zor::ui
