#include <windows.h>

#include "platform/process_identity.h"

namespace zor {

namespace {

// The start time's low 32 bits (100 ns units): they differ between two processes that get the
// same id, unless one starts exactly 2^32 units (about seven minutes) after the other to the tick.
bool StartOf(HANDLE process, uint32_t& started) {
  FILETIME created = {}, exited = {}, kernel = {}, user = {};
  if (!GetProcessTimes(process, &created, &exited, &kernel, &user)) return false;
  started = created.dwLowDateTime;
  return true;
}

}  // namespace

ProcessIdentity CurrentProcessIdentity() {
  ProcessIdentity self;
  self.id = GetCurrentProcessId();
  StartOf(GetCurrentProcess(), self.started);
  return self;
}

bool ProcessEnded(const ProcessIdentity& process) {
  HANDLE handle = OpenProcess(PROCESS_QUERY_INFORMATION | SYNCHRONIZE, FALSE, process.id);
  // An id no process has is refused as a bad parameter; any other refusal (another user's
  // process, a service) means the process is there.
  if (!handle) return GetLastError() == ERROR_INVALID_PARAMETER;
  uint32_t started = 0;
  const bool ended = WaitForSingleObject(handle, 0) == WAIT_OBJECT_0 ||
                     (StartOf(handle, started) && started != process.started);
  CloseHandle(handle);
  return ended;
}

}  // namespace zor
