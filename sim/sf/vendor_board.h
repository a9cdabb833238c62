// The shared simulated board as the vendor-library stand-ins reach it: the board file beside the
// DLL, opened on first use (not in DllMain) and kept for the process's life, as the DLL is.
#pragma once

#include "sim/board/shared_board.h"

namespace zor::sim {

inline SharedBoard& VendorBoard() {
  static const char anchor = 0;  // an object of this module: names the DLL's directory
  static SharedBoard* shared = new SharedBoard(BoardFileBesideModule(&anchor));
  return *shared;
}

// Runs fn(board) under the board lock; fallback when the board cannot be reached.
template <typename R, typename Fn>
R WithVendorBoard(R fallback, Fn fn) {
  return VendorBoard().With(fallback, fn);
}

}  // namespace zor::sim
