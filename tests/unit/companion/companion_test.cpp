#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "apps/companion/companion_state.h"

namespace zor {
namespace {

CompanionFigures Published(double cpu, double current, double total, double saveTime) {
  CompanionFigures f;
  f.present = true;
  f.cpuPower = cpu;
  f.current = current;
  f.total = total;
  f.raw = std::to_string(cpu) + ";" + std::to_string(current) + ";" + std::to_string(total) + ";" +
          std::to_string(saveTime);
  return f;
}

struct Step {
  CompanionFigures figures;
  bool serviceStopped;
  CompanionLook expected;
};

// The looks the icon goes through, second by second, as the service runs, saves, stops, starts
// again and its file disappears.
TEST(CompanionState, LookFollowsTheServicesFigures) {
  const CompanionFigures missing;
  const CompanionFigures saving1 = Published(70, 0.1, 10.1, 1);
  const CompanionFigures saving2 = Published(71, 0.2, 10.2, 2);
  const CompanionFigures saving3 = Published(71, 0.3, 10.3, 3);
  const CompanionFigures offA = Published(40, 0.3, 10.3, 3);
  const CompanionFigures offB = Published(41, 0.3, 10.3, 3);
  using L = CompanionLook;
  const std::vector<Step> steps = {
      {missing, true, L::kNoService},
      {saving1, false, L::kSavingOff},  // nothing seen moving yet
      {saving2, false, L::kSavingOn},
      {saving2, false, L::kSavingOn},  // a read between two publications: still on
      {saving3, false, L::kSavingOn},
      // The counters stop, the power still moves: saving was switched off.
      {offA, false, L::kSavingOn},
      {offB, false, L::kSavingOn},
      {offA, false, L::kSavingOff},
      // A steady load with the service running is not stale, however long it lasts.
      {offA, false, L::kSavingOff},
      {offA, false, L::kSavingOff},
      {offA, false, L::kSavingOff},
      {offA, false, L::kSavingOff},
      // The service stops: stale once the figures stood still long enough and the manager says so.
      {offA, true, L::kStale},
      {offA, true, L::kStale},
      // It starts again and saves: live at the first change.
      {saving1, false, L::kSavingOn},
      {missing, true, L::kNoService},
      {saving2, false, L::kSavingOn},
  };
  CompanionState state;
  int second = 0;
  for (const Step& step : steps) {
    state.Tick(step.figures, [&] { return step.serviceStopped; });
    EXPECT_EQ(LookName(state.Look()), std::string(LookName(step.expected))) << "second " << second;
    ++second;
  }
}

// Figures that stand still turn stale only after FigureLiveness's wait, never at the first still
// second, and never while the service manager cannot tell.
TEST(CompanionState, StaleOnlyAfterTheWaitAndWithTheManagersWord) {
  const CompanionFigures still = Published(50, 1, 2, 3);
  for (const bool stopped : {false, true}) {
    CompanionState state;
    state.Tick(Published(49, 1, 2, 3), [] { return false; });
    state.Tick(still, [] { return false; });
    for (int i = 0; i < FigureLiveness::kStillSeconds - 1; ++i) {
      state.Tick(still, [&] { return stopped; });
      EXPECT_NE(state.Look(), CompanionLook::kStale) << i;
    }
    state.Tick(still, [&] { return stopped; });
    EXPECT_EQ(state.Look() == CompanionLook::kStale, stopped);
  }
}

TEST(CompanionTooltip, SaysTheLookAndTheFiguresWithUnits) {
  const CompanionFigures f = Published(75.34, 0.0391, 12.5, 4);
  struct Case {
    CompanionLook look;
    bool demo;
    const char* text;
  };
  const Case cases[] = {
      {CompanionLook::kSavingOn, false,
       "Zorwise: saving on\nCPU power 75.3 W\nSaving 0.039 units\nTotal 12.500 units"},
      {CompanionLook::kSavingOff, true,
       "Zorwise, demo board: saving off\nCPU power 75.3 W\nSaving 0.039 units\nTotal 12.500 units"},
      {CompanionLook::kStale, false,
       "Zorwise\nThe ZOR2 Service is not running\nLast total 12.500 units"},
      {CompanionLook::kNoService, true,
       "Zorwise, demo board\nThe ZOR2 Service is not running\nNo figures: INFO.DAT is missing"},
  };
  for (const Case& c : cases) EXPECT_EQ(TooltipText(c.look, f, c.demo), c.text) << LookName(c.look);
}

// The shell keeps 127 characters of a tooltip: the largest figures still fit whole.
TEST(CompanionTooltip, LargestFiguresFitTheShellsTooltip) {
  const CompanionFigures f = Published(1e300, 1e300, 1e300, 1);
  const std::string tip = TooltipText(CompanionLook::kSavingOff, f, true);
  EXPECT_LT(tip.size(), kTooltipCapacity);
  EXPECT_NE(tip.find("Total 1000000000000.000 units"), std::string::npos) << tip;
}

TEST(CompanionFigures, ReadFromTheServicesFileOrMissing) {
  const std::filesystem::path dir = std::filesystem::path(::testing::TempDir()) / "companion_read";
  std::filesystem::create_directories(dir);
  const std::string path = (dir / "INFO.DAT").string();
  std::filesystem::remove(path);
  InfoStore info(path);
  EXPECT_FALSE(ReadCompanionFigures(info, SystemFileOps()).present);

  std::ofstream(path) << "[VALUE]\r\nCPU_MAX=81.25\r\nCurrent=0.5\r\nTotal=99.75\r\nSaveTime=12\r\n";
  const auto before = std::filesystem::last_write_time(path);
  const CompanionFigures f = ReadCompanionFigures(info, SystemFileOps());
  EXPECT_TRUE(f.present);
  EXPECT_DOUBLE_EQ(f.cpuPower, 81.25);
  EXPECT_DOUBLE_EQ(f.current, 0.5);
  EXPECT_DOUBLE_EQ(f.total, 99.75);
  EXPECT_EQ(f.raw, "81.25;0.5;99.75;12");
  // The companion only reads what the service owns.
  EXPECT_EQ(std::filesystem::last_write_time(path), before);
  // The kept store sees the service's next publication, and the file going away.
  std::ofstream(path) << "[VALUE]\r\nCPU_MAX=60.5\r\nCurrent=0.75\r\nTotal=100\r\nSaveTime=13\r\n";
  EXPECT_EQ(ReadCompanionFigures(info, SystemFileOps()).raw, "60.5;0.75;100;13");
  std::filesystem::remove(path);
  EXPECT_FALSE(ReadCompanionFigures(info, SystemFileOps()).present);
}

// The Run key's start keeps a hidden icon away; a start by the user brings it back.
TEST(CompanionStart, HiddenIconStaysAwayOnlyAtLogon) {
  EXPECT_TRUE(ShowsIconAtStart(/*logonStart=*/true, /*hiddenByUser=*/false));
  EXPECT_FALSE(ShowsIconAtStart(true, true));
  EXPECT_TRUE(ShowsIconAtStart(false, true));
  EXPECT_TRUE(ShowsIconAtStart(false, false));
}

}  // namespace
}  // namespace zor
