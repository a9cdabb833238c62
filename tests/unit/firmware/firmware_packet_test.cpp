#include "common/firmware_packet.h"

#include <gtest/gtest.h>

#include <numeric>
#include <vector>

namespace zor::fw {
namespace {

unsigned SumOfChecksummedBytes(const TpsePacket& p) {
  return std::accumulate(p.begin(), p.begin() + tp::kChecksummedBytes, 0u);
}

TEST(TpsePacketTest, ChecksumMakesBytes0To17SumToZero) {
  // Bytes 0-17 without byte 6 summing to 0x1034: only the low byte 0x34 counts, giving 0xCC.
  TpsePacket p{};
  unsigned sum = 0;
  for (uint32_t i = 0; i < tp::kChecksummedBytes && sum < 0x1034; ++i) {
    if (i == tp::kChecksum) continue;
    p[i] = static_cast<uint8_t>(std::min(0xFFu, 0x1034u - sum));
    sum += p[i];
  }
  ASSERT_EQ(sum, 0x1034u);
  p[tp::kChecksum] = 0x77;  // whatever is there is left out
  p[20] = 0x55;            // bytes past 17 are not covered
  EXPECT_EQ(TpseChecksum(p), 0xCC);

  TpsePacket zero{};
  EXPECT_EQ(TpseChecksum(zero), 0x00);
}

TEST(TpsePacketTest, CopiesTableFieldsAndChecksums) {
  std::vector<uint8_t> bytes(4608);
  MemoryView table(bytes.data(), bytes.size());
  table.Write8(et::kRevision, 0x21);
  table.Write8(et::kPacketByte7, 0x9A);
  table.Write16(et::kControlFlags, 0x0155);
  table.Write16(et::kPhaseMask, 0x003F);
  table.Write16(et::kAutoOffWord, 0x0FC0);
  table.Write8(et::kSaveDivisor, 7);

  const TpsePacket p = BuildTpsePacket(table, 0x0135);
  const std::vector<uint8_t> expected = {'T', 'P', 'S', 'E', 26, 0x21, p[6], 0x9A, 0x35, 0x01,
                                         0x3F, 0x00, 0, 0, 0, 0, 0, 7, 0, 0, 0, 0, 0, 0, 0, 0};
  EXPECT_EQ(std::vector<uint8_t>(p.begin(), p.end()), expected);
  EXPECT_EQ(SumOfChecksummedBytes(p) % 256, 0u);

  const TpsePacket off = BuildTpsePacket(table, 0x0050, PhaseWord::FromAutoOffWord);
  EXPECT_EQ(off[10], 0xC0);
  EXPECT_EQ(off[11], 0x0F);
  EXPECT_EQ(SumOfChecksummedBytes(off) % 256, 0u);
}

}  // namespace
}  // namespace zor::fw
