#include "service/board_io.h"

#include <unistd.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "tests/unit/service/service_fakes.h"

namespace zor {
namespace {

TEST(BoardIo, PciConfigAddressAndSmbusBase) {
  test::PortBoard board;
  test::ManualClock clock;
  HardwareLocks locks(20);
  BoardIo io(board, clock, locks);
  uint32_t value = 0;
  ASSERT_EQ(io.ReadPciConfig(0, 31, 3, 0x20, value), IoStatus::kOk);
  EXPECT_EQ(board.pciAddress, 0x8000FB20u);
  EXPECT_EQ(value, test::kSmbusBase | 1);

  NamedMutex other(locks::kPci);
  ASSERT_TRUE(other.Lock(100));
  EXPECT_EQ(io.ReadPciConfig(0, 31, 3, 0x20, value), IoStatus::kLockBusy);
  other.Unlock();
}

// The ready-wait polls ten times, 5 ms apart, before it gives up; the transfer itself waits 5 ms.
// A controller that stays busy is told apart from a good reading of 0xFF.
TEST(BoardIo, SmbusReadWaitsForTheController) {
  struct Case { int busyPolls; uint8_t data; IoStatus status; uint64_t sleptMs; };
  const Case cases[] = {
      {0, 0x42, IoStatus::kOk, 5},          // ready at once, before and after the transfer
      {3, 0x42, IoStatus::kOk, 20},         // three busy reads, then ready
      {9, 0x42, IoStatus::kOk, 50},         // ready on the last poll that is read
      {0, 0xFF, IoStatus::kOk, 5},          // the regulator's own 0xFF is a reading
      {10, 0x42, IoStatus::kSmbusBusy, 50},  // still busy after the tenth wait
      {-1, 0x42, IoStatus::kSmbusBusy, 50},  // stuck
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.busyPolls);
    test::PortBoard board;
    board.phaseState = c.data;
    board.busyPolls = c.busyPolls;
    test::ManualClock clock;
    HardwareLocks locks(20);
    BoardIo io(board, clock, locks);
    const ByteRead read = io.SmbusReadByte(test::kSmbusBase, 0x90, 0x8A);
    EXPECT_EQ(read.status, c.status);
    if (read.Ok()) {
      EXPECT_EQ(read.value, c.data);
    }
    EXPECT_EQ(clock.slept, c.sleptMs);
  }
}

TEST(BoardIo, SensorPairUnderOneLock) {
  test::PortBoard board;
  board.sensors[test::kVoltageReg] = 0x64;
  board.sensors[test::kCurrentReg] = 0x28;
  test::ManualClock clock;
  HardwareLocks locks(20);
  BoardIo io(board, clock, locks);
  ByteRead volts, current;
  io.ReadSensorPair(test::kIndexPort, test::kDataPort, test::kVoltageReg, test::kCurrentReg, volts, current);
  EXPECT_TRUE(volts.Ok() && current.Ok());
  EXPECT_EQ(volts.value, 0x64);
  EXPECT_EQ(current.value, 0x28);

  NamedMutex other(locks::kIsaBus);
  ASSERT_TRUE(other.Lock(100));
  io.ReadSensorPair(test::kIndexPort, test::kDataPort, test::kVoltageReg, test::kCurrentReg, volts, current);
  other.Unlock();
  EXPECT_EQ(volts.status, IoStatus::kLockBusy);
  EXPECT_EQ(current.status, IoStatus::kLockBusy);
}

TEST(BoardIo, BusySmbusLockFailsTheRead) {
  test::PortBoard board;
  test::ManualClock clock;
  HardwareLocks locks(20);
  BoardIo io(board, clock, locks);
  NamedMutex other(locks::kSmbus);
  ASSERT_TRUE(other.Lock(100));
  EXPECT_EQ(io.SmbusReadByte(test::kSmbusBase, 0x90, 0x8A).status, IoStatus::kLockBusy);
  EXPECT_TRUE(board.smbusWrites.empty());
  other.Unlock();
}

// Natively a lock is a file under /tmp; a directory of that name stands for a name that another
// tool took for another kind of object. Such a lock is reported and the reads go on without it.
TEST(BoardIo, ALockThatCannotBeMadeIsDoneWithout) {
  const std::string name = "Global\\ZorTestIsa-" + std::to_string(getpid());
  const std::string file = "/tmp/zorwise-lock-Global_ZorTestIsa-" + std::to_string(getpid());
  std::filesystem::create_directory(file);
  test::PortBoard board;
  board.sensors[test::kVoltageReg] = 0x64;
  test::ManualClock clock;
  HardwareLocks locks(20, name.c_str(), locks::kSmbus, locks::kPci);
  BoardIo io(board, clock, locks);
  const ByteRead read = io.ReadSensor(test::kIndexPort, test::kDataPort, test::kVoltageReg);
  std::filesystem::remove(file);
  EXPECT_EQ(read.status, IoStatus::kOk);
  EXPECT_EQ(read.value, 0x64);
  EXPECT_EQ(locks.Unavailable(), std::vector<std::string>{name});
}

}  // namespace
}  // namespace zor
