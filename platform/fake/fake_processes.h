// Records the command lines started; a test may act on each one (a fake powercfg, an installer).
#pragma once

#include <functional>
#include <mutex>
#include <string>
#include <vector>

#include "platform/processes.h"

namespace zor {

class FakeProcesses : public Processes {
 public:
  std::function<void(const std::string&)> onStart;
  bool startResult = true;
  std::vector<uint32_t> waits;  // timeouts of RunHidden calls

  bool StartHidden(const std::string& commandLine) override {
    {
      std::lock_guard<std::mutex> lock(m_mutex);
      m_started.push_back(commandLine);
    }
    if (onStart) onStart(commandLine);
    return startResult;
  }

  bool RunHidden(const std::string& commandLine, uint32_t timeoutMs) override {
    {
      std::lock_guard<std::mutex> lock(m_mutex);
      waits.push_back(timeoutMs);
    }
    return StartHidden(commandLine);
  }

  std::vector<std::string> Started() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_started;
  }
  void Clear() {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_started.clear();
  }

 private:
  mutable std::mutex m_mutex;
  std::vector<std::string> m_started;
};

}  // namespace zor
