// Records privilege changes and restart requests; never restarts anything.
#pragma once

#include <string>
#include <vector>

#include "platform/shutdown.h"

namespace zor {

class FakeShutdown : public Shutdown {
 public:
  unsigned long enableError = 0;
  unsigned long disableError = 0;
  bool restartResult = true;
  std::vector<std::string> calls;  // "enable <name>", "disable <name>", "restart"

  unsigned long AdjustPrivilege(const std::string& name, bool enable) override {
    calls.push_back((enable ? "enable " : "disable ") + name);
    return enable ? enableError : disableError;
  }
  bool RequestRestart() override {
    calls.push_back("restart");
    return restartResult;
  }
};

}  // namespace zor
