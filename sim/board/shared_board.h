// One process's handle on the shared board file, for the DLL shells (hwk.dll and the vendor-library
// stand-ins): the file is mapped once, and every access runs under the board lock.
#pragma once

#include <functional>
#include <string>

#include "sim/board/board.h"
#include "sim/board/board_file.h"

namespace zor::sim {

class SharedBoard {
 public:
  // Opens path (a missing or stale file becomes a fresh default board).
  explicit SharedBoard(const std::string& path);
  SharedBoard(const SharedBoard&) = delete;
  SharedBoard& operator=(const SharedBoard&) = delete;

  bool Ready() const { return m_ready; }
  // The host's load for the readings of this process's accesses; without one they use 30 %.
  void SetLoadSource(std::function<int()> source) { m_loadSource = std::move(source); }

  // Runs fn(Board&) under the board lock; fallback when the board cannot be reached in time.
  template <typename R, typename Fn>
  R With(R fallback, Fn fn) {
    if (!m_ready) return fallback;
    BoardLockHold held(m_file.Lock(), kBoardLockTimeoutMs);
    if (!held.Held()) return fallback;
    Board board(*m_file.State());
    board.SetLoadSource(m_loadSource);
    return fn(board);
  }

 private:
  BoardFile m_file;
  bool m_ready;
  std::function<int()> m_loadSource;
};

// The board file beside the module (DLL or program) that holds `address`: where hwk.dll, simboard
// and the stand-ins all look for it.
std::string BoardFileBesideModule(const void* address);

}  // namespace zor::sim
