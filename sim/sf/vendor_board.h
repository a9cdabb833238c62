// The shared simulated board as the vendor-library stand-ins reach it: the board file beside the
// DLL, opened on first use, each access under the board lock.
#pragma once

#include <windows.h>

#include <mutex>
#include <string>

#include "sim/board/board.h"
#include "sim/board/board_file.h"

namespace zor::sim {

inline std::string VendorDllDirectory() {
  HMODULE self = nullptr;
  GetModuleHandleExA(
      GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
      reinterpret_cast<LPCSTR>(&VendorDllDirectory), &self);
  char path[MAX_PATH] = {};
  const DWORD length = GetModuleFileNameA(self, path, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return ".";
  std::string dir(path, length);
  const size_t slash = dir.find_last_of("\\/");
  return slash == std::string::npos ? "." : dir.substr(0, slash);
}

struct VendorBoard {
  NamedMutex lock{kBoardMutexName};
  BoardFile file;
  bool ready = false;
};

// Runs fn(board) under the lock; fallback when the board cannot be reached.
template <typename R, typename Fn>
R WithVendorBoard(R fallback, Fn fn) {
  static VendorBoard* shared = nullptr;
  static std::once_flag once;
  std::call_once(once, [] {
    shared = new VendorBoard;  // kept for the process's life, as the DLL is
    shared->ready = OpenBoardFile(shared->file, shared->lock,
                                  VendorDllDirectory() + "\\" + kBoardFileName) != OpenResult::kFailed;
  });
  if (!shared->ready) return fallback;
  NamedMutexLock held(shared->lock, kBoardLockTimeoutMs);
  if (!held.Held()) return fallback;
  Board board(*shared->file.State());
  return fn(board);
}

}  // namespace zor::sim
