// Starting other programs without waiting for them, as zor2 runs powercfg and the service
// installer: hidden window, no result but whether the start itself worked.
#pragma once

#include <string>

namespace zor {

class Processes {
 public:
  virtual ~Processes() = default;
  // Starts the command line with a hidden window and returns at once. The program path must be
  // quoted by the caller when it may contain blanks.
  virtual bool StartHidden(const std::string& commandLine) = 0;
};

// A command line whose program path is quoted, so that a path with blanks is taken whole.
std::string QuotedCommand(const std::string& program, const std::string& arguments);

Processes& SystemProcesses();

}  // namespace zor
