// The shared simulated board as the vendor-library stand-ins reach it: the board file beside the
// DLL, opened on first use (not in DllMain) and closed when the DLL is unloaded. SF.DLL is loaded
// and freed for every fan operation, so a board that outlived the DLL would leak a mapped view and
// its handles each time.
#pragma once

#include "sim/board/shared_board.h"

namespace zor::sim {

inline SharedBoard& VendorBoard() {
  static const char anchor = 0;  // an object of this module: names the DLL's directory
  static SharedBoard shared(BoardFileBesideModule(&anchor));
  return shared;
}

// Runs fn(board) under the board lock; fallback when the board cannot be reached.
template <typename R, typename Fn>
R WithVendorBoard(R fallback, Fn fn) {
  return VendorBoard().With(fallback, fn);
}

}  // namespace zor::sim
