// The process token's privileges and the system restart request.
#pragma once

#include <string>

namespace zor {

class Shutdown {
 public:
  virtual ~Shutdown() = default;
  // Enables or disables a privilege in this process's token. 0 on success, else the system's
  // error code, including "not all assigned" when the token lacks the privilege.
  virtual unsigned long AdjustPrivilege(const std::string& name, bool enable) = 0;
  // Asks the system to restart without forcing programs to close; returns at once.
  virtual bool RequestRestart() = 0;
};

constexpr char kShutdownPrivilege[] = "SeShutdownPrivilege";
constexpr unsigned long kErrorNotAllAssigned = 1300;

Shutdown& SystemShutdown();

}  // namespace zor
