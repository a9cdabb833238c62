// The running main window: painting, the figures and phases, the mouse, the commands and their
// order on the settings worker, closing and resuming.
#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <mutex>
#include <optional>
#include <ostream>
#include <thread>

#include "common/firmware_layout.h"
#include "common/info_keys.h"
#include "common/info_lock.h"
#include "common/zor2_window.h"
#include "gui/app/digit_strip.h"
#include "common/figure_liveness.h"
#include "gui/app/main_layout.h"
#include "gui/settings/advanced_command.h"
#include "platform/named_mutex.h"
#include "platform/program_paths.h"
#include "platform/service_manager.h"
#include "tests/unit/app/main_rig.h"

namespace zor::test {
namespace {

using ui::DrawOp;
using ui::Point;

// The pictures drawn by the last operations, as "name@x,y", in order.
std::vector<std::string> Drawn(const MainRig& rig) {
  std::vector<std::string> out;
  for (const DrawOp& op : rig.host->Ops()) {
    if (op.kind != DrawOp::Kind::Copy && op.kind != DrawOp::Kind::MaskedCopy) continue;
    out.push_back(rig.NameOf(op.image) + "@" + std::to_string(op.at.x) + "," + std::to_string(op.at.y));
  }
  return out;
}

bool Has(const std::vector<std::string>& drawn, const std::string& what) {
  return std::find(drawn.begin(), drawn.end(), what) != drawn.end();
}

TEST(MainPaintTest, SavingOnMeterModeAndOff) {
  MainRig rig("x58-6");
  ASSERT_TRUE(rig.Start());
  rig.Settle();
  rig.host->ClearOps();
  rig.host->Paint();
  std::vector<std::string> d = Drawn(rig);
  EXPECT_EQ(d.front(), "Main_on@0,0");
  EXPECT_TRUE(Has(d, "ON_NB@403,45"));
  EXPECT_FALSE(Has(d, "OFF_nb@403,45"));
  EXPECT_TRUE(Has(d, "PSN_11@162,65"));
  EXPECT_TRUE(Has(d, "METER_DIS@214,161"));
  EXPECT_TRUE(Has(d, "TOTAL_N@260,161"));
  EXPECT_TRUE(Has(d, "L2_DIS@84,501"));
  EXPECT_TRUE(Has(d, "BAR_4@285,391"));
  EXPECT_FALSE(Has(d, "BAR_5@364,391"));
  EXPECT_TRUE(Has(d, "LED_ON@533,440"));
  ASSERT_TRUE(rig.host->CurrentRegion());
  EXPECT_FALSE(rig.host->CurrentRegion()->Contains(2, 2));  // the magenta corner
  EXPECT_TRUE(rig.host->CurrentRegion()->Contains(300, 300));

  rig.ClickPush(layout::kOn);  // saving off
  rig.Settle();
  rig.host->ClearOps();
  rig.host->Paint();
  d = Drawn(rig);
  EXPECT_EQ(d.front(), "Main_off@0,0");
  EXPECT_TRUE(Has(d, "OFF_nb@403,45"));
  EXPECT_FALSE(Has(d, "RESET_N@301,155"));
  for (const std::string& s : d) {
    EXPECT_EQ(s.find("BAR_"), std::string::npos) << s;
    EXPECT_EQ(s.find("METER"), std::string::npos) << s;
    EXPECT_EQ(s.find("L1_"), std::string::npos) << s;
  }
  EXPECT_EQ(rig.host->Icon(), kIconResource);
  rig.host->Minimise();
  rig.host->ClearOps();
  rig.host->Paint();
  ASSERT_EQ(rig.host->Ops().size(), 1u);
  EXPECT_EQ(rig.host->Ops()[0].kind, DrawOp::Kind::Icon);
}

TEST(MainPaintTest, AdvancedSetShowsTheWholeBarAndNoLevel) {
  MainRig rig("x58-6");
  rig.SetInfo(info::kSetting, info::kAdv, "1");
  ASSERT_TRUE(rig.Start());
  rig.Settle();
  rig.host->ClearOps();
  rig.host->Paint();
  const std::vector<std::string> d = Drawn(rig);
  EXPECT_TRUE(Has(d, "BAR_6@443,391"));
  for (const char* level : {"L1_DIS@44,501", "L2_DIS@84,501", "L3_DIS@123,501"})
    EXPECT_FALSE(Has(d, level)) << level;
}

TEST(DigitStripTest, FiguresLandOnTheirCells) {
  MainRig rig("x58-6");
  ASSERT_TRUE(rig.Start());
  rig.Settle();
  CMainDialog& w = *rig.window;
  struct Case {
    const char* name;
    std::function<void()> draw;
    std::vector<std::string> want;
  } cases[] = {
      {"12.5 meter",
       [&] {
         auto dc = rig.host->ClientCanvas();
         DrawRightStrip(*dc, w.m_aPsn, FigureText(12.5, "%.3f"));
       },
       {"PSN_1@246,84", "PSN_2@271,84", "PSN_10@292,111", "PSN_5@296,84", "PSN_0@321,84",
        "PSN_0@346,84"}},
      {"95 cpu",
       [&] {
         auto dc = rig.host->ClientCanvas();
         DrawLeftStrip(*dc, w.m_aCpuOn, FigureText(95, "%f"));
       },
       {"CPU_ON_9@58,108", "CPU_ON_5@83,108", "CPU_ON_10@104,135", "CPU_ON_0@108,108",
        "CPU_ON_0@133,108"}},
      {"ten digits",
       [&] {
         auto dc = rig.host->ClientCanvas();
         DrawRightStrip(*dc, w.m_aTotalNum, FigureText(1234567890.5, "%.3f"));
       },
       {"TOTALNUM_1@146,84", "TOTALNUM_2@171,84", "TOTALNUM_3@196,84", "TOTALNUM_4@221,84",
        "TOTALNUM_5@246,84", "TOTALNUM_6@271,84", "TOTALNUM_7@296,84", "TOTALNUM_8@321,84",
        "TOTALNUM_9@346,84", "TOTALNUM_0@371,84"}},
      {"nan and negative are 0",
       [&] {
         auto dc = rig.host->ClientCanvas();
         DrawRightStrip(*dc, w.m_aPsn, FigureText(-3, "%.3f"));
       },
       {"PSN_0@271,84", "PSN_10@292,111", "PSN_0@296,84", "PSN_0@321,84", "PSN_0@346,84"}},
      {"90061 s",
       [&] {
         auto dc = rig.host->ClientCanvas();
         const RunningTime t = SplitSaveTime(90061);
         DrawTwoDigits(*dc, w.m_aTotal, t.days, layout::kDaysX, layout::kTimeY);
         DrawTwoDigits(*dc, w.m_aTotal, t.hours, layout::kHoursX, layout::kTimeY);
         DrawTwoDigits(*dc, w.m_aTotal, t.minutes, layout::kMinutesX, layout::kTimeY);
       },
       {"TOTAL_0@174,130", "TOTAL_1@186,130", "TOTAL_0@220,130", "TOTAL_1@232,130",
        "TOTAL_0@273,130", "TOTAL_1@285,130"}},
      {"3 January 09:05:07",
       [&] {
         auto dc = rig.host->ClientCanvas();
         DrawSinceDate(*dc, w.m_aSince, LocalTime{2026, 1, 0, 3, 9, 5, 7, 0});
       },
       {"SINCE_0@187,130", "SINCE_9@199,130", "SINCE_10@212,130", "SINCE_0@218,130",
        "SINCE_5@230,130", "SINCE_10@243,130", "SINCE_0@248,130", "SINCE_7@260,130",
        "SINCE_11@272,130", "SINCE_1@289,130", "SINCE_12@301,130", "SINCE_3@321,130",
        "SINCE_12@333,130", "SINCE_2@341,130", "SINCE_0@353,130", "SINCE_2@365,130",
        "SINCE_6@377,130"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    rig.host->ClearOps();
    c.draw();
    EXPECT_EQ(Drawn(rig), c.want);
  }
  EXPECT_EQ(SplitSaveTime(-5).days, 0);
  EXPECT_EQ(SplitSaveTime(200 * 86400).days, 99);
  EXPECT_EQ(FigureText(std::nan(""), "%.3f"), "0.000");
}

TEST(MainFiguresTest, EverySecondTheServiceFiguresAreRedrawn) {
  MainRig rig("x58-6");
  ASSERT_TRUE(rig.Start());
  rig.Settle();
  rig.SetInfo(info::kValue, info::kCurrent, "12.5");
  rig.SetInfo(info::kValue, info::kCpuMax, "95");
  rig.SetInfo(info::kValue, info::kSaveTime, "90061");
  rig.host->ClearOps();
  rig.host->FireTimer(1);
  std::vector<std::string> d = Drawn(rig);
  // The panel is drawn before the strip: a shorter number leaves nothing of a longer one.
  ASSERT_GE(d.size(), 3u);
  EXPECT_EQ(d[0], "PSN_11@162,65");
  EXPECT_TRUE(Has(d, "PSN_1@246,84"));
  EXPECT_TRUE(Has(d, "TOTAL_1@285,130"));
  EXPECT_TRUE(Has(d, "CPU_ON_9@58,108"));

  rig.ClickSelector(layout::kTotal);
  rig.SetInfo(info::kValue, info::kTotal, "7");
  rig.host->ClearOps();
  rig.host->FireTimer(1);
  d = Drawn(rig);
  EXPECT_EQ(d[0], "TOTALNUM_11@162,65");
  EXPECT_TRUE(Has(d, "TOTALNUM_7@271,84"));
  EXPECT_TRUE(Has(d, "SINCE_6@377,130"));

  // Minimised: read, not drawn.
  rig.host->Minimise();
  rig.SetInfo(info::kValue, info::kCpuMax, "33");
  rig.host->ClearOps();
  rig.host->FireTimer(1);
  EXPECT_TRUE(Drawn(rig).empty());
  EXPECT_EQ(rig.window->m_dCpuMax, 33);
}

bool TextDrawn(const MainRig& rig, const std::string& text) {
  for (const DrawOp& op : rig.host->Ops())
    if (op.kind == DrawOp::Kind::Text && op.text == text) return true;
  return false;
}

// Figures that stand still while the service manager says the service has stopped are not shown
// as live; figures that change again, or a running service, bring them back.
TEST(MainFiguresTest, StoppedServiceReplacesFrozenFiguresWithANotice) {
  for (const bool savingOn : {true, false}) {
    SCOPED_TRACE(savingOn ? "saving on" : "saving off");
    MainRig rig("x58-6");
    ASSERT_TRUE(rig.Start());
    rig.Settle();
    if (!savingOn) {
      rig.ClickPush(layout::kOff);
      rig.Settle();
    }
    rig.services.installed = true;
    rig.services.state = kServiceStopped;
    rig.SetInfo(info::kValue, info::kCurrent, "12.5");
    rig.SetInfo(info::kValue, info::kCpuMax, "95");
    const auto tick = [&] {
      rig.host->ClearOps();
      rig.host->FireTimer(1);
      return Drawn(rig);
    };
    for (int i = 0; i < FigureLiveness::kStillSeconds; ++i) {
      const std::vector<std::string> d = tick();
      EXPECT_TRUE(Has(d, std::string(savingOn ? "CPU_ON_9" : "CPU_OFF_9") + "@58,108"));
      EXPECT_FALSE(TextDrawn(rig, kServiceNotRunningText));
    }
    std::vector<std::string> d = tick();
    EXPECT_TRUE(TextDrawn(rig, kServiceNotRunningText));
    EXPECT_FALSE(Has(d, "CPU_ON_9@58,108"));
    EXPECT_FALSE(Has(d, "CPU_OFF_9@58,108"));
    if (savingOn) {
      EXPECT_FALSE(Has(d, "PSN_1@246,84"));
    }
    // A repaint (uncovered window) shows the notice too, not the frozen number.
    rig.host->ClearOps();
    rig.host->Paint();
    EXPECT_TRUE(TextDrawn(rig, kServiceNotRunningText));
    EXPECT_FALSE(Has(Drawn(rig), "CPU_ON_9@58,108"));

    // The service writes again: live at once.
    rig.SetInfo(info::kValue, info::kCpuMax, "96");
    d = tick();
    EXPECT_FALSE(TextDrawn(rig, kServiceNotRunningText));
    EXPECT_TRUE(Has(d, std::string(savingOn ? "CPU_ON_6" : "CPU_OFF_6") + "@83,108"));
  }
}

TEST(MainFiguresTest, SteadyFiguresOfARunningOrUnknownServiceStayLive) {
  struct Case {
    const char* name;
    bool managerOpens;
    bool installed;
    uint32_t state;
  } cases[] = {{"running", true, true, kServiceRunning},
               {"manager refuses", false, true, kServiceStopped},
               {"start pending", true, true, kServiceStartPending}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    MainRig rig("x58-6");
    ASSERT_TRUE(rig.Start());
    rig.Settle();
    rig.services.managerOpens = c.managerOpens;
    rig.services.installed = c.installed;
    rig.services.state = c.state;
    rig.SetInfo(info::kValue, info::kCpuMax, "95");
    for (int i = 0; i < 2 * FigureLiveness::kStillSeconds; ++i) {
      rig.host->ClearOps();
      rig.host->FireTimer(1);
      EXPECT_TRUE(Has(Drawn(rig), "CPU_ON_9@58,108"));
      EXPECT_FALSE(TextDrawn(rig, kServiceNotRunningText));
    }
  }
}

TEST(MainPaintTest, DemoBoardIsSaidOnlyForTheSimulatedLibrary) {
  for (const bool simulated : {false, true}) {
    SCOPED_TRACE(simulated ? "simulated" : "maker's library");
    MainRig rig("x58-6");
    rig.hwkSimulated = simulated;
    ASSERT_TRUE(rig.Start());
    rig.Settle();
    rig.host->ClearOps();
    rig.host->Paint();
    EXPECT_EQ(TextDrawn(rig, "demo board"), simulated);
  }
}

TEST(MainFiguresTest, PhasesAnimateByMaskAndBoard) {
  struct Case {
    const char* profile;
    uint16_t mask;
    int lit;
  } cases[] = {{"x58-6", 0x0F, 4}, {"x58-12-range", 0x0F, 8}, {"x58-6", 0x00, 6}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.profile);
    MainRig rig(c.profile);
    MemoryView(rig.boardState->tables, sizeof rig.boardState->tables).Write16(fw::et::kPhaseMask, c.mask);
    ASSERT_TRUE(rig.Start());
    rig.Settle();
    rig.host->FireTimer(1);
    EXPECT_EQ(rig.window->m_nActivePhases, c.lit);
    rig.host->ClearOps();
    rig.host->FireTimer(0);
    const std::vector<std::string> first = Drawn(rig);
    int lit = 0;
    for (const std::string& s : first) lit += s.rfind("PST_0@", 0) == 0 ? 0 : 1;
    EXPECT_EQ(lit, c.lit);
    EXPECT_EQ(first[0], "PST_1@55,228");
    rig.host->ClearOps();
    rig.host->FireTimer(0);
    EXPECT_EQ(Drawn(rig)[0], "PST_2@55,228");  // the next frame 100 ms later
  }
}

TEST(MainInputTest, HoverPressAndReleaseRules) {
  MainRig rig("x58-6");
  ASSERT_TRUE(rig.Start());
  rig.Settle();
  const Point reset{303, 157};
  // With only the left button held the pictures do not change.
  rig.host->ClearOps();
  rig.host->MouseMove(reset, ui::kMouseLeft);
  EXPECT_TRUE(Drawn(rig).empty());
  EXPECT_EQ(rig.window->m_aPush[layout::kReset].hover, 0);
  // A release over a button whose hover is 0 does nothing.
  rig.host->Press(reset);
  rig.host->Release(reset);
  EXPECT_EQ(rig.Info(info::kValue, "cmd"), "");
  // Hovered, pressed and released: the reset request.
  rig.Click(reset);
  EXPECT_EQ(rig.Info(info::kValue, "cmd"), "1");
  EXPECT_EQ(rig.host->CurrentCursor(), ui::Cursor::Hand);
  // A press that becomes a drag is no click.
  rig.SetInfo(info::kValue, "cmd", "0");
  rig.host->MouseMove(reset, 0);
  rig.host->Press(reset);
  rig.host->MovePointerBy(30, 0);
  rig.host->Release();
  EXPECT_EQ(rig.Info(info::kValue, "cmd"), "0");

  // Total hides Reset behind RESET_X; Meter shows it again.
  rig.host->ClearOps();
  rig.ClickSelector(layout::kTotal);
  EXPECT_TRUE(Has(Drawn(rig), "RESET_X@301,155"));
  EXPECT_EQ(rig.window->m_aPush[layout::kReset].latched, 1);
  rig.host->ClearOps();
  rig.ClickSelector(layout::kMeter);
  EXPECT_TRUE(Has(Drawn(rig), "RESET_N@301,155"));
  EXPECT_EQ(rig.window->m_aPush[layout::kReset].latched, 0);

  // Help, Update and Minimise.
  rig.ClickPush(layout::kHelp);
  rig.ClickPush(layout::kUpdate);
  ASSERT_EQ(rig.shell.opened.size(), 2u);
  EXPECT_EQ(rig.shell.opened[0].first, rig.appDir + "/zor2_eng.chm");
  EXPECT_EQ(rig.shell.opened[0].second, "CHM");
  EXPECT_EQ(rig.shell.opened[1].second, "/zor2");
  rig.ClickPush(layout::kMinimise);
  EXPECT_TRUE(rig.host->IsIconic());
}

TEST(MainCommandsTest, LevelsOffOnLedAndAdvancedReset) {
  MainRig rig("x58-12-range");
  rig.SetInfo(info::kSetting, info::kAdv, "1");
  ASSERT_TRUE(rig.Start());
  rig.Settle();
  // L2 while the advanced set is in force.
  rig.host->ClearOps();
  rig.ClickSelector(layout::kL2);
  EXPECT_TRUE(Has(Drawn(rig), "BAR_4@285,391"));
  rig.Settle();
  EXPECT_EQ(rig.Info(info::kSetting, info::kAdv), "0");  // written by the worker, in order
  EXPECT_EQ((rig.ControlFlags() >> 4) & 0xF, 3);
  rig.ClickSelector(layout::kL3);
  rig.Settle();
  EXPECT_EQ((rig.ControlFlags() >> 4) & 0xF, 1);

  // LED off and on.
  rig.ClickSelector(layout::kLed);
  rig.Settle();
  EXPECT_EQ(rig.ControlFlags() & fw::cf::kLed, 0);
  rig.ClickSelector(layout::kLed);
  rig.Settle();
  EXPECT_NE(rig.ControlFlags() & fw::cf::kLed, 0);

  // OFF then ON; 3D power (on by the firmware) stays as it was.
  rig.ClickPush(layout::kOn);
  rig.Settle();
  rig.SetControlFlags(rig.ControlFlags() | fw::cf::k3dPower);
  EXPECT_EQ(rig.ControlFlags() & fw::cf::kActive, 0);
  EXPECT_EQ(rig.window->m_aSelect[layout::kL1].selected, 1);
  rig.ClickPush(layout::kOff);
  rig.Settle();
  EXPECT_NE(rig.ControlFlags() & fw::cf::kActive, 0);
  EXPECT_NE(rig.ControlFlags() & fw::cf::k3dPower, 0);
  EXPECT_EQ(rig.window->m_aSelect[layout::kL3].selected, 1);
}

// The worker is held inside a level while the window goes on: later levels replace each other,
// OFF drops the one still waiting, and nothing is written at once.
TEST(MainCommandsTest, OffDropsWaitingLevelsBehindABlockedWorker) {
  MainRig rig("x58-6");
  ASSERT_TRUE(rig.Start());
  rig.Settle();
  std::mutex mutex;
  std::condition_variable released;
  bool entered = false;
  bool release = false;
  rig.sleeper.onSleep = [&] {
    std::unique_lock<std::mutex> lock(mutex);
    if (entered) return;
    entered = true;
    released.notify_all();
    released.wait(lock, [&] { return release; });
  };
  rig.ClickSelector(layout::kL3);
  {
    std::unique_lock<std::mutex> lock(mutex);
    released.wait(lock, [&] { return entered; });
  }
  rig.ClickSelector(layout::kL1);
  rig.ClickSelector(layout::kL2);
  rig.ClickPush(layout::kOn);  // saving off while L3 is being applied
  EXPECT_FALSE(rig.window->m_state.m_bSavingOn);
  {
    std::lock_guard<std::mutex> lock(mutex);
    release = true;
  }
  released.notify_all();
  rig.Settle();
  std::vector<int> levels;
  for (uint16_t flags : rig.SentFlags()) levels.push_back((flags >> 4) & 0xF);
  // L3 finished; L1 and L2 never reached the firmware; saving ended off.
  EXPECT_EQ(std::count(levels.begin(), levels.end(), 5), 0);
  EXPECT_EQ(rig.ControlFlags() & fw::cf::kActive, 0);
}

TEST(MainCommandsTest, CloseAnswers) {
  struct Case {
    const char* name;
    int answer;  // 1 yes, 2 no
    bool savingOn;
    bool ends;   // exit status 0 rather than the dialog's end
    int plan;
    const char* pv;
    bool byUpdater;  // the updater's close message instead of the Close button
  } cases[] = {{"keep saving", 1, true, true, 4, "1", false},
               {"stop saving", 2, true, false, 3, "0", false},
               {"saving off", 0, false, false, 3, "0", false},
               // The updater: no question, and saving goes on until zor2 is started again.
               {"updater, saving on", 2, true, true, 4, "1", true},
               {"updater, saving off", 1, false, false, 3, "0", true}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    MainRig rig("x58-6");
    ASSERT_TRUE(rig.Start());
    rig.Settle();
    if (!c.savingOn) {
      rig.ClickPush(layout::kOn);
      rig.Settle();
    }
    rig.ClickSelector(layout::kL3);  // still waiting or running at close
    rig.answer = c.answer;
    if (c.byUpdater) {
      rig.host->Deliver(kMsgCloseForUpdate, 0, 0);
    } else {
      rig.ClickPush(layout::kClose);
    }
    rig.Settle();
    EXPECT_EQ(rig.dialogs.size(), c.savingOn && !c.byUpdater ? 1u : 0u);
    for (const auto& box : rig.boxes.ShownBoxes()) ADD_FAILURE() << box.text;
    EXPECT_EQ(rig.host->ExitStatus().has_value(), c.ends);
    EXPECT_EQ(rig.host->Ended(), !c.ends);
    EXPECT_EQ(rig.Info(info::kInfo, info::kPv), c.pv);
    EXPECT_EQ(rig.ActivePlan(), c.plan);
    if (c.ends) {
      EXPECT_EQ(rig.Info(info::kInfo, info::kPowerValue), "3");
    } else {
      EXPECT_EQ(rig.ControlFlags() & fw::cf::kActive, 0);
    }
  }
}

// Any process that opens INFO.DAT's lock and keeps it cannot make a "keep saving" close lose the
// user's own power settings.
TEST(MainCommandsTest, ALockKeptByAnotherProcessStillLetsTheCloseParkTheUsersSettings) {
  MainRig rig("x58-6");
  ASSERT_TRUE(rig.Start());
  rig.Settle();
  NamedMutex squatter(InfoLockName(JoinPath(rig.appDir, "Info.dat")),
                      ObjectAccess::kSystemAndAdministrators);
  ASSERT_TRUE(squatter.Lock(0));
  rig.answer = 1;
  rig.ClickPush(layout::kClose);
  rig.Settle();
  squatter.Unlock();
  ASSERT_TRUE(rig.host->ExitStatus().has_value());
  EXPECT_EQ(rig.Info(info::kInfo, info::kPv), "1");
  EXPECT_EQ(rig.Info(info::kInfo, info::kPowerValue), "3");
  EXPECT_EQ(rig.ActivePlan(), 4);
}

TEST(MainCommandsTest, TheEndOfTheSessionParksTheUsersPowerSettingsWhileSaving) {
  for (const bool savingOn : {true, false}) {
    SCOPED_TRACE(savingOn ? "saving on" : "saving off");
    MainRig rig("x58-6");
    ASSERT_TRUE(rig.Start());
    rig.Settle();
    if (!savingOn) {
      rig.ClickPush(layout::kOn);
      rig.Settle();
    }
    const std::string pvBefore = rig.Info(info::kInfo, info::kPv);
    rig.host->EndSession(false);  // another program refused the end
    EXPECT_EQ(rig.Info(info::kInfo, info::kPv), pvBefore);
    rig.host->EndSession(true);
    if (savingOn) {
      // The saving plan stays in force; the next start takes the user's plan from INFO.DAT.
      EXPECT_EQ(rig.Info(info::kInfo, info::kPv), "1");
      EXPECT_EQ(rig.Info(info::kInfo, info::kPowerValue), "3");
      EXPECT_EQ(rig.ActivePlan(), 4);
    } else {
      EXPECT_EQ(rig.Info(info::kInfo, info::kPv), pvBefore);
    }
  }
}

TEST(MainCommandsTest, EnterAndEscapeDoNothingAndTheSystemCloseAsksFirst) {
  MainRig rig("x58-6");
  ASSERT_TRUE(rig.Start());
  rig.Settle();
  EXPECT_TRUE(rig.host->Key(ui::kKeyReturn));
  EXPECT_TRUE(rig.host->Key(ui::kKeyEscape));
  EXPECT_FALSE(rig.host->Ended());
  rig.answer = 2;
  rig.host->Close();
  rig.Settle();
  EXPECT_EQ(rig.dialogs, std::vector<std::string>{"MSG_8"});
  EXPECT_TRUE(rig.host->Ended());
  EXPECT_EQ(rig.ActivePlan(), 3);
}

TEST(MainCommandsTest, ResumeReappliesOncePerResume) {
  MainRig rig("x58-6");
  ASSERT_TRUE(rig.Start());
  rig.Settle();
  const auto commits = [&] { return rig.boardState->smiCount; };
  uint32_t before = commits();
  // A user's resume: "automatic", then "suspend" for the same resume.
  rig.host->PowerBroadcast(ui::PowerEvent::ResumeAutomatic);
  rig.host->PowerBroadcast(ui::PowerEvent::ResumeSuspend);
  rig.Settle();
  const uint32_t once = commits() - before;
  EXPECT_GT(once, 0u);
  // An older system's resume, only "suspend".
  before = commits();
  rig.host->PowerBroadcast(ui::PowerEvent::Suspend);
  rig.host->PowerBroadcast(ui::PowerEvent::ResumeSuspend);
  rig.Settle();
  EXPECT_EQ(commits() - before, once);
  // Saving off: nothing.
  rig.ClickPush(layout::kOn);
  rig.Settle();
  before = commits();
  rig.host->PowerBroadcast(ui::PowerEvent::ResumeAutomatic);
  rig.Settle();
  EXPECT_EQ(commits(), before);
}

}  // namespace
}  // namespace zor::test

namespace zor::test {
namespace {

// L4 opens the advanced dialog on what the worker read; without its skin library the program ends
// and the user's power plan goes back first.
TEST(MainCommandsTest, AdvancedWithoutItsSkinEndsAndRestoresThePlan) {
  MainRig rig("x58-6");
  ASSERT_TRUE(rig.Start());
  rig.Settle();
  EXPECT_EQ(rig.ActivePlan(), 4);
  rig.ClickSelector(layout::kL4);
  rig.Settle();
  ASSERT_TRUE(rig.host->ExitStatus().has_value());
  EXPECT_EQ(*rig.host->ExitStatus(), 1);
  ASSERT_EQ(rig.host->MessageBoxes().size(), 1u);
  EXPECT_EQ(rig.host->MessageBoxes()[0].second, "Worry");
  EXPECT_EQ(rig.ActivePlan(), 3);
}

}  // namespace
}  // namespace zor::test

namespace zor::test {
namespace {

// Ends the test program, failed, when the test has not finished within its bound: a hang fails
// instead of stalling the run.
class Watchdog {
 public:
  explicit Watchdog(std::chrono::seconds bound)
      : m_thread([this, bound] {
          std::unique_lock<std::mutex> lock(m_mutex);
          if (m_done.wait_for(lock, bound, [this] { return m_finished; })) return;
          std::fprintf(stderr, "FAILED: %s did not finish within %d s\n",
                       ::testing::UnitTest::GetInstance()->current_test_info()->name(),
                       static_cast<int>(bound.count()));
          std::_Exit(1);
        }) {}
  ~Watchdog() {
    {
      std::lock_guard<std::mutex> lock(m_mutex);
      m_finished = true;
    }
    m_done.notify_all();
    m_thread.join();
  }

