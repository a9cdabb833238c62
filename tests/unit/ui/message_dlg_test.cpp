#include "gui/controls/message_dlg.h"

#include <gtest/gtest.h>

#include "platform/program_paths.h"
#include "ui/testing/test_host.h"

namespace zor {
namespace {

using ui::DrawOp;
using ui::Point;
using ui::Rect;
using ui::TestHost;

constexpr uint32_t kMagenta = ui::Pixel(255, 0, 255);

// A message picture: 470 x 90, opaque but for a magenta band of 10 rows at the top right.
ui::Bitmap Picture(uint32_t face) {
  auto image = std::make_shared<ui::Image>(470, 90, face);
  for (int y = 0; y < 10; ++y)
    for (int x = 400; x < 470; ++x) image->At(x, y) = kMagenta;
  return image;
}

ui::Bitmap Button(uint32_t face) { return std::make_shared<const ui::Image>(70, 24, face); }

class MessageDialogTest : public ::testing::Test {
 protected:
  MessageDialogTest() : m_res(std::make_shared<ui::TestResourceLibrary>()) {
    for (const char* name : {"MSG_1", "MSG_6", "MSG_7", "MSG_8", "MSG_9", "MSG_12", "MSG_13"})
      AddPicture(name);
    uint32_t face = 0x101010;
    for (const char* set : {"OK", "YES", "NO"}) {
      for (const char* state : {"N", "O", "D"}) {
        const std::string name = std::string("MSG_") + set + "_" + state;
        m_bitmaps[name] = Button(face += 0x111111);
        m_res->Add(name, m_bitmaps[name]);
      }
    }
  }

  void AddPicture(const std::string& name) {
    m_bitmaps[name] = Picture(0x3060A0 + static_cast<uint32_t>(m_bitmaps.size()));
    m_res->Add(name, m_bitmaps[name]);
  }

  static std::string ResPath() { return JoinPath(ProgramDirectory(), "res.dll"); }

  // A dialog on its own host, initialised and painted.
  void Open(TestHost& host) {
    host.AddLibrary(ResPath(), m_res);
    ASSERT_TRUE(host.Init());
    host.Paint();
  }

  // ShowMessage over an owner window, with script driving the dialog.
  int Show(int id, const std::function<void(TestHost&)>& script) {
    ui::Window owner;
    TestHost ownerHost(owner, Rect{100, 100, 700, 645});
    ownerHost.AddLibrary(ResPath(), m_res);
    ownerHost.onModal = script;
    return ShowMessage(ownerHost, id);
  }

  const ui::Image* Bmp(const std::string& name) { return m_bitmaps[name].get(); }

