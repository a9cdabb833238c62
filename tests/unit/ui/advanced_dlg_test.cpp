// The advanced settings dialog and the window-thread half of its command on the test host: the
// four platform layouts, the elements, the linked sliders and arrows, the lists, the keys, the
// stored keys and the low-power question.
#include "gui/controls/advanced_dlg.h"

#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <tuple>

#include "gui/controls/advanced_settings.h"
#include "platform/program_paths.h"
#include "ui/testing/test_children.h"
#include "ui/testing/test_host.h"

namespace zor {
namespace {

using ui::DrawOp;
using ui::Point;
using ui::Rect;
using ui::TestHost;

using Keys = std::vector<std::pair<std::string, std::string>>;

class AdvancedDialogTest : public ::testing::Test {
 protected:
  AdvancedDialogTest()
      : m_skin(std::make_shared<ui::TestResourceLibrary>()),
        m_res(std::make_shared<ui::TestResourceLibrary>()),
        m_program(std::make_shared<ui::TestResourceLibrary>()) {
    CSkinComboBox::s_nTextInset = 0;
    uint32_t face = 0x101010;
    auto add = [&](ui::TestResourceLibrary& lib, const std::string& name, int w, int h) {
      m_bitmaps[name] = std::make_shared<const ui::Image>(w, h, face += 0x010203);
      lib.Add(name, m_bitmaps[name]);
    };
    for (const char* name : {"Main", "Main_X58", "Main_P55", "MAIN_P67"}) add(*m_skin, name, 640, 390);
    for (const char* state : {"_N", "_O", "_D"}) {
      add(*m_skin, std::string("SAVE") + state, 60, 20);
      add(*m_skin, std::string("QUIT") + state, 60, 20);
      add(*m_skin, std::string("L") + state, 20, 20);
      add(*m_skin, std::string("R") + state, 20, 20);
    }
    for (const char* level : {"LV1", "LV2", "LV3"})
      for (const char* state : {"_N", "_O", "_D", "_dis"}) add(*m_skin, std::string(level) + state, 60, 14);
    add(*m_skin, "RDO_On", 30, 14);
    add(*m_skin, "RDO_Off", 30, 14);
    add(*m_skin, "BBar", 60, 16);
    for (const char* name : {"MSG_12", "MSG_13"}) add(*m_res, name, 470, 90);
    for (const char* set : {"YES", "NO"})
      for (const char* state : {"_N", "_O", "_D"}) add(*m_res, std::string("MSG_") + set + state, 70, 24);
    m_program->Add(131, std::make_shared<const ui::Image>(118, 22, 0x203040));
    m_program->Add(130, std::make_shared<const ui::Image>(38, 22, 0xE0E0E0));
    for (int id = 132; id <= 138; ++id) m_program->Add(id, std::make_shared<const ui::Image>(4, 3, 0x777777));
  }

  // Runs the command over an owner; script drives the dialog, answer (1 Yes, 0 No) the question.
  AdvancedChoice Run(const AdvancedStart& start, const std::function<void(TestHost&)>& script,
                     int answer = 0) {
    ui::Window owner;
    TestHost ownerHost(owner, Rect{100, 100, 700, 645});
    ownerHost.AddLibrary(JoinPath(ProgramDirectory(), "AdvEng.dll"), m_skin);
    ownerHost.AddLibrary(JoinPath(ProgramDirectory(), "res.dll"), m_res);
    ownerHost.SetProgramResources(m_program);
    m_questions.clear();
    ownerHost.onModal = [&](TestHost& child) {
      if (child.WindowRectNow().Width() == 470) {  // the message box
        const DrawOp* face = child.LastOpAt(Point{0, 0});
        m_questions.push_back(face && face->image == m_bitmaps["MSG_12"].get() ? 12 : 13);
        const Point button = answer == 1 ? Point{325, 32} : Point{415, 32};
        Click(child, button);
        return;
      }
      m_dialog = &child;
      script(child);
    };
    AdvancedChoice choice = RunAdvancedSettings(ownerHost, start);
    m_boxes = ownerHost.MessageBoxes();
    return choice;
  }

