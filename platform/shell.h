// Opening a document or program the way the desktop does (its associated program, window shown),
// as zor2 opens its help file and its updater.
#pragma once

#include <string>

namespace zor {

class Shell {
 public:
  virtual ~Shell() = default;
  // Opens file with the verb "open" and the parameters, shown; false when the system refused.
  virtual bool Open(const std::string& file, const std::string& parameters) = 0;
};

Shell& SystemShell();

}  // namespace zor
