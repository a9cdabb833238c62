#include "platform/shell.h"

namespace zor {

namespace {

// No desktop association to ask natively.
class NoShell : public Shell {
 public:
  bool Open(const std::string& /*file*/, const std::string& /*parameters*/) override {
    return false;
  }
};

}  // namespace

Shell& SystemShell() {
  static NoShell shell;
  return shell;
}

}  // namespace zor
