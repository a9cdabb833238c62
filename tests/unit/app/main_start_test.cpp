// The main window's start: every way it can end, the classification of the processor and of
// Windows, the start date, the automatic start, the single instance, and the level in force.
#include <gtest/gtest.h>

#include <set>

#include "common/firmware_layout.h"
#include "common/info_keys.h"
#include "gui/app/main_layout.h"
#include "gui/app/platform_class.h"
#include "tests/unit/app/main_rig.h"

namespace zor::test {
namespace {

TEST(PlatformClassTest, SignatureBoundaries) {
  struct Case {
    uint32_t signature;
    bool x58, p55, p67;
  } cases[] = {
      {0x1067A, false, false, false}, {0x106A0, true, false, false}, {0x106E0, true, false, false},
      {0x106E1, false, true, false},  {0x206C0, true, false, false}, {0x206C2, true, false, false},
      {0x206C3, false, true, false},  {0x206A7, false, false, true}, {0x206D6, false, false, true},
      {0xFFFFFFFF, false, true, false},
  };
  for (const Case& c : cases) {
    const PlatformClass p = ClassifyPlatform(c.signature);
    EXPECT_EQ(p.x58, c.x58) << std::hex << c.signature;
    EXPECT_EQ(p.p55, c.p55) << std::hex << c.signature;
    EXPECT_EQ(p.p67, c.p67) << std::hex << c.signature;
  }
  EXPECT_TRUE(NeedsEistCheck(CpuidLeaf1{true, 0x10676, 1u << 7}, false));
  EXPECT_FALSE(NeedsEistCheck(CpuidLeaf1{true, 0x10676, 1u << 7}, true));
  EXPECT_FALSE(NeedsEistCheck(CpuidLeaf1{true, 0x10676, 0}, false));
  EXPECT_FALSE(NeedsEistCheck(CpuidLeaf1{true, 0x106A0, 1u << 7}, false));
  EXPECT_TRUE(EistAndC1eOn((1ull << 16) | (1ull << 25)));
  EXPECT_FALSE(EistAndC1eOn(1ull << 16));
  EXPECT_FALSE(EistAndC1eOn(1ull << 25));
}

TEST(PlatformClassTest, WindowsVersionClasses) {
  struct Case {
    OsVersion version;
    int expected;
  } cases[] = {
      {{true, true, 5, 0, 2195}, kOsWindows2000}, {{true, true, 5, 1, 2600}, kOsNt5},
      {{true, true, 5, 2, 3790}, kOsNt5},         {{true, true, 6, 0, 6002}, kOsNt6},
      {{true, true, 6, 1, 7601}, kOsNt61},        {{true, true, 6, 2, 9200}, kOsNt6},
      {{true, true, 10, 0, 19045}, kOsNt6},       {{true, false, 4, 10, 2222}, 7},
      {{false, true, 6, 1, 7601}, 7},
  };
  for (const Case& c : cases)
    EXPECT_EQ(OsClass(c.version, 7), c.expected) << c.version.major << "." << c.version.minor;
}

// Each way the start can end: what the user sees, the exit status, and the user's power plan
// (High performance) left as it was.
TEST(MainStartTest, FailureTable) {
  struct Case {
    const char* name;
    const char* profile;
    uint32_t faults;
    const char* commandLine;
    bool hwk;
    bool skin;
    const char* box;
    std::vector<std::string> dialogs;
    int exitCode;
    bool relaunch;
  } cases[] = {
      {"no hwk.dll", "x58-6", 0, "", false, true, "loading library (hwk.dll) failure!!", {}, 1, false},
      {"no pointer", "x58-6", sim::kFaultNoEsy, "", true, true, "Can't Get SMI port and type!!", {}, 1, false},
      {"table refused", "x58-6", sim::kFaultRefuseQueryEt, "", true, true, nullptr, {"MSG_6"}, 0, false},
      {"no table address", "x58-6", sim::kFaultRefuseAddressEt, "", true, true, "Get ZOR 2.0 data failure!!", {"MSG_1"}, 1, false},
      {"rail table refused", "x58-6", sim::kFaultRefuseQueryRt, "", true, true, nullptr, {"MSG_6"}, 1, false},
      {"no rail table address", "x58-6", sim::kFaultRefuseAddressRt, "", true, true, nullptr, {}, 1, true},
      {"saving off at logon", "x58-6-off", 0, "state", true, true, nullptr, {}, 0, false},
      {"EIST off", "core2-6-probe", sim::kFaultEistOff, "", true, true, nullptr, {"MSG_6"}, 0, false},
      {"revision", "x58-6", sim::kFaultRevision, "", true, true, nullptr, {"MSG_9"}, 1, false},
      {"revision at logon", "x58-6", sim::kFaultRevision, "STATE", true, true, nullptr, {}, 1, false},
      {"no skin", "x58-6", 0, "", true, false, "Load resource library failure!!", {}, 1, false},
      // The skin loads while the firmware is still being found: the firmware's failures still come
      // first, and alone.
      {"no pointer, no skin", "x58-6", sim::kFaultNoEsy, "", true, false, "Can't Get SMI port and type!!", {}, 1, false},
      {"revision, no skin", "x58-6", sim::kFaultRevision, "", true, false, nullptr, {"MSG_9"}, 1, false},
      {"logon", "x58-6", 0, "restatement", true, true, nullptr, {}, 0, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    MainRig rig(c.profile, c.faults);
    rig.hwkLoads = c.hwk;
    rig.skinPresent = c.skin;
    if (std::string(c.name) == "EIST off") rig.system.cpu.ecx = 1u << 7;
    EXPECT_FALSE(rig.Start(c.commandLine));
    ASSERT_TRUE(rig.host->ExitStatus().has_value());
    EXPECT_EQ(*rig.host->ExitStatus(), c.exitCode);
    const auto shown = rig.boxes.ShownBoxes();
    if (c.box) {
      ASSERT_EQ(shown.size(), 1u);
      EXPECT_EQ(shown[0].text, c.box);
    } else {
      EXPECT_TRUE(shown.empty()) << shown[0].text;
    }
    EXPECT_EQ(rig.dialogs, c.dialogs);
    bool relaunched = false;
    for (const std::string& line : rig.processes.Started())
      relaunched |= line.find("ReLaunch.exe\" state") != std::string::npos;
    EXPECT_EQ(relaunched, c.relaunch);
    EXPECT_EQ(rig.ActivePlan(), 3);
    EXPECT_TRUE(rig.host->Timers().empty());
  }
}

// The firmware discovery starts before everything else, yet an unknown program folder still ends
// the start first, with its own box alone: the firmware's failure is never told.
TEST(MainStartTest, AnUnknownProgramFolderEndsTheStartBeforeTheFirmwareSpeaks) {
  MainRig rig("x58-6", sim::kFaultNoEsy);
  rig.appDir = "";
  EXPECT_FALSE(rig.Start());
  ASSERT_TRUE(rig.host->ExitStatus().has_value());
  EXPECT_EQ(*rig.host->ExitStatus(), 1);
  const auto shown = rig.boxes.ShownBoxes();
  ASSERT_EQ(shown.size(), 1u);
  EXPECT_EQ(shown[0].text, "The program's folder could not be found!!");
  EXPECT_TRUE(rig.dialogs.empty());
}

TEST(MainStartTest, InteractiveStartAppliesTheFirmwareLevelAndRunsTimers) {
  MainRig rig("x58-6");
  ASSERT_TRUE(rig.Start());
  rig.Settle();
  CMainDialog& w = *rig.window;
  EXPECT_EQ(rig.host->Title(), "ZOR 2.0 B10.1022.1");
  EXPECT_EQ(rig.host->Icon(), kIconResource);
  EXPECT_TRUE(w.m_state.m_bSavingOn);
  EXPECT_TRUE(w.m_state.m_bX58);
  EXPECT_EQ(w.m_state.m_nLevel, fw::kLevelL2);
  EXPECT_EQ(w.m_state.m_nOsClass, kOsNt61);
  EXPECT_EQ(w.m_aSelect[layout::kL2].selected, 1);
  EXPECT_EQ(w.m_aSelect[layout::kL1].selected, 0);
  EXPECT_EQ(w.m_aPush[layout::kOff].latched, 1);
  EXPECT_EQ(w.m_aPush[layout::kOn].latched, 0);
  EXPECT_EQ(rig.host->Timers(), (std::map<int, unsigned>{{0, 100}, {1, 1000}}));
  // The saving plan replaced the user's, which is recorded for the close. The switch runs before
  // plan 4's time-outs, which the command sets on whichever plan is active.
  EXPECT_EQ(rig.ActivePlan(), 4);
  EXPECT_EQ(w.m_state.m_nSavedScheme, 3);
  std::vector<std::string> planCommands;
  for (const std::string& line : rig.processes.Started()) {
    const size_t program = line.find("owercfg\" ");
    if (program != std::string::npos) planCommands.push_back(line.substr(program + 9));
  }
  EXPECT_EQ(planCommands, (std::vector<std::string>{"-S SCHEME_BALANCED",
                                                    "/X /monitor-timeout-ac 3",
                                                    "/X /disk-timeout-ac 3"}));
  // L2 sent level code 3 to the firmware; the service was installed and started.
  ASSERT_FALSE(rig.SentFlags().empty());
  EXPECT_EQ((rig.SentFlags().back() >> 4) & 0xF, 3);
  bool installed = false;
  for (const std::string& line : rig.processes.Started())
    installed |= line.find("Zor2Svr.exe\" -i") != std::string::npos;
  EXPECT_TRUE(installed);
}

TEST(MainStartTest, EvenLevelCodesCountAsL1AndOddOnesSelectNothing) {
  struct Case {
    int code;
    int shown;
    int selected;  // selector index, -1 none
  } cases[] = {{0, 5, layout::kL1}, {4, 5, layout::kL1}, {14, 5, layout::kL1}, {7, 7, -1}, {15, 15, -1}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.code);
    MainRig rig("x58-6");
    rig.SetControlFlags(static_cast<uint16_t>((rig.ControlFlags() & ~0xF0) | c.code << 4));
    ASSERT_TRUE(rig.Start());
    rig.Settle();
    EXPECT_EQ(rig.window->m_state.m_nLevel, c.shown);
    for (int i = layout::kL1; i <= layout::kL3; ++i)
      EXPECT_EQ(rig.window->m_aSelect[i].selected, i == c.selected ? 1 : 0) << i;
    rig.host->ClearOps();
    rig.host->Paint();
    // Only the empty bar for a code that is no level.
    EXPECT_EQ(rig.DrawnAt({48, 391}), c.selected < 0 ? "BAR_0" : "BAR_1");
  }
}

TEST(MainStartTest, AGoodStartClearsTheRelaunchCount) {
  MainRig rig("x58-6");
  rig.SetInfo("ReLaunch", "Count", "2");
  ASSERT_FALSE(rig.Start("state"));
  EXPECT_EQ(rig.Info("ReLaunch", "Count"), "0");
}

TEST(MainStartTest, StartDateIsKeptOrStampedOnce) {
  MainRig fresh("x58-6");
  ASSERT_TRUE(fresh.Start());
  EXPECT_EQ(fresh.Info(info::kTime, info::kYear), "2026");
  EXPECT_EQ(fresh.Info(info::kTime, info::kSec), "7");

  MainRig kept("x58-6");
  kept.SetInfo(info::kValue, info::kTotal, "12.5");
  kept.SetInfo(info::kTime, info::kYear, "2024");
  kept.SetInfo(info::kTime, info::kMonth, "3");
  ASSERT_TRUE(kept.Start());
  EXPECT_EQ(kept.window->m_state.m_stStart.wYear, 2024);
  EXPECT_EQ(kept.window->m_state.m_stStart.wMonth, 3);
  EXPECT_EQ(kept.Info(info::kTime, info::kYear), "2024");
}

TEST(MainStartTest, AutomaticStartIsQuotedAndNeverOverwritten) {
  const std::string runOnce = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\RunOnce";
  const std::string run = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run";
  MainRig rig("x58-6");
  ASSERT_TRUE(rig.Start());
  EXPECT_EQ(rig.registry.GetString(RegRoot::LocalMachine, runOnce, "ZOR2"),
            "\"" + rig.appDir + "/zor2.exe\" state");
  EXPECT_EQ(rig.registry.GetString(RegRoot::LocalMachine, run, "ZOR2"), "");

  MainRig xp("x58-6");
  xp.system.version = OsVersion{true, true, 5, 1, 2600};
  xp.registry.SetString(RegRoot::LocalMachine, run, "ZOR2", "mine");
  ASSERT_TRUE(xp.Start());
  EXPECT_EQ(xp.registry.GetString(RegRoot::LocalMachine, run, "ZOR2"), "mine");
}

TEST(MainStartTest, StartupModeReappliesWithoutTouchingTheTimeouts) {
  // At logon nothing was recorded: L1 must not "restore" time-outs of never.
  MainRig rig("p67-12-smbus");  // level code 5
  ASSERT_FALSE(rig.Start("state"));
  EXPECT_EQ(*rig.host->ExitStatus(), 0);
  EXPECT_EQ((rig.SentFlags().back() >> 4) & 0xF, 5);
  for (const std::string& line : rig.processes.Started())
    EXPECT_EQ(line.find("-change"), std::string::npos) << line;
  EXPECT_EQ(rig.ActivePlan(), 3);
}

TEST(MainStartTest, SkinFollowsTheLanguage) {
  for (unsigned language : {1028u, 2052u, 1033u}) {
    MainRig rig("x58-12-range");
    rig.language = language;
    ASSERT_TRUE(rig.Start());
    const std::string library = rig.host->LoadedLibraries().front();
    const std::string want = language == 1028 ? "TC.dll" : language == 2052 ? "SC.dll" : "ENG.dll";
    EXPECT_EQ(library, rig.appDir + "/" + want);
    EXPECT_EQ(rig.window->m_aSelect[layout::kPower3D].top, language == 1033 ? 486 : 482);
  }
}

// A run that ends without giving the user's settings back (a crash, a kill, a power cut) leaves
// the saving plan in force; the next start must still know the user's own plan and time-outs.
TEST(MainStartTest, AStartAfterACrashGivesTheUsersOwnSettingsBack) {
  MainRig rig("x58-6");
  rig.SetPlan4Timeout(true, 20);
  rig.SetPlan4Timeout(false, 10);
  ASSERT_TRUE(rig.Start());
  rig.ClickSelector(layout::kL3);
  rig.Settle();
  ASSERT_EQ(rig.ActivePlan(), 4);
  ASSERT_EQ(rig.Plan4Timeout(true), 3);
  ASSERT_EQ(rig.Plan4Timeout(false), 3);
  // Killed: the window goes without a close.
  rig.host.reset();
  rig.window.reset();
  ASSERT_TRUE(rig.Start());
  rig.Settle();
  rig.answer = 2;  // stop saving
  rig.ClickPush(layout::kClose);
  rig.Settle();
  ASSERT_TRUE(rig.host->Ended());
  EXPECT_EQ(rig.ActivePlan(), 3);
  EXPECT_EQ(rig.Plan4Timeout(true), 20);
  EXPECT_EQ(rig.Plan4Timeout(false), 10);
  // A clean ending clears the record: a later start reads the system again.
  EXPECT_EQ(rig.Info(info::kUserPower, info::kUserHeld), "0");
}

// Kernel object names as Windows keeps them: before Vista the console session has one namespace
// for plain names and names with the Global prefix (and Windows 2000 without Terminal Services
// ignores the prefix); from Vista on they are apart. Each start is a process that keeps what it
// created.
struct KernelNamespace : SingleInstance {
  explicit KernelNamespace(bool aliased) : m_aliased(aliased) {}
  bool Claim(const std::string& name) override {
    const std::string global = "Global\\";
    const bool prefixed = name.compare(0, global.size(), global) == 0;
    return m_objects.insert(m_aliased && prefixed ? name.substr(global.size()) : name).second;
  }
  bool m_aliased;
  std::set<std::string> m_objects;
};

// A second copy opens no window of its own. Started by the user it brings the running window to
// the front; the logon start ("state" in any case or inside a longer word) leaves it where it is.
TEST(MainStartTest, FirstCopyOpensAndASecondOnlyBringsItForwardInEveryNamespace) {
  struct NoDesktop : ui::ModalHost {
    int DoModal(ui::Window&) override { return ++runs; }
    int runs = 0;
  };
  for (bool aliased : {true, false}) {
    KernelNamespace objects(aliased);
    NoDesktop desktop;
    MainRig rig("x58-6");
    int forward = 0;
    CMainApp app(objects, desktop, [&] { ++forward; });
    auto ports = [&] {
      return MainPorts{nullptr, rig.registry, rig.processes, rig.services, rig.boxes, rig.shutdown,
                       rig.vendors, rig.sleeper, rig.system, rig.shell, rig.appDir, kSystemDir, ""};
    };
    app.InitInstance(ports(), "");
    EXPECT_EQ(desktop.runs, 1) << (aliased ? "one namespace" : "separate namespaces");
    EXPECT_EQ(forward, 0);
    for (const char* logon : {"state", "STATE", "/restate"}) app.InitInstance(ports(), logon);
    EXPECT_EQ(forward, 0);
    app.InitInstance(ports(), "");
    EXPECT_EQ(desktop.runs, 1) << (aliased ? "one namespace" : "separate namespaces");
    EXPECT_EQ(forward, 1);
  }
}

}  // namespace
}  // namespace zor::test