 private:
  std::mutex m_mutex;
  std::condition_variable m_done;
  bool m_finished = false;
  std::thread m_thread;
};

// The advanced dialog cannot open while the worker, one task further, waits for the window to
// show a box: the program still ends, and gives the user's plan back.
TEST(MainCommandsTest, ExitWhileTheWorkerWaitsForABox) {
  const Watchdog watchdog(std::chrono::seconds(30));
  MainRig rig("x58-6");
  rig.SetInfo(info::kSetting, info::kAdv, "1");
  rig.SetInfo(info::kSetting, "SF", "1");
  rig.vendors.fanCheckResult = 0;  // every fan-curve write reports "Smart FAN initial failure!!"
  ASSERT_TRUE(rig.Start());
  rig.Settle();
  ASSERT_EQ(rig.ActivePlan(), 4);
  const size_t boxesAtStart = rig.boxes.ShownBoxes().size();
  rig.ClickSelector(layout::kL4);  // the worker reads what the dialog opens with
  rig.host->PowerBroadcast(ui::PowerEvent::ResumeAutomatic);  // then re-applies the set
  rig.Settle();
  ASSERT_TRUE(rig.host->ExitStatus().has_value());
  EXPECT_EQ(*rig.host->ExitStatus(), 1);
  EXPECT_EQ(rig.ActivePlan(), 3);
  // The box the worker raised while the program ended was never shown.
  EXPECT_LE(rig.boxes.ShownBoxes().size(), boxesAtStart + 1);
}

}  // namespace
}  // namespace zor::test

namespace zor::test {
namespace {

// Everything a close leaves behind where the user and the board see it.
struct Ending {
  uint16_t flags = 0;
  uint16_t rom = 0;
  std::map<std::string, std::pair<uint32_t, uint32_t>> rails;  // present, applied
  int clock = 0;
  int plan = 0;
  int timeouts[4] = {};  // plan 3 monitor, disk; plan 4 monitor, disk
  std::string pv, powerValue, disk, monitor;
  std::optional<int> exitStatus;
  bool ended = false;