  // The dialog on a host of its own, initialised and painted.
  void Open(TestHost& host) {
    host.AddLibrary(JoinPath(ProgramDirectory(), "AdvEng.dll"), m_skin);
    host.SetProgramResources(m_program);
    ASSERT_TRUE(host.Init());
    host.Paint();
  }

  static void Click(TestHost& host, Point p) {
    host.MouseMove(p, 0);
    host.Press(p);
    host.Release(p);
  }

  static AdvancedStart Start(const char* platform = "other") {
    AdvancedStart s;
    s.x58 = std::string(platform) == "x58";
    s.p55 = std::string(platform) == "p55";
    s.p67 = std::string(platform) == "p67";
    s.level = 3;
    s.powerItem = 7;
    s.diskTimeout = 10;
    s.monitorTimeout = 3;
    for (bool& present : s.railPresent) present = true;
    s.lowPowerOffered = true;
    return s;
  }

  static std::string Value(const AdvancedChoice& c, const std::string& key) {
    for (const auto& [k, v] : c.keys)
      if (k == key) return v;
    return "(missing)";
  }

  std::shared_ptr<ui::TestResourceLibrary> m_skin;
  std::shared_ptr<ui::TestResourceLibrary> m_res;
  std::shared_ptr<ui::TestResourceLibrary> m_program;
  std::map<std::string, ui::Bitmap> m_bitmaps;
  std::vector<int> m_questions;
  std::vector<std::pair<std::string, std::string>> m_boxes;
  TestHost* m_dialog = nullptr;
};

const Point kSave{390, 356};
const Point kQuit{494, 356};
const Point kUpperLeft{124, 95};
const Point kUpperRight{264, 95};
const Point kLowerRight{526, 255};

TEST_F(AdvancedDialogTest, FourLayouts) {
  struct Case {
    const char* platform;
    const char* background;
    int buttons;
    int saveTop;
    int levelLeft;
    int left[kToggleCount];
    int sfTop;
    Rect upper;
    Point disk;
    Point monitor;
    bool labels;
  };
  const Case cases[] = {
      {"other", "Main", 6, 346, 297, {130, 210, 538, 538, 130, 387, 463, 538, -200}, 312,
       {136, 84, 254, 106}, {134, 244}, {398, 164}, true},
      {"x58", "Main_X58", 6, 346, 297, {130, 210, 538, 538, 130, -387, 387, 463, -200}, 312,
       {136, 84, 254, 106}, {134, 244}, {398, 164}, true},
      {"p55", "Main_P55", 6, 346, 297, {-130, -130, 538, 538, 130, -387, 387, 463, 446}, 312,
       {136, 84, 254, 106}, {134, 244}, {398, 164}, true},
      {"p67", "MAIN_P67", 2, 303, 119, {-130, -130, 274, 126, 445, -387, 209, 275, 446}, 232,
       {-120, 0, -2, 22}, {450, 164}, {132, 164}, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.platform);
    CAdvancedDlg dlg(Start(c.platform));
    TestHost host(dlg);
    Open(host);
    const DrawOp* face = host.LastOpAt(Point{0, 0});
    ASSERT_NE(face, nullptr);
    EXPECT_EQ(face->image, m_bitmaps[c.background].get());
    EXPECT_EQ(host.WindowRectNow().Width(), 640);
    EXPECT_EQ(dlg.m_nButtonCount, c.buttons);
    EXPECT_EQ(dlg.m_buttons[0].top, c.saveTop);
    EXPECT_EQ(dlg.m_levels[0].left, c.levelLeft);
    for (int i = 0; i < kToggleCount; ++i) EXPECT_EQ(dlg.m_toggles[i].left, c.left[i]) << i;
    EXPECT_EQ(dlg.m_toggles[kToggleSf].top, c.sfTop);
    EXPECT_EQ(host.Child(kIdUpperSlider)->WindowRectNow(), c.upper);
    EXPECT_EQ(dlg.m_sldUpper.m_bEnabled, c.labels);
    EXPECT_EQ(host.Combo(kIdDiskList)->WindowRect(),
              (Rect{c.disk.x, c.disk.y, c.disk.x + 130, c.disk.y + 226}));
    EXPECT_EQ(host.Combo(kIdMonitorList)->WindowRect(),
              (Rect{c.monitor.x, c.monitor.y, c.monitor.x + 130, c.monitor.y + 226}));
    bool label = false;
    for (const DrawOp& op : host.Ops())
      label |= op.kind == DrawOp::Kind::Text && op.text == "-7 %" && op.color == 0x00C1BEBCu;
    EXPECT_EQ(label, c.labels);
    EXPECT_EQ(host.LastOpAt(Point{114, 85}) != nullptr, c.buttons == 6);  // arrows drawn or not
  }
}

TEST_F(AdvancedDialogTest, TogglesFollowTheSystemAndLockWhatIsMissing) {
  AdvancedStart start = Start("x58");
  start.railReduced[kRailNorthBridge] = true;
  start.railPresent[kRailMemory] = false;
  start.lowPowerOffered = false;
  start.lowPowerOn = true;  // not offered: shown off and locked
  start.throttling = true;
  start.fanEnergyCurve = true;
  CAdvancedDlg dlg(start);
  TestHost host(dlg);
  Open(host);
  const uint8_t on[kToggleCount] = {1, 0, 0, 0, 1, 0, 0, 1, 0};
  const uint8_t locked[kToggleCount] = {0, 0, 0, 1, 0, 1, 1, 0, 1};
  for (int i = 0; i < kToggleCount; ++i) {
    EXPECT_EQ(dlg.m_toggles[i].on, on[i]) << kToggleKeys[i];
    EXPECT_EQ(dlg.m_toggles[i].locked, locked[i]) << kToggleKeys[i];
  }

  // A locked toggle ignores the mouse and shows no hand; an open one flips.
  const Point mem{548, 238};
  host.MouseMove(mem, 0);
  EXPECT_EQ(host.CurrentCursor(), ui::Cursor::Arrow);
  Click(host, mem);
  EXPECT_EQ(dlg.m_toggles[kToggleMem].on, 0);
  const Point vga{548, 158};
  host.MouseMove(vga, 0);
  EXPECT_EQ(host.CurrentCursor(), ui::Cursor::Hand);
  Click(host, vga);
  EXPECT_EQ(dlg.m_toggles[kToggleVga].on, 1);
  EXPECT_EQ(host.LastOpAt(Point{538, 152})->image, m_bitmaps["RDO_On"].get());
  // Pressed on it and released off it: nothing.
  host.MouseMove(vga, 0);
  host.Press(vga);
  host.Release(Point{300, 300});
  EXPECT_EQ(dlg.m_toggles[kToggleVga].on, 1);
}

TEST_F(AdvancedDialogTest, LevelButtons) {
  AdvancedStart start = Start();
  start.level = 2;  // an even code counts as L1
  CAdvancedDlg dlg(start);
  TestHost host(dlg);
  Open(host);
  EXPECT_EQ(dlg.m_nChosenLevel, 5);
  EXPECT_EQ(dlg.m_levels[0].selected, 1);
  Click(host, Point{310, 80});  // LV1, already selected: nothing
  EXPECT_EQ(dlg.m_nChosenLevel, 5);
  Click(host, Point{310, 112});  // LV3
  EXPECT_EQ(dlg.m_nChosenLevel, 1);
  EXPECT_EQ(dlg.m_levels[0].selected, 0);
  EXPECT_EQ(dlg.m_levels[2].selected, 1);
  EXPECT_EQ(host.LastOpAt(Point{297, 106})->image, m_bitmaps["LV3_dis"].get());
  EXPECT_EQ(host.LastOpAt(Point{297, 73})->image, m_bitmaps["LV1_N"].get());
}

// A press that turns into a move of the dialog is no click, and leaves no pressed picture behind,
// even when no move came before the press.
TEST_F(AdvancedDialogTest, ADragIsNotAClick) {
  CAdvancedDlg dlg(Start());
  TestHost host(dlg);
  Open(host);
  const Rect start = host.WindowRectNow();
  for (const auto& [at, corner, normal] :
       {std::tuple{kSave, Point{378, 346}, "SAVE_N"}, std::tuple{Point{310, 112}, Point{297, 106}, "LV3_N"}}) {
    host.Press(at);
    EXPECT_NE(host.LastOpAt(corner)->image, m_bitmaps[normal].get());
    host.MovePointerBy(40, 25);
    EXPECT_EQ(host.LastOpAt(corner)->image, m_bitmaps[normal].get()) << normal;
    host.Release();
  }
  EXPECT_EQ(host.WindowRectNow().left, start.left + 80);
  EXPECT_FALSE(host.Ended());
  EXPECT_EQ(dlg.m_nChosenLevel, 3);
}

TEST_F(AdvancedDialogTest, SlidersArrowsAndLabelsShowOneValue) {
  AdvancedStart start = Start();
  start.powerItem = 45;  // more than the sliders hold: all three show 30
  CAdvancedDlg dlg(start);
  TestHost host(dlg);
  Open(host);
  EXPECT_EQ(dlg.m_nReduction, 30);
  EXPECT_EQ(dlg.m_sldUpper.GetPos(), 30);
  Click(host, kUpperRight);
  EXPECT_EQ(dlg.m_nReduction, 30);
  Click(host, kUpperLeft);
  EXPECT_EQ(dlg.m_nReduction, 29);
  EXPECT_EQ(dlg.m_sldLower.GetPos(), 29);

  // Dragging the lower slider's thumb to the left end moves the upper one and the labels.
  host.ClearOps();
  host.MouseMove(Point{398 + 97, 250}, 0);
  host.Press(Point{398 + 97, 250});
  host.MovePointerBy(-200, 0);
  host.Release();
  EXPECT_EQ(dlg.m_nReduction, 0);
  EXPECT_EQ(dlg.m_sldUpper.GetPos(), 0);
  int labels = 0;
  for (const DrawOp& op : host.Ops()) labels += op.kind == DrawOp::Kind::Text && op.text == "-0 %";
  EXPECT_GE(labels, 2);
  Click(host, kUpperLeft);
  EXPECT_EQ(dlg.m_nReduction, 0);
  Click(host, kLowerRight);
  EXPECT_EQ(dlg.m_sldUpper.GetPos(), 1);

  // A focused slider takes the arrows; the dialog follows it.
  host.Child(kIdUpperSlider)->SetFocus();
  host.Key(ui::kKeyEnd);
  EXPECT_EQ(dlg.m_nReduction, 30);
  EXPECT_EQ(dlg.m_sldLower.GetPos(), 30);
}

TEST_F(AdvancedDialogTest, P67HasOnlySaveAndQuit) {
  CAdvancedDlg dlg(Start("p67"));
  TestHost host(dlg);
  Open(host);
  Click(host, kUpperRight);
  EXPECT_EQ(dlg.m_nReduction, 7);
  host.Child(kIdUpperSlider)->SetFocus();
  host.Key(ui::kKeyEnd);
  EXPECT_EQ(dlg.m_nReduction, 7);
  Click(host, Point{390, 313});  // SAVE, higher up on this platform
  EXPECT_TRUE(host.Ended());
  EXPECT_EQ(host.Result(), ui::kIdOk);
}

TEST_F(AdvancedDialogTest, SaveStoresTheKeysInOrder) {
  AdvancedStart start = Start();
  start.diskTimeout = 45;  // unlisted: only preselected as 30 minutes
  start.monitorTimeout = 0;
  start.railReduced[kRailSouthBridge] = true;
  const AdvancedChoice choice = Run(start, [&](TestHost& host) {
    EXPECT_EQ(host.Combo(kIdDiskList)->GetCurSel(), 3);
    EXPECT_EQ(host.Combo(kIdMonitorList)->GetCurSel(), 7);
    Click(host, Point{548, 158});  // VGA on
    Click(host, Point{310, 112});  // LV3
    Click(host, kUpperRight);
    Click(host, kUpperRight);
    host.Press(Point{150, 250});  // drops the disk list
    host.Combo(kIdDiskList)->Pick(4);
    Click(host, kSave);
  });
  ASSERT_TRUE(choice.saved);
  EXPECT_EQ(choice.keys, (Keys{{"Adv", "1"},
                               {"NB", "0"},
                               {"SB", "1"},
                               {"MEM", "0"},
                               {"VTT", "0"},
                               {"LPS", "0"},
                               {"THRO", "0"},
                               {"PCH", "0"},
                               {"VGA", "1"},
                               {"SF", "0"},
                               {"FSB", "9"},
                               {"HDD", "1 hour"},
                               {"MONI", "Never"},
                               {"CURVOLT", "1"}}));
  EXPECT_FALSE(choice.toggleLowPower);
  EXPECT_TRUE(m_questions.empty());
}

TEST_F(AdvancedDialogTest, EnterSavesAndEscapeQuitsWhenTheDialogHasTheFocus) {
  const AdvancedChoice quit = Run(Start(), [](TestHost& host) { host.Key(ui::kKeyEscape); });
  EXPECT_FALSE(quit.saved);
  EXPECT_TRUE(quit.keys.empty());
  const AdvancedChoice byQuit = Run(Start(), [](TestHost& host) { Click(host, kQuit); });
  EXPECT_FALSE(byQuit.saved);

  const AdvancedChoice saved = Run(Start(), [](TestHost& host) {
    host.Key(ui::kKeyTab);  // the upper slider: Enter is its own
    host.Key(ui::kKeyReturn);
    EXPECT_FALSE(host.Ended());
    host.HoldShift(true);
    host.Key(ui::kKeyTab);  // back to the dialog
    host.HoldShift(false);
    host.Key(ui::kKeyReturn);
  });
  EXPECT_TRUE(saved.saved);
  EXPECT_EQ(Value(saved, "HDD"), "10 Mins");
  EXPECT_EQ(Value(saved, "CURVOLT"), "3");
  EXPECT_EQ(Value(saved, "FSB"), "7");
}

TEST_F(AdvancedDialogTest, LowPowerQuestion) {
  struct Case {
    bool offered;
    bool firmwareOn;
    bool click;
    int answer;
    std::vector<int> questions;
    const char* stored;
    bool toggle;
  };
  const Case cases[] = {
      {true, false, true, 1, {12}, "1", true},    // switched on, confirmed
      {true, false, true, 0, {12}, "0", false},   // declined: follows the firmware
      {true, true, true, 1, {13}, "0", true},     // switched off, confirmed
      {true, true, true, 0, {13}, "1", false},
      {true, true, false, 1, {}, "1", false},     // unchanged: no question
      {false, true, true, 1, {}, "0", false},     // not offered: locked, never asked
  };
  for (const Case& c : cases) {
    AdvancedStart start = Start();
    start.lowPowerOffered = c.offered;
    start.lowPowerOn = c.firmwareOn;
    const AdvancedChoice choice = Run(
        start,
        [&](TestHost& host) {
          if (c.click) Click(host, Point{473, 78});  // LPS on this platform
          Click(host, kSave);
        },
        c.answer);
    EXPECT_EQ(m_questions, c.questions) << c.offered << c.firmwareOn << c.click << c.answer;
    EXPECT_EQ(Value(choice, "LPS"), c.stored) << c.offered << c.firmwareOn << c.click << c.answer;
    EXPECT_EQ(choice.toggleLowPower, c.toggle);
    EXPECT_EQ(choice.keys.size(), 14u);
  }
}

TEST_F(AdvancedDialogTest, MissingSkinEndsTheProgram) {
  ui::Window owner;
  TestHost ownerHost(owner, Rect{100, 100, 700, 645});
  bool opened = false;
  ownerHost.onModal = [&](TestHost&) { opened = true; };
  const AdvancedChoice choice = RunAdvancedSettings(ownerHost, Start());
  EXPECT_FALSE(opened);
  EXPECT_EQ(choice.exitCode, 1);
  EXPECT_FALSE(choice.saved);
  ASSERT_EQ(ownerHost.MessageBoxes().size(), 1u);
  EXPECT_EQ(ownerHost.MessageBoxes()[0].first, "Load library (AdvENG.dll) failure!!");
  EXPECT_EQ(ownerHost.MessageBoxes()[0].second, "Worry");
}

TEST(AdvancedDialog, SkinLibraryByLanguage) {
  EXPECT_STREQ(AdvancedSkinLibrary(2052), "AdvSC.dll");
  EXPECT_STREQ(AdvancedSkinLibrary(1028), "AdvTC.dll");
  EXPECT_STREQ(AdvancedSkinLibrary(0x0409), "AdvEng.dll");
}

}  // namespace
}  // namespace zor
