// A board kept in a file and mapped shared, so every process that opens the same file sees one
// board, and the board (its ROM above all) outlives the processes. The file holds the board record
// and, after it, the board lock's word; each access is made holding that lock.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "sim/board/board_lock.h"
#include "sim/board/board_state.h"

namespace zor::sim {

// The machine-wide lock held while a process maps a board file and makes sure it holds a board.
constexpr char kBoardMutexName[] = "Global\\ZorSimBoardLock";
constexpr uint32_t kBoardLockTimeoutMs = 2000;
// The file the simulated hwk.dll and simboard use, beside them.
constexpr char kBoardFileName[] = "SimBoard.bin";

constexpr size_t kBoardLockWordOffset = (sizeof(BoardState) + 7) / 8 * 8;
constexpr size_t kBoardFileSize = kBoardLockWordOffset + sizeof(BoardLockWord);

class BoardFile {
 public:
  BoardFile();
  ~BoardFile();
  BoardFile(const BoardFile&) = delete;
  BoardFile& operator=(const BoardFile&) = delete;

  // Maps path, creating the file or fixing its size as needed. False when it cannot be mapped.
  bool Map(const std::string& path);
  BoardState* State() const;
  BoardLockWord* LockWord() const;
  // The lock around every access; it fails until OpenBoardFile has succeeded.
  BoardLock& Lock() { return m_lock; }

 private:
  struct Impl;
  Impl* m_impl;
  BoardLock m_lock;
};

enum class OpenResult { kFailed, kOpened, kCreated };

// Maps path and makes sure it holds a valid board: a missing, stale or foreign record is replaced
// by a fresh board of the default profile.
OpenResult OpenBoardFile(BoardFile& file, const std::string& path);

}  // namespace zor::sim