  bool operator==(const Ending& o) const {
    return flags == o.flags && rom == o.rom && rails == o.rails && clock == o.clock &&
           plan == o.plan && std::equal(timeouts, timeouts + 4, o.timeouts) && pv == o.pv &&
           powerValue == o.powerValue && disk == o.disk && monitor == o.monitor &&
           exitStatus == o.exitStatus && ended == o.ended;
  }
};

std::ostream& operator<<(std::ostream& out, const Ending& e) {
  out << "flags " << std::hex << e.flags << " rom " << e.rom << std::dec << " clock " << e.clock
      << " plan " << e.plan << " time-outs " << e.timeouts[0] << "/" << e.timeouts[1] << " "
      << e.timeouts[2] << "/" << e.timeouts[3] << " PV " << e.pv << " POWERVALUE " << e.powerValue
      << " exit " << (e.exitStatus ? *e.exitStatus : -1) << " ended " << e.ended << " rails";
  for (const auto& [role, v] : e.rails) out << " " << role << " " << v.first << "/" << v.second;
  return out;
}

enum class CloseBy { No, Yes, Update };
enum class Click { None, L1, L2, L3, Power, Led, Power3D };

Ending CloseWith(CloseBy by, Click click) {
  MainRig rig("x58-12-range");  // offers 3D power
  rig.SetTimeout(3, false, 15);
  rig.SetTimeout(3, true, 20);
  rig.SetControlFlags(static_cast<uint16_t>((rig.ControlFlags() & ~fw::cf::kLevelMask) |
                                            fw::kLevelL3 << fw::cf::kLevelShift));
  EXPECT_TRUE(rig.Start());
  rig.Settle();
  rig.answer = by == CloseBy::Yes ? 1 : 2;
  if (by == CloseBy::Update) {
    rig.host->Deliver(kMsgCloseForUpdate, 0, 0);
  } else {
    rig.ClickPush(layout::kClose);
  }
  // The window is still up while the worker gives the settings back.
  switch (click) {
    case Click::None: break;
    case Click::L1: rig.ClickSelector(layout::kL1); break;
    case Click::L2: rig.ClickSelector(layout::kL2); break;
    case Click::L3: rig.ClickSelector(layout::kL3); break;
    case Click::Power: rig.ClickPush(layout::kOn); break;
    case Click::Led: rig.ClickSelector(layout::kLed); break;
    case Click::Power3D: rig.ClickSelector(layout::kPower3D); break;
  }
  rig.Settle();
  Ending e;
  e.flags = rig.ControlFlags();
  e.rom = rig.board.RomValue();
  for (const auto& [role, rail] : rig.Rails()) e.rails[role] = {rail.present, rail.applied};
  e.clock = rig.vendors.coreReduction;
  e.plan = rig.ActivePlan();
  e.timeouts[0] = rig.Timeout(3, false);
  e.timeouts[1] = rig.Timeout(3, true);
  e.timeouts[2] = rig.Timeout(4, false);
  e.timeouts[3] = rig.Timeout(4, true);
  e.pv = rig.Info(info::kInfo, info::kPv);
  e.powerValue = rig.Info(info::kInfo, info::kPowerValue);
  e.disk = rig.Info(info::kInfo, info::kDisk);
  e.monitor = rig.Info(info::kInfo, info::kMonitor);
  e.exitStatus = rig.host->ExitStatus();
  e.ended = rig.host->Ended();
  return e;
}

TEST(MainCommandsTest, ClicksWhileClosingChangeNothing) {
  for (CloseBy by : {CloseBy::No, CloseBy::Yes, CloseBy::Update}) {
    const Ending without = CloseWith(by, Click::None);
    for (Click click : {Click::L1, Click::L2, Click::L3, Click::Power, Click::Led, Click::Power3D}) {
      SCOPED_TRACE("close " + std::to_string(static_cast<int>(by)) + ", click " +
                   std::to_string(static_cast<int>(click)));
      EXPECT_EQ(CloseWith(by, click), without);
    }
  }
}

}  // namespace
}  // namespace zor::test

namespace zor::test {
namespace {

// L4 and SAVE with every rail toggle on, LV3 chosen; before SAVE, `beforeSave` runs.
void ScriptAdvancedSave(MainRig& rig, std::function<void()> beforeSave) {
  rig.InstallAdvancedSkin();
  rig.advancedScript = [beforeSave](ui::TestHost& dialog) {
    for (const Point at : {Point{132, 154}, Point{212, 154}, Point{540, 234}, Point{299, 108}}) {
      dialog.MouseMove(at, 0);
      dialog.Press(at);
      dialog.Release(at);
    }
    if (beforeSave) beforeSave();
    const Point save{380, 348};
    dialog.MouseMove(save, 0);
    dialog.Press(save);
    dialog.Release(save);
  };
}

// L2 clicked while a saved set still waits to be stored: the set is stored and then left, in that
// order, so INFO.DAT and the board end on L2.
TEST(MainCommandsTest, ALevelAfterASaveStillWaitingWins) {
  MainRig rig("x58-6");
  std::mutex mutex;
  std::condition_variable changed;
  bool release = false;
  ScriptAdvancedSave(rig, [&] {
    rig.window->Worker()->Post(0, [&](SettingsControl&) {
      std::unique_lock<std::mutex> lock(mutex);
      changed.wait(lock, [&] { return release; });
      return 0;
    });
  });
  ASSERT_TRUE(rig.Start());
  rig.Settle();
  rig.ClickSelector(layout::kL4);
  rig.window->Worker()->WaitIdle();
  rig.host->RunPosted();  // the dialog: SAVE, with the worker held
  ASSERT_TRUE(rig.window->m_state.m_bAdvanced);
  rig.ClickSelector(layout::kL2);
  {
    std::lock_guard<std::mutex> lock(mutex);
    release = true;
  }
  changed.notify_all();
  rig.Settle();
  EXPECT_EQ(rig.Info(info::kSetting, info::kAdv), "0");
  EXPECT_EQ(rig.Info(info::kSetting, "NB"), "1");  // the set was stored first
  EXPECT_EQ((rig.ControlFlags() & fw::cf::kLevelMask) >> fw::cf::kLevelShift, fw::kLevelL2);
  EXPECT_FALSE(rig.window->m_state.m_bAdvanced);
  EXPECT_EQ(rig.window->m_aSelect[layout::kL2].selected, 1);
  const auto rails = rig.Rails();
  EXPECT_EQ(rails.at("NB").present, rails.at("NB").applied);
  EXPECT_EQ(rig.Rails().at("NB").present, 1100000u);  // back at its base with L2
}

// A set INFO.DAT cannot take is not applied, the user is told, and the window shows the level in
// force again.
TEST(MainCommandsTest, ASaveThatCannotBeStoredLeavesTheLevelInForce) {
  MainRig rig("x58-6");
  const std::string file = JoinPath(rig.appDir, "Info.dat");
  ScriptAdvancedSave(rig, [&] {
    std::filesystem::permissions(file, std::filesystem::perms::owner_read);
  });
  ASSERT_TRUE(rig.Start());
  rig.Settle();
  const uint16_t flags = rig.ControlFlags();
  const auto rails = rig.Rails();
  rig.ClickSelector(layout::kL4);
  rig.Settle();
  std::filesystem::permissions(file, std::filesystem::perms::owner_all);
  EXPECT_EQ(rig.Info(info::kSetting, "NB"), "");
  EXPECT_EQ(rig.ControlFlags(), flags);
  EXPECT_EQ(rig.Rails().at("NB").applied, rails.at("NB").applied);
  ASSERT_EQ(rig.boxes.ShownBoxes().size(), 1u);
  EXPECT_EQ(rig.boxes.ShownBoxes()[0].text, kStoreFailedText);
  EXPECT_FALSE(rig.window->m_state.m_bAdvanced);
  EXPECT_EQ(rig.window->m_state.m_nLevel, fw::kLevelL2);
  EXPECT_EQ(rig.window->m_aSelect[layout::kL2].selected, 1);
  rig.host->ClearOps();
  rig.host->Paint();
  EXPECT_EQ(rig.DrawnAt({84, 501}), "L2_DIS");
}

}  // namespace
}  // namespace zor::test
