// The one thread that writes firmware and Windows power settings for zor2. Every operation the
// window asks for (a level, OFF and ON, the LED, 3D power, the advanced set, Close, resume) is
// queued here and run in order, one at a time, with the settings lock held; the window never
// waits for it and never touches the settings' own state.
//
// Levels are special: a level asked for while another one still waits replaces it, so a burst of
// clicks ends with the last level applied; OFF and Close drop the levels still waiting. The task
// that ends the program (Close) is the last: whatever is asked after it is refused.
#pragma once

#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>

#include "gui/settings/settings_control.h"

namespace zor {

class SettingsWorker {
 public:
  // A task's result travels back in Done::result.
  using Task = std::function<int(SettingsControl&)>;

  // What the worker just finished, handed to onDone on the worker thread (outside the lock).
  struct Done {
    int tag = 0;         // the task's tag (kLevelTag for a level)
    int level = 0;       // the level applied, for a level
    int result = 0;      // what the task returned
    bool idle = false;   // nothing else is waiting
    bool exitRequested = false;
    int exitCode = 0;
  };
  static constexpr int kLevelTag = -1;

  SettingsWorker(SettingsControl& control, std::function<void(const Done&)> onDone = nullptr);
  // Finishes the task in hand; tasks still waiting are dropped.
  ~SettingsWorker();
  SettingsWorker(const SettingsWorker&) = delete;
  SettingsWorker& operator=(const SettingsWorker&) = delete;

  // Returns at once. The level replaces a level that is still waiting at the back of the queue.
  // False, and nothing queued, after the last task.
  bool RequestLevel(int level);
  // Returns at once; tasks run in the order they were posted. False, and nothing queued, after the
  // last task.
  bool Post(int tag, Task task);
  // Posts the task that ends the program's settings work: nothing asked later runs.
  bool PostLast(int tag, Task task);
  // Forgets the levels that have not started.
  void DropPendingLevels();
  // Waits until nothing is waiting or running. Not for the window's thread once the window runs:
  // a task may be waiting for it (a message box).
  void WaitIdle();
  bool Idle();

 private:
  struct Entry {
    int tag = 0;
    int level = 0;
    Task task;
  };
  bool Enqueue(int tag, Task task, bool last);
  void Run();

  SettingsControl& m_control;
  std::function<void(const Done&)> m_onDone;
  std::mutex m_mutex;
  std::condition_variable m_changed;
  std::deque<Entry> m_queue;
  bool m_busy = false;
  bool m_stop = false;
  bool m_lastPosted = false;
  std::thread m_thread;
};

}  // namespace zor
