// Starting other programs with a hidden window, as zor2 runs powercfg and the service installer,
// with or without waiting for them: no result but whether the start worked (and it ended in time).
#pragma once

#include <cstdint>
#include <string>

namespace zor {

class Processes {
 public:
  virtual ~Processes() = default;
  // Starts the command line with a hidden window and returns at once. The program path must be
  // quoted by the caller when it may contain blanks.
  virtual bool StartHidden(const std::string& commandLine) = 0;
  // The same, then waits up to timeoutMs for the program to end. False when it could not be
  // started or is still running.
  virtual bool RunHidden(const std::string& commandLine, uint32_t timeoutMs) = 0;
};

// A command line whose program path is quoted, so that a path with blanks is taken whole.
std::string QuotedCommand(const std::string& program, const std::string& arguments);

Processes& SystemProcesses();

}  // namespace zor
