// The board lock between processes and threads on one board file: no access sees another half
// done, a holder that runs keeps the board, a holder that died loses it, and a board file from
// before the lock lived in it keeps its board.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <cstdio>
#include <string>
#include <thread>
#include <vector>

#include "platform/process_identity.h"
#include "sim/board/board_file.h"
#include "sim/board/shared_board.h"

namespace zor::sim {
namespace {

class BoardLockTest : public ::testing::Test {
 protected:
  void SetUp() override {
    m_path = ::testing::TempDir() + "board-lock-test-" + std::to_string(getpid()) + ".bin";
    std::remove(m_path.c_str());
    SharedBoard creator(m_path);
    ASSERT_TRUE(creator.Ready());
  }
  void TearDown() override { std::remove(m_path.c_str()); }

  // Runs body in a child process; its exit status is 0 when body returned true.
  static pid_t Child(const std::function<bool()>& body) {
    const pid_t pid = fork();
    if (pid == 0) _exit(body() ? 0 : 1);
    return pid;
  }
  static int Reap(pid_t pid) {
    int status = -1;
    waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }

  std::string m_path;
};

// Each write leaves the two pinned readings and fan point 0 equal and counts itself in the fan's
// write counter with a plain increment: a reader that sees them differ saw a write half done, and
// a count short of every write means two writers overlapped.
TEST_F(BoardLockTest, ProcessesAndThreadsNeverOverlap) {
  constexpr int kWritesPerThread = 20000;
  constexpr int kProcesses = 2;
  constexpr int kThreads = 2;
  const int before = SharedBoard(m_path).With(-1, [](Board& b) {
    b.PinReadings(0, 0);
    b.SetFanPwm(0, 0);
    return int(b.State().fan.writes);
  });

  std::vector<pid_t> writers;
  for (int p = 0; p < kProcesses; ++p) {
    writers.push_back(Child([this, p] {
      SharedBoard board(m_path);
      std::atomic<bool> ok{board.Ready()};
      std::vector<std::thread> threads;
      for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([&, t] {
          for (int i = 0; i < kWritesPerThread; ++i) {
            const int value = (p * kThreads + t) * 50 + i % 50;
            const bool done = board.With(false, [&](Board& b) {
              b.PinReadings(value, value);
              b.SetFanPwm(0, static_cast<uint16_t>(value));
              return true;
            });
            if (!done) ok = false;
          }
        });
      }
      for (std::thread& thread : threads) thread.join();
      return ok.load();
    }));
  }

  // Two readers in this process, each on its own handle of the file.
  std::atomic<int> torn{0};
  std::atomic<bool> writing{true};
  std::vector<std::thread> readers;
  for (int r = 0; r < 2; ++r) {
    readers.emplace_back([&] {
      SharedBoard board(m_path);
      while (writing) {
        board.With(0, [&](Board& b) {
          const BoardState& s = b.State();
          if (s.pinnedVoltageRaw != s.pinnedCurrentRaw || s.pinnedVoltageRaw != s.fan.pwm[0]) ++torn;
          return 0;
        });
      }
    });
  }
  for (pid_t pid : writers) EXPECT_EQ(Reap(pid), 0) << "a writer could not reach the board";
  writing = false;
  for (std::thread& reader : readers) reader.join();

  EXPECT_EQ(torn.load(), 0);
  const int after = SharedBoard(m_path).With(-1, [](Board& b) { return int(b.State().fan.writes); });
  EXPECT_EQ(after - before, kProcesses * kThreads * kWritesPerThread);
}

TEST_F(BoardLockTest, RunningHolderKeepsTheBoardAndADeadOneLosesIt) {
  SharedBoard board(m_path);
  int ready[2];
  ASSERT_EQ(pipe(ready), 0);
  const pid_t holder = Child([&] {
    BoardFile file;
    if (OpenBoardFile(file, m_path) == OpenResult::kFailed || !file.Lock().Lock(kBoardLockTimeoutMs)) {
      return false;
    }
    file.State()->pinnedLoad = 66;  // then dies holding the board
    const char byte = 1;
    if (write(ready[1], &byte, 1) != 1) return false;
    for (;;) pause();
  });
  char byte = 0;
  ASSERT_EQ(read(ready[0], &byte, 1), 1);
  close(ready[0]);
  close(ready[1]);

  EXPECT_EQ(board.With(-1, [](Board&) { return 1; }), -1) << "taken from a running holder";

  kill(holder, SIGKILL);
  Reap(holder);
  EXPECT_EQ(board.With(-1, [](Board& b) { return b.State().pinnedLoad; }), 66);
  EXPECT_EQ(board.With(-1, [](Board&) { return 1; }), 1) << "the board stayed with the dead holder";
}

TEST_F(BoardLockTest, FileWithoutTheLockKeepsItsBoard) {
  SharedBoard(m_path).With(0, [](Board& b) {
    b.PinLoad(42);
    return 0;
  });
  ASSERT_EQ(truncate(m_path.c_str(), sizeof(BoardState)), 0);

  BoardFile file;
  EXPECT_EQ(OpenBoardFile(file, m_path), OpenResult::kOpened);
  EXPECT_EQ(file.State()->pinnedLoad, 42);
  EXPECT_EQ(SharedBoard(m_path).With(-1, [](Board&) { return 1; }), 1);
}

TEST(ProcessIdentity, TellsARecycledIdFromItsFirstProcess) {
  const ProcessIdentity self = CurrentProcessIdentity();
  EXPECT_FALSE(ProcessEnded(self));
  ProcessIdentity recycled = self;
  recycled.started += 1;
  EXPECT_TRUE(ProcessEnded(recycled));

  const pid_t child = fork();
  if (child == 0) _exit(0);
  waitpid(child, nullptr, 0);
  EXPECT_TRUE(ProcessEnded({static_cast<uint32_t>(child), 0}));
}

}  // namespace
}  // namespace zor::sim
