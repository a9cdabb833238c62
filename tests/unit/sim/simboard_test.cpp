// The simboard command against a board file: grammar, changes that persist in the file, the report.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <string>
#include <vector>

#include "sim/board/board_file.h"
#include "sim/board/board_profiles.h"
#include "sim/board/shared_board.h"
#include "sim/simboard/simboard_cli.h"
#include "tests/unit/sim/sim_test_support.h"

namespace zor::sim {
namespace {

class Simboard : public ::testing::Test {
 protected:
  void SetUp() override {
    m_path = ::testing::TempDir() + "simboard-test-" + std::to_string(getpid()) + ".bin";
    std::remove(m_path.c_str());
  }
  void TearDown() override { std::remove(m_path.c_str()); }

  // Runs a command line; returns the exit status and leaves stdout + stderr in m_output.
  int Run(std::vector<const char*> args) {
    args.insert(args.begin(), "simboard");
    std::FILE* out = std::tmpfile();
    const int status = RunSimboard(static_cast<int>(args.size()), args.data(), m_path, out, out);
    std::rewind(out);
    m_output.clear();
    char buffer[4096];
    size_t n = 0;
    while ((n = std::fread(buffer, 1, sizeof buffer, out)) > 0) m_output.append(buffer, n);
    std::fclose(out);
    return status;
  }

  bool Shows(const char* text) const { return m_output.find(text) != std::string::npos; }

  std::string m_path;
  std::string m_output;
};

TEST_F(Simboard, CommandsChangeTheSharedFile) {
  ASSERT_EQ(Run({"create", "--profile", "p55-24-smbus"}), 0) << m_output;
  ASSERT_EQ(Run({"pin-load", "40"}), 0);
  ASSERT_EQ(Run({"fault", "add", "smbus-stuck", "revision"}), 0);
  ASSERT_EQ(Run({"address-failures", "2"}), 0);
  ASSERT_EQ(Run({"flags", "0x0155"}), 0);

  // Another opener of the same file (as hwk.dll would be) sees every change.
  BoardFile file;
  ASSERT_EQ(OpenBoardFile(file, m_path), OpenResult::kOpened);
  const BoardState& state = *file.State();
  EXPECT_STREQ(state.profile.name, "p55-24-smbus");
  EXPECT_EQ(state.pinnedLoad, 40);
  EXPECT_EQ(state.faults, kFaultSmbusStuck | kFaultRevision);
  EXPECT_EQ(state.tables[fw::et::kRevision], 0x20);
  EXPECT_EQ(state.addressFailuresLeft, 2u);
  EXPECT_EQ(MemoryView(file.State()->tables, kTablesLength).U16(fw::et::kControlFlags), 0x0155);

  ASSERT_EQ(Run({"fault", "clear", "all"}), 0);
  ASSERT_EQ(Run({"pin-load", "off"}), 0);
  EXPECT_EQ(state.faults, 0u);
  EXPECT_EQ(state.tables[fw::et::kRevision], fw::kSupportedRevision);
  EXPECT_EQ(state.pinnedLoad, -1);
}

TEST_F(Simboard, MissingOrStaleFileBecomesADefaultBoard) {
  ASSERT_EQ(Run({"show"}), 0);
  EXPECT_TRUE(Shows("new board (x58-6)")) << m_output;
  std::FILE* file = std::fopen(m_path.c_str(), "r+b");
  ASSERT_NE(file, nullptr);
  const uint32_t oldVersion = kBoardVersion + 7;
  std::fseek(file, offsetof(BoardState, version), SEEK_SET);
  std::fwrite(&oldVersion, sizeof oldVersion, 1, file);
  std::fclose(file);
  ASSERT_EQ(Run({"show"}), 0);
  EXPECT_TRUE(Shows("new board")) << m_output;
  ASSERT_EQ(Run({"show"}), 0);
  EXPECT_FALSE(Shows("new board")) << m_output;
}

TEST_F(Simboard, ShowDecodesPacketsRailsAndRom) {
  ASSERT_EQ(Run({"create"}), 0);
  {
    BoardFile file;
    ASSERT_EQ(OpenBoardFile(file, m_path), OpenResult::kOpened);
    Board board(*file.State());
    uint8_t packet[fw::tp::kLength] = {'T', 'P', 'S', 'E', fw::tp::kLength, fw::kSupportedRevision};
    packet[fw::tp::kControlFlags] = 0x15;  // active, LED, level 1
    testing::SimBoard::Checksum(packet);
    const uint32_t physical = board.AllocatePhysical(sizeof packet);
    board.CopyToPhysical(physical, packet, sizeof packet);
    for (uint32_t esi : {physical, 0x1000u}) {  // 0x1000 is not memory
      SmiRegisters regs;
      regs.eax = fw::kSmiApply << 8 | kSmiType;
      regs.ebx = fw::kSelectorEnergyTable;
      regs.edx = kSmiPort;
      regs.esi = esi;
      board.Smi(regs);
    }
  }
  ASSERT_EQ(Run({"show"}), 0);
  EXPECT_TRUE(Shows("level code 1 (L3)")) << m_output;
  EXPECT_TRUE(Shows("accepted: flags 0x0015")) << m_output;
  EXPECT_TRUE(Shows("rejected: not in memory")) << m_output;
  EXPECT_TRUE(Shows("\"DECG\" at 0xFFFF7A30, value 0x0000")) << m_output;
  EXPECT_TRUE(Shows("NB  nominal 1100000")) << m_output;
  EXPECT_TRUE(Shows("-> EAX 00000000")) << m_output;
}

TEST_F(Simboard, SharedBoardsOnOneFileSeeEachOther) {
  SharedBoard first(m_path);
  SharedBoard second(m_path);
  ASSERT_TRUE(first.Ready());
  first.With(0, [](Board& board) {
    board.PinLoad(77);
    board.SetFanPwm(0, 28);
    return 0;
  });
  EXPECT_EQ(second.With(-1, [](Board& board) { return board.State().pinnedLoad; }), 77);
  EXPECT_EQ(second.With(0, [](Board& board) { return board.FanPwm(0); }), 28);

  SharedBoard nowhere(::testing::TempDir() + "no-such-dir/board.bin");
  EXPECT_FALSE(nowhere.Ready());
  EXPECT_EQ(nowhere.With(-1, [](Board&) { return 1; }), -1);
}

TEST_F(Simboard, GrammarErrorsAreUsageErrors) {
  const std::vector<std::vector<const char*>> bad = {
      {},
      {"frobnicate"},
      {"create", "--profile", "nope"},
      {"create", "x58-6"},
      {"pin-load", "101"},
      {"pin-load", "4x"},
      {"pin-readings", "1"},
      {"fault", "add", "nope"},
      {"fault", "toggle", "revision"},
      {"flags", "0x10000"},
      {"flags", "zz"},
      {"show", "extra"},
      {"--board"},
  };
  for (const auto& args : bad) {
    EXPECT_EQ(Run(args), 2) << (args.empty() ? "(none)" : args[0]);
    EXPECT_TRUE(Shows("usage:") || Shows("see simboard")) << m_output;
  }
  EXPECT_EQ(Run({"help"}), 0);
  EXPECT_TRUE(Shows("pin-load PERCENT|off"));
}

}  // namespace
}  // namespace zor::sim
