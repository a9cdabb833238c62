#include "service/board_io.h"

#include <gtest/gtest.h>

#include "tests/unit/service/service_fakes.h"

namespace zor {
namespace {

TEST(BoardIo, PciConfigAddressAndSmbusBase) {
  test::PortBoard board;
  test::ManualClock clock;
  HardwareLocks locks(20);
  BoardIo io(board, clock, locks);
  uint32_t value = 0;
  ASSERT_TRUE(io.ReadPciConfig(0, 31, 3, 0x20, value));
  EXPECT_EQ(board.pciAddress, 0x8000FB20u);
  EXPECT_EQ(value, test::kSmbusBase | 1);

  NamedMutex other(HardwareLocks::kPciName);
  ASSERT_TRUE(other.Lock(100));
  EXPECT_FALSE(io.ReadPciConfig(0, 31, 3, 0x20, value));
  other.Unlock();
}

// The ready-wait polls ten times, 5 ms apart, before it gives up; the transfer itself waits 5 ms.
TEST(BoardIo, SmbusReadWaitsForTheController) {
  struct Case { int busyPolls; int result; uint64_t sleptMs; };
  const Case cases[] = {
      {0, 0x42, 5},       // ready at once, before and after the transfer
      {3, 0x42, 20},      // three busy reads, then ready
      {9, 0x42, 50},      // ready on the last poll that is read
      {10, -1, 50},       // still busy after the tenth wait
      {-1, -1, 50},       // stuck
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.busyPolls);
    test::PortBoard board;
    board.phaseState = 0x42;
    board.busyPolls = c.busyPolls;
    test::ManualClock clock;
    HardwareLocks locks(20);
    BoardIo io(board, clock, locks);
    EXPECT_EQ(io.SmbusReadByte(test::kSmbusBase, 0x90, 0x8A), c.result);
    EXPECT_EQ(clock.slept, c.sleptMs);
  }
}

TEST(BoardIo, BusySmbusLockFailsTheRead) {
  test::PortBoard board;
  test::ManualClock clock;
  HardwareLocks locks(20);
  BoardIo io(board, clock, locks);
  NamedMutex other(HardwareLocks::kSmbusName);
  ASSERT_TRUE(other.Lock(100));
  EXPECT_EQ(io.SmbusReadByte(test::kSmbusBase, 0x90, 0x8A), -1);
  EXPECT_TRUE(board.smbusWrites.empty());
  other.Unlock();
}

}  // namespace
}  // namespace zor
