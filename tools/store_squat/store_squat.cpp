// store_squat SECONDS NAME...: creates an event under each NAME and holds them for SECONDS, as
// another program that took those names for another kind of object would; a named mutex of such a
// name can then be neither created nor opened. A NAME of the form "info:FILE" stands for the lock
// of the INFO.DAT at FILE. Prints "holding" once every event exists.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "common/info_lock.h"

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: store_squat SECONDS NAME|info:FILE...\n");
    return 2;
  }
  std::vector<HANDLE> events;
  for (int i = 2; i < argc; ++i) {
    const std::string name =
        std::strncmp(argv[i], "info:", 5) == 0 ? zor::InfoLockName(argv[i] + 5) : argv[i];
    HANDLE event = CreateEventA(nullptr, TRUE, FALSE, name.c_str());
    if (!event) {
      std::fprintf(stderr, "store_squat: cannot create %s (error %lu)\n", name.c_str(), GetLastError());
      return 1;
    }
    events.push_back(event);
  }
  std::printf("holding\n");
  std::fflush(stdout);
  Sleep(static_cast<DWORD>(std::atof(argv[1]) * 1000));
  for (HANDLE event : events) CloseHandle(event);
  return 0;
}
