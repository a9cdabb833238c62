#include "common/memory_view.h"

#include <gtest/gtest.h>

#include <array>

namespace zor {
namespace {

TEST(MemoryView, ReadsAndWritesLittleEndianInside) {
  std::array<uint8_t, 8> bytes{};
  MemoryView view(bytes.data(), bytes.size());
  ASSERT_TRUE(view.Write32(4, 0x11223344u));
  EXPECT_EQ(bytes[4], 0x44);
  EXPECT_EQ(bytes[7], 0x11);
  uint16_t half = 0;
  ASSERT_TRUE(view.Read16(5, half));
  EXPECT_EQ(half, 0x2233);
}

TEST(MemoryView, RefusesEveryAccessThatLeavesTheMapping) {
  std::array<uint8_t, 8> bytes{};
  bytes.fill(0xAA);
  MemoryView view(bytes.data(), bytes.size());
  uint32_t value = 7;
  EXPECT_FALSE(view.Read32(5, value));
  EXPECT_EQ(value, 7u);
  EXPECT_FALSE(view.Write16(7, 0));
  EXPECT_FALSE(view.Write8(8, 0));
  EXPECT_FALSE(view.Read8(SIZE_MAX, *reinterpret_cast<uint8_t*>(&value)));
  EXPECT_TRUE(view.Sub(6, 3).empty());
  EXPECT_TRUE(view.Sub(SIZE_MAX, 2).empty());
  EXPECT_EQ(view.Sub(6, 2).size(), 2u);
  for (uint8_t b : bytes) EXPECT_EQ(b, 0xAA);
}

}  // namespace
}  // namespace zor
