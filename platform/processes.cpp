#include "platform/processes.h"

namespace zor {

std::string QuotedCommand(const std::string& program, const std::string& arguments) {
  std::string line = "\"" + program + "\"";
  if (!arguments.empty()) line += " " + arguments;
  return line;
}

}  // namespace zor
