#include <signal.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>

#include "platform/process_identity.h"

namespace zor {

namespace {

// Field 22 of /proc/PID/stat, the start time in clock ticks after boot. The command name (field
// 2) is in parentheses and may hold blanks, so fields are counted from the last ')'.
bool StartOf(uint32_t id, uint32_t& started) {
  char path[64];
  std::snprintf(path, sizeof path, "/proc/%u/stat", static_cast<unsigned>(id));
  std::FILE* file = std::fopen(path, "r");
  if (!file) return false;
  char line[1024] = {};
  const size_t length = std::fread(line, 1, sizeof line - 1, file);
  std::fclose(file);
  line[length] = '\0';
  const char* at = std::strrchr(line, ')');
  if (!at) return false;
  for (int field = 2; field < 22 && at; ++field) at = std::strchr(at + 1, ' ');
  unsigned long long ticks = 0;
  if (!at || std::sscanf(at + 1, "%llu", &ticks) != 1) return false;
  started = static_cast<uint32_t>(ticks);
  return true;
}

}  // namespace

ProcessIdentity CurrentProcessIdentity() {
  ProcessIdentity self;
  self.id = static_cast<uint32_t>(getpid());
  StartOf(self.id, self.started);
  return self;
}

bool ProcessEnded(const ProcessIdentity& process) {
  if (kill(static_cast<pid_t>(process.id), 0) != 0 && errno == ESRCH) return true;
  uint32_t started = 0;
  return StartOf(process.id, started) && started != process.started;
}

}  // namespace zor
