// The service writes the rail targets of the saving in force at its start and after a resume,
// seen on the simulated board's regulator (what it applied) after a simulated sleep.
#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <string>

#include "common/firmware_layout.h"
#include "service/monitor.h"
#include "service/service_host.h"
#include "sim/board/board.h"
#include "sim/board/board_profiles.h"
#include "sim/board/sim_hwk.h"
#include "tests/unit/service/service_fakes.h"
#include "tests/unit/store/store_dir.h"

namespace zor {
namespace {

// Nothing of the manager is needed for the controls under test.
class NoManager : public ServiceHostPort {
 public:
  bool RegisterHandler() override { return true; }
  bool Report(ServiceState, uint32_t) override { return true; }
  void Record(ServiceState) override {}
  uint32_t LastError() override { return 0; }
  std::string ErrorText(uint32_t) override { return ""; }
  bool StartThread(std::function<void()>) override { return false; }
  bool JoinThread(uint32_t) override { return true; }
};

constexpr uint16_t kSavingL3 = fw::cf::kActive | (fw::kLevelL3 << fw::cf::kLevelShift);

// The simulated rails by id: memory 0x31, north bridge 0x32, south bridge 0x33, VTT 0x34,
// PCH 0x3B.
class RailReapplyTest : public ::testing::Test {
 protected:
  RailReapplyTest()
      : state(new sim::BoardState), board(*state), hwk(board), locks(20),
        host(port, hostTrace, flags), hostTrace(dir.File("Satae.log")) {}

  void Create(const char* name, uint16_t controlFlags) {
    profile = sim::FindProfile(name);
    ASSERT_NE(profile, nullptr) << name;
    sim::Board::Create(*state, *profile);
    board.SetControlFlags(controlFlags);
  }

  // Runs the service for the given cycles; at cycle `sleepAt` the board sleeps and resumes, and
  // the control `code` (with its event type) reaches the handler.
  void Run(int cycles, int sleepAt = -1, uint32_t code = 0, uint32_t eventType = 0) {
    flags.running = true;
    int sleeps = 0;
    clock.onSleep = [&] {
      if (clock.now % 100 != 0) return;
      ++sleeps;
      if (sleeps == sleepAt) {
        board.Sleep();
        if (code) host.Control(code, eventType);
      }
      if (sleeps >= cycles) flags.running = false;
    };
    ServiceDeps deps{trace, flags, clock, store, locks, [this] { return &hwk; },
                     [this] { flags.running = false; }, [] {}};
    deps.readSetting = [this](const char* key, const char* def) {
      const auto found = settings.find(key);
      return found == settings.end() ? std::string(def) : found->second;
    };
    deps.cpuSignature = profile->cpuSignature;
    RunService(deps);
  }

  // What the regulator applied, as a difference from each rail's nominal value.
  std::map<int, int64_t> Applied() const {
    std::map<int, int64_t> out;
    for (uint32_t i = 0; i < sim::kMaxRails && state->railIds[i]; ++i) {
      out[state->railIds[i]] =
          static_cast<int64_t>(state->appliedRails[i]) - static_cast<int64_t>(state->railBases[i]);
    }
    return out;
  }

  StoreDir dir;
  std::unique_ptr<sim::BoardState> state;
  sim::Board board;
  sim::SimHwk hwk;
  const sim::BoardProfile* profile = nullptr;
  test::MemoryValues store;
  test::ManualClock clock;
  test::TextTrace trace;
  HardwareLocks locks;
  ServiceFlags flags;
  NoManager port;
  ServiceHost host;
  FileTrace hostTrace;
  std::map<std::string, std::string> settings;
};

const std::map<int, int64_t> kNominal = {{0x31, 0}, {0x32, 0}, {0x33, 0}, {0x34, 0}};
// L3 on a board of none of the platform classes: bridges and VTT 10000 down, memory 2000.
const std::map<int, int64_t> kL3Lowered = {{0x31, -2000}, {0x32, -10000}, {0x33, -10000},
                                           {0x34, -10000}};

TEST_F(RailReapplyTest, StartAndResumeWriteTheLevelsRailsAgain) {
  struct Case {
    const char* what;
    uint32_t code;
    uint32_t eventType;
    bool reapplied;
  };
  const Case cases[] = {
      {"resume from suspend", control::kPowerEvent, power::kResumeSuspend, true},
      {"automatic resume", control::kPowerEvent, power::kResumeAutomatic, true},
      {"the service's own control", control::kReapplyRails, 0, true},
      {"another power event", control::kPowerEvent, 10 /* power status change */, false},
      {"no control at all", 0, 0, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Create("core2-6-probe", kSavingL3);
    ASSERT_EQ(Applied(), kNominal);
    // The start alone brings the rails down, with no window ever opened.
    Run(3);
    EXPECT_EQ(Applied(), kL3Lowered);
    Run(6, 3, c.code, c.eventType);
    EXPECT_EQ(Applied(), c.reapplied ? kL3Lowered : kNominal);
  }
}

TEST_F(RailReapplyTest, AnAdvancedSetIsWrittenAgainAfterAResume) {
  Create("core2-6-probe", kSavingL3);
  settings = {{"Adv", "1"}, {"NB", "1"}, {"SB", "0"}, {"VTT", "1"}, {"MEM", "1"}};
  Run(6, 3, control::kPowerEvent, power::kResumeAutomatic);
  EXPECT_EQ(Applied(), (std::map<int, int64_t>{{0x31, -2000}, {0x32, -10000}, {0x33, 0},
                                               {0x34, -10000}}));

  // A P55 board's set lowers its PCH, and only that with memory.
  Create("p55-24-smbus", kSavingL3);
  settings = {{"Adv", "1"}, {"PCH", "1"}, {"MEM", "0"}};
  Run(6, 3, control::kPowerEvent, power::kResumeSuspend);
  const std::map<int, int64_t> applied = Applied();
  EXPECT_NE(applied.at(0x3B), 0);
  EXPECT_EQ(applied.at(0x31), 0);
  EXPECT_EQ(applied.at(0x34), 0);
}

TEST_F(RailReapplyTest, NothingIsWrittenWhileSavingIsOff) {
  Create("core2-6-probe", 0);
  settings = {{"Adv", "1"}, {"NB", "1"}, {"MEM", "1"}};
  const uint32_t applies = state->railApplies;
  Run(6, 3, control::kPowerEvent, power::kResumeSuspend);
  EXPECT_EQ(Applied(), kNominal);
  EXPECT_EQ(state->railApplies, applies);
}

}  // namespace
}  // namespace zor
