// The marker of a running copy of a program: a named kernel object that lives until the process
// ends. Nothing waits on it.
#pragma once

#include <string>

namespace zor {

class SingleInstance {
 public:
  virtual ~SingleInstance() = default;
  // Creates the marker `name`, kept for the process's life. False when another copy already holds
  // it (also when it exists but is shut to us, as another session's copy may make it).
  virtual bool Claim(const std::string& name) = 0;
};

SingleInstance& SystemSingleInstance();

}  // namespace zor
