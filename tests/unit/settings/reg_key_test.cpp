#include <gtest/gtest.h>

#include "platform/fake/fake_registry.h"
#include "platform/reg_key.h"

namespace zor::test {
namespace {

constexpr char kRun[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run";

TEST(RegKey, ReadsAndWritesAndKeepsTheLastResult) {
  FakeRegistry registry;
  RegKey key(registry);
  EXPECT_FALSE(key.Open(RegRoot::LocalMachine, kRun));  // opened, never created
  EXPECT_EQ(key.LastResult(), kRegFileNotFound);
  std::string text;
  EXPECT_FALSE(key.ReadString("ZOR2", &text));  // no key open

  registry.CreateKey(RegRoot::LocalMachine, kRun);
  ASSERT_TRUE(key.Open(RegRoot::LocalMachine, kRun));
  EXPECT_TRUE(key.WriteString("ZOR2", "C:\\Zorwise\\zor2.exe state"));
  FakeRegistry::Value stored;
  ASSERT_TRUE(registry.Get(RegRoot::LocalMachine, kRun, "zor2", &stored));
  EXPECT_EQ(stored.type, kRegSz);
  EXPECT_EQ(stored.data.size(), 26u);  // the terminator is stored too
  EXPECT_TRUE(key.ReadString("ZOR2", &text));
  EXPECT_EQ(text, "C:\\Zorwise\\zor2.exe state");
  EXPECT_EQ(key.LastType(), kRegSz);
  EXPECT_EQ(key.LastSize(), 26u);

  uint32_t dword = 0;
  EXPECT_TRUE(key.WriteDword("Count", 0x01020304));
  EXPECT_TRUE(key.ReadDword("Count", &dword));
  EXPECT_EQ(dword, 0x01020304u);

  // A string longer than 200 bytes does not fit the read buffer.
  registry.SetString(RegRoot::LocalMachine, kRun, "Long", std::string(250, 'x'));
  EXPECT_FALSE(key.ReadString("Long", &text));
  EXPECT_EQ(key.LastResult(), kRegMoreData);

  // Binary values come back in a 255-byte buffer, zero past their end.
  registry.SetBinary(RegRoot::LocalMachine, kRun, "Blob", {1, 2, 3});
  std::vector<uint8_t> buffer;
  EXPECT_TRUE(key.ReadBuffer("Blob", &buffer));
  ASSERT_EQ(buffer.size(), 255u);
  EXPECT_EQ(buffer[2], 3);
  EXPECT_EQ(buffer[3], 0);
  EXPECT_EQ(key.LastSize(), 3u);

  key.Close();
  EXPECT_EQ(registry.OpenKeys(), 0);
}

}  // namespace
}  // namespace zor::test
