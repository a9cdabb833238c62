// Records what would have been opened.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "platform/shell.h"

namespace zor {

class FakeShell : public Shell {
 public:
  bool Open(const std::string& file, const std::string& parameters) override {
    opened.emplace_back(file, parameters);
    return works;
  }
  std::vector<std::pair<std::string, std::string>> opened;
  bool works = true;
};

}  // namespace zor
