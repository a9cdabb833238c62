// Applies the energy-saving levels the level buttons ask for, one after another on one thread.
// Requests made while a level is being applied replace each other, so a burst of clicks ends with
// the last level applied and never runs two applications at once.
#pragma once

#include <condition_variable>
#include <functional>
#include <mutex>
#include <thread>

#include "gui/settings/settings_control.h"

namespace zor {

class LevelWorker {
 public:
  // onApplied runs on the worker thread after each level, outside the settings lock: the window
  // posts itself a message there to repaint, or to end when the level asked the program to exit.
  explicit LevelWorker(SettingsControl& control, std::function<void(int level)> onApplied = nullptr);
  // Finishes the level in hand; a level still waiting is dropped.
  ~LevelWorker();
  LevelWorker(const LevelWorker&) = delete;
  LevelWorker& operator=(const LevelWorker&) = delete;

  // Returns at once; the level is applied on the worker thread.
  void Request(int level);
  // Waits until no level is waiting or being applied.
  void WaitIdle();

 private:
  void Run();

  SettingsControl& m_control;
  std::function<void(int)> m_onApplied;
  std::mutex m_mutex;
  std::condition_variable m_changed;
  bool m_pending = false;
  int m_level = 0;
  bool m_busy = false;
  bool m_stop = false;
  std::thread m_thread;
};

}  // namespace zor