  std::shared_ptr<ui::TestResourceLibrary> m_res;
  std::map<std::string, ui::Bitmap> m_bitmaps;
};

const Point kOk{415, 32};
const Point kYes{325, 32};
const Point kNo{415, 32};
const Point kBackground{100, 60};

TEST_F(MessageDialogTest, BackgroundAndButtonsFollowTheId) {
  struct Case {
    int id;
    const char* background;
    int buttons;
  };
  const Case cases[] = {{1, "MSG_1", 1},   {3, "MSG_3", 1},   {6, "MSG_6", 1},
                        {7, "MSG_7", 2},   {8, "MSG_6", 1},   {9, "MSG_6", 1},
                        {10, "MSG_8", 2},  {11, "MSG_9", 1},  {12, "MSG_12", 2},
                        {13, "MSG_13", 2}, {42, "MSG_42", 2}};
  AddPicture("MSG_3");
  AddPicture("MSG_42");
  for (const Case& c : cases) {
    SCOPED_TRACE(c.id);
    CMessageDlg dialog(c.id);
    TestHost host(dialog);
    Open(host);
    ASSERT_GE(host.Ops().size(), 2u);
    EXPECT_EQ(host.Ops()[0].kind, DrawOp::Kind::Region);
    EXPECT_EQ(host.Ops()[1].kind, DrawOp::Kind::Copy);
    EXPECT_EQ(host.Ops()[1].image, Bmp(c.background));
    EXPECT_EQ(host.Ops()[1].at, (Point{0, 0}));
    ASSERT_EQ(dialog.m_nButtonCount, c.buttons);
    const SKIN_BUTTON& first = dialog.m_buttons[0];
    if (c.buttons == 1) {
      EXPECT_EQ(first.normalImage.get(), Bmp("MSG_OK_N"));
      EXPECT_EQ((Rect{first.left, first.top, first.right, first.bottom}),
                (Rect{380, 20, 450, 44}));
    } else {
      const SKIN_BUTTON& no = dialog.m_buttons[1];
      EXPECT_EQ(first.downImage.get(), Bmp("MSG_YES_D"));
      EXPECT_EQ((Rect{first.left, first.top, first.right, first.bottom}),
                (Rect{290, 20, 360, 44}));
      EXPECT_EQ(no.overImage.get(), Bmp("MSG_NO_O"));
      EXPECT_EQ((Rect{no.left, no.top, no.right, no.bottom}), (Rect{380, 20, 450, 44}));
    }
  }
}

// Each line once, over the right picture: on Simplified Chinese systems notices 8 and 9 take
// pictures that carry their text and nothing is drawn over them; without such a picture (an older
// res.dll, or a message that has none) the English text is drawn rather than leaving the box empty.
TEST_F(MessageDialogTest, TextLinesOrAPictureThatCarriesThem) {
  const std::vector<std::pair<Point, std::string>> text8 = {
      {{20, 24}, "This motherboard/CPU doesn't support the"}, {{20, 42}, "Zorwise function."}};
  const std::vector<std::pair<Point, std::string>> text9 = {
      {{20, 15}, "To make the maximum efficiency of "},
      {{20, 33}, "Zorwise,Please go to CMOS setup and "},
      {{20, 51}, "enable the EIST and C1E items."}};
  const std::vector<std::pair<Point, std::string>> text6 = {
      {{20, 24}, "Please load default setting of the system frequency"},
      {{20, 42}, "If you would like to enable Zorwise utility"}};
  struct Case {
    int id;
    unsigned language;
    bool chinesePictures;  // the library holds MSG_SC_8 and MSG_SC_9
    const char* background;
    std::vector<std::pair<Point, std::string>> lines;
  };
  const Case cases[] = {
      {1, 0x0409, true, "MSG_1", {}},
      {6, 0x0409, true, "MSG_6", text6},
      {7, 0x0409, true, "MSG_7",
       {{{22, 24}, "This program will close @sorbit,ETC,"},
        {{22, 42}, "Glyphmint,Do you want to continue??"}}},
      {8, 0x0409, true, "MSG_6", text8},
      {9, 0x0404, true, "MSG_6", text9},
      {9, 0x0804, true, "MSG_SC_9", {}},
      {8, 0x0804, true, "MSG_SC_8", {}},
      {8, 0x0804, false, "MSG_6", text8},
      {9, 0x0804, false, "MSG_6", text9},
      {6, 0x0804, true, "MSG_6", text6},
      {10, 0x0804, true, "MSG_8", {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.id) + " " + std::to_string(c.language) + " " + c.background);
    if (c.chinesePictures) {
      AddPicture("MSG_SC_8");
      AddPicture("MSG_SC_9");
    } else {
      m_res->Add("MSG_SC_8", nullptr);
      m_res->Add("MSG_SC_9", nullptr);
    }
    CMessageDlg dialog(c.id);
    TestHost host(dialog);
    host.SetLanguage(c.language);
    Open(host);
    std::vector<std::pair<Point, std::string>> drawn;
    const ui::Image* background = nullptr;
    for (const DrawOp& op : host.Ops()) {
      if (op.kind == DrawOp::Kind::Text) drawn.emplace_back(op.at, op.text);
      if (op.kind == DrawOp::Kind::Copy && !background) background = op.image;
    }
    EXPECT_EQ(background, Bmp(c.background));
    EXPECT_EQ(drawn, c.lines);
  }
}

TEST_F(MessageDialogTest, TakesThePicturesSizeAndShapeCentredOverTheOwner) {
  CMessageDlg dialog(10);
  TestHost host(dialog, Rect{0, 0, 374, 188});
  host.SetOwner(Rect{100, 100, 700, 645});
  Open(host);
  // 600 x 545 owner at (100, 100): centre (400, 372); the 470 x 90 box goes to (165, 327).
  EXPECT_EQ(host.WindowRectNow(), (Rect{165, 327, 635, 417}));
  const ui::RegionPtr region = host.CurrentRegion();
  ASSERT_TRUE(region);
  const ui::Image& picture = *m_bitmaps["MSG_8"];
  for (int y = 0; y < picture.height; ++y)
    for (int x = 0; x < picture.width; ++x)
      ASSERT_EQ(region->Contains(x, y), picture.At(x, y) != kMagenta) << x << "," << y;
  // Later paints hand over the same region: it is built once, not rescanned.
  host.Paint();
  EXPECT_EQ(host.CurrentRegion(), region);
}

TEST_F(MessageDialogTest, WithoutAVisibleOwnerItIsCentredOnTheWorkArea) {
  CMessageDlg dialog(1);
  TestHost host(dialog);
  host.SetWorkArea(Rect{0, 0, 1280, 994});
  Open(host);
  EXPECT_EQ(host.WindowRectNow(), (Rect{405, 452, 875, 542}));
}

TEST_F(MessageDialogTest, ClicksAnswerOneForTheFirstButtonAndZeroForNo) {
  struct Case {
    int id;
    Point at;
    int answer;
  };
  for (const Case& c : {Case{1, kOk, 1}, Case{8, kOk, 1}, Case{10, kYes, 1}, Case{10, kNo, 0},
                        Case{12, kNo, 0}, Case{13, kYes, 1}}) {
    SCOPED_TRACE(c.id);
    bool ended = false;
    const int answer = Show(c.id, [&](TestHost& box) {
      box.MouseMove(c.at);
      box.Press(c.at);
      box.Release(c.at);
      ended = box.Ended();
      EXPECT_EQ(box.Result(), ui::kIdCancel);  // the framework's cancel path ends it
    });
    EXPECT_TRUE(ended);
    EXPECT_EQ(answer, c.answer);
  }
}

TEST_F(MessageDialogTest, HoverPressAndReleaseDrawTheButtonStates) {
  CMessageDlg dialog(10);
  TestHost host(dialog);
  Open(host);
  const Point yesAt{290, 20};
  host.ClearOps();

  host.MouseMove(kYes);
  EXPECT_EQ(host.LastOpAt(yesAt)->image, Bmp("MSG_YES_O"));
  EXPECT_EQ(host.CurrentCursor(), ui::Cursor::Hand);
  EXPECT_EQ(dialog.m_buttons[0].hover, 1);
  // Staying over the button does not redraw it; No is redrawn normal at every move.
  host.ClearOps();
  host.MouseMove(Point{kYes.x + 5, kYes.y});
  EXPECT_EQ(host.LastOpAt(yesAt), nullptr);
  EXPECT_EQ(host.LastOpAt(Point{380, 20})->image, Bmp("MSG_NO_N"));
  host.MouseMove(kBackground);
  EXPECT_EQ(host.LastOpAt(yesAt)->image, Bmp("MSG_YES_N"));
  EXPECT_EQ(host.CurrentCursor(), ui::Cursor::Arrow);

  host.MouseMove(kYes);
  host.Press(kYes);
  EXPECT_EQ(host.LastOpAt(yesAt)->image, Bmp("MSG_YES_D"));
  EXPECT_TRUE(host.Captured());

  // The pointer leaves the button with the button held (the messages as the window gets them
  // when the system does not move it): normal picture, and the release off it does nothing.
  dialog.OnMouseMove(kBackground, ui::kMouseLeft);
  EXPECT_EQ(host.LastOpAt(yesAt)->image, Bmp("MSG_YES_N"));
  EXPECT_EQ(host.CurrentCursor(), ui::Cursor::Arrow);
  dialog.OnLButtonUp(kBackground, 0);
  EXPECT_FALSE(host.Ended());
  EXPECT_FALSE(host.Captured());
  EXPECT_EQ(dialog.m_nMessageId, 10);
}

TEST_F(MessageDialogTest, AReleaseCountsOnlyInTheOverState) {
  // Pressed and released on Yes without a move over it first: hover is still 0.
  CMessageDlg dialog(10);
  TestHost host(dialog);
  Open(host);
  host.Press(kYes);
  host.Release(kYes);
  EXPECT_FALSE(host.Ended());
  // Off and back on before the release: it counts.
  host.MouseMove(kYes);
  host.Press(kYes);
  dialog.OnMouseMove(kBackground, ui::kMouseLeft);
  dialog.OnMouseMove(kYes, ui::kMouseLeft);
  dialog.OnLButtonUp(kYes, 0);
  EXPECT_TRUE(host.Ended());
  EXPECT_EQ(dialog.m_nMessageId, 1);
}

TEST_F(MessageDialogTest, APointOnAButtonsEdgeIsOutside) {
  CMessageDlg dialog(1);
  TestHost host(dialog);
  Open(host);
  for (const Point edge : {Point{380, 30}, Point{450, 30}, Point{400, 20}, Point{400, 44}}) {
    host.MouseMove(edge);
    EXPECT_EQ(dialog.m_buttons[0].hover, 0) << edge.x << "," << edge.y;
    EXPECT_EQ(host.CurrentCursor(), ui::Cursor::Arrow);
    host.Press(edge);
    host.Release(edge);
    EXPECT_FALSE(host.Ended());
  }
  host.MouseMove(Point{381, 21});
  EXPECT_EQ(host.CurrentCursor(), ui::Cursor::Hand);
}

TEST_F(MessageDialogTest, EnterAndEscapeDoNothingButTheCloseCommandEndsWithTheIdUnchanged) {
  const int open = Show(7, [](TestHost& box) {
    EXPECT_TRUE(box.Key(ui::kKeyReturn));
    EXPECT_TRUE(box.Key(ui::kKeyEscape));
    EXPECT_FALSE(box.Key('A'));
    EXPECT_FALSE(box.Ended());
  });
  EXPECT_EQ(open, 7);  // the id as given: the dialog is still open
  const int closed = Show(7, [](TestHost& box) {
    box.Close();
    EXPECT_TRUE(box.Ended());
  });
  EXPECT_EQ(closed, 7);
}

TEST_F(MessageDialogTest, DraggingMovesTheBoxAndIsNotAClick) {
  CMessageDlg dialog(10);
  TestHost host(dialog);
  Open(host);
  const Rect start = host.WindowRectNow();
  host.MouseMove(kYes);
  host.Press(kYes);
  host.MovePointerBy(2, 1);  // within the drag distance: still a click in the making
  EXPECT_EQ(host.WindowRectNow(), start);
  host.MovePointerBy(40, 25);
  host.MovePointerBy(10, 5);
  EXPECT_EQ(host.WindowRectNow().left, start.left + 52);
  EXPECT_EQ(host.WindowRectNow().top, start.top + 31);
  EXPECT_EQ(host.LastOpAt(Point{290, 20})->image, Bmp("MSG_YES_N"));
  host.Release();  // still over Yes, as the box followed the pointer
  EXPECT_FALSE(host.Ended());
  // A press on the picture drags it as well.
  host.Press(kBackground);
  host.MovePointerBy(-30, 0);
  host.Release();
  EXPECT_EQ(host.WindowRectNow().left, start.left + 22);
  // And a plain click still answers afterwards.
  host.MouseMove(kYes);
  host.Press(kYes);
  host.Release(kYes);
  EXPECT_TRUE(host.Ended());
}

TEST_F(MessageDialogTest, MissingResDllReportsAndEndsTheProgram) {
  ui::Window owner;
  TestHost ownerHost(owner);
  bool scriptRan = false;
  ownerHost.onModal = [&](TestHost&) { scriptRan = true; };
  const int answer = ShowMessage(ownerHost, 10);
  EXPECT_FALSE(scriptRan);
  ASSERT_TRUE(ownerHost.ExitStatus());
  EXPECT_EQ(*ownerHost.ExitStatus(), 1);
  ASSERT_EQ(ownerHost.MessageBoxes().size(), 1u);
  EXPECT_EQ(ownerHost.MessageBoxes()[0].first, "Load library (RES.dll) failure!!");
  EXPECT_EQ(ownerHost.MessageBoxes()[0].second, "Worry");
  EXPECT_EQ(answer, 10);
}

TEST_F(MessageDialogTest, ResDllIsAskedForByFullPathInTheProgramDirectory) {
  CMessageDlg dialog(1);
  TestHost host(dialog);
  Open(host);
  ASSERT_EQ(host.LoadedLibraries().size(), 1u);
  EXPECT_EQ(host.LoadedLibraries()[0], ResPath());
  EXPECT_NE(ResPath(), "res.dll");
}

TEST_F(MessageDialogTest, MissingPicturesLeaveAPlainBoxWhoseButtonsStillWork) {
  auto sparse = std::make_shared<ui::TestResourceLibrary>();
  m_res = sparse;  // no pictures at all
  const int answer = Show(12, [](TestHost& box) {
    // A plain face that holds both buttons: 380 + 75 + 20 wide, 20 + 25 + 20 high.
    EXPECT_EQ(box.WindowRectNow().Width(), 475);
    EXPECT_EQ(box.WindowRectNow().Height(), 65);
    box.MouseMove(Point{400, 30});
    box.Press(Point{400, 30});
    box.Release(Point{400, 30});
  });
  EXPECT_EQ(answer, 0);
}

}  // namespace
}  // namespace zor
