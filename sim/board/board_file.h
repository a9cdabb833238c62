// A board kept in a file and mapped shared, so every process that opens the same file sees one
// board, and the board (its ROM above all) outlives the processes. Each access is made under the
// machine-wide board lock.
#pragma once

#include <cstdint>
#include <string>

#include "platform/named_mutex.h"
#include "sim/board/board_state.h"

namespace zor::sim {

// The lock every user of a board file holds around each access.
constexpr char kBoardMutexName[] = "Global\\ZorSimBoardLock";
constexpr uint32_t kBoardLockTimeoutMs = 2000;
// The file the simulated hwk.dll and simboard use, beside them.
constexpr char kBoardFileName[] = "SimBoard.bin";

class BoardFile {
 public:
  BoardFile();
  ~BoardFile();
  BoardFile(const BoardFile&) = delete;
  BoardFile& operator=(const BoardFile&) = delete;

  // Maps path, creating the file or fixing its size as needed. False when it cannot be mapped.
  bool Map(const std::string& path);
  BoardState* State() const;

 private:
  struct Impl;
  Impl* m_impl;
};

enum class OpenResult { kFailed, kOpened, kCreated };

// Maps path and, under the board lock, makes sure it holds a valid board: a missing, stale or
// foreign record is replaced by a fresh board of the default profile.
OpenResult OpenBoardFile(BoardFile& file, NamedMutex& lock, const std::string& path);

}  // namespace zor::sim
