// The skinned slider and combo box on the test host: geometry, mouse, keys, focus, capture loss,
// and the combo's insets, colours and list borders.
#include <gtest/gtest.h>

#include <cstring>

#include "gui/controls/skin_combo.h"
#include "gui/controls/skin_slider.h"
#include "ui/mask.h"
#include "ui/testing/test_children.h"
#include "ui/testing/test_host.h"

namespace zor {
namespace {

using ui::DrawOp;
using ui::Point;
using ui::Rect;
using ui::TestHost;

constexpr uint32_t kTrackPixel = 0x203040;
constexpr uint32_t kFillPixel = 0x30A050;
constexpr uint32_t kThumbPixel = 0xE0E0E0;
constexpr uint32_t kThumbKey = 0x00FF00;

// The dialog's pictures: track 118 x 22, thumb 38 x 22 with a key-coloured corner, list pieces.
std::shared_ptr<ui::TestResourceLibrary> ProgramPictures() {
  auto res = std::make_shared<ui::TestResourceLibrary>();
  res->Add(131, std::make_shared<const ui::Image>(118, 22, kTrackPixel));
  auto thumb = std::make_shared<ui::Image>(38, 22, kThumbPixel);
  for (int x = 0; x < 38; ++x) thumb->At(x, 0) = kThumbKey;  // the top row shows the track
  res->Add(130, thumb);
  res->Add(132, std::make_shared<const ui::Image>(20, 21, 0x111111));
  res->Add(133, std::make_shared<const ui::Image>(4, 21, 0x222222));
  res->Add(134, std::make_shared<const ui::Image>(20, 21, 0x333333));
  res->Add(135, std::make_shared<const ui::Image>(4, 3, 0x444444));
  res->Add(136, std::make_shared<const ui::Image>(4, 17, 0x555555));
  res->Add(137, std::make_shared<const ui::Image>(4, 17, 0x666666));
  res->Add(138, std::make_shared<const ui::Image>(4, 3, 0x777777));
  return res;
}

TEST(SliderGeometry, PositionsAndPixels) {
  struct Case {
    SliderGeometry g;
    int pos;
    int pixel;     // PosToPixel(pos)
    int backPos;   // PixelToPos(pixel)
  };
  const Case cases[] = {
      {{0, 30, 118, 38}, 0, 19, 0},
      {{0, 30, 118, 38}, 15, 59, 15},
      {{0, 30, 118, 38}, 30, 99, 30},
      {{0, 30, 118, 38}, 7, 37, 6},      // 80 * 7 / 30 = 18.67 -> 18; back 18 * 30 / 80 = 6.75 -> 6
      {{-10, 10, 118, 38}, -9, 23, -9},  // truncation toward zero on both sides of 0
      // No travel: an empty or reversed range, a track no wider than the thumb.
      {{5, 5, 118, 38}, 5, 19, 5},
      {{10, 0, 118, 38}, 3, 19, 10},
      {{0, 30, 38, 38}, 12, 19, 0},
      {{0, 30, 20, 38}, 12, 19, 0},
      {{0, 30, 118, 0}, 15, 59, 15},     // no thumb: the centre is the pointer itself
  };
  for (const Case& c : cases) {
    EXPECT_EQ(PosToPixel(c.g, c.pos), c.pixel) << c.g.min << ".." << c.g.max << " p " << c.pos;
    EXPECT_EQ(PixelToPos(c.g, c.pixel), c.backPos) << c.g.min << ".." << c.g.max << " x " << c.pixel;
  }
  EXPECT_EQ(PixelToPos(SliderGeometry{-10, 10, 118, 38}, 20), -9);  // -9.75 -> -9
}

TEST(KeyMask, KeyFromThePixelOrAColour) {
  ui::Image image(3, 1);
  image.pixels = {0x00FF00, 0x123456, 0x00FF00};
  const ui::KeyedImage fromPixel = ui::MakeKeyMask(image, ui::kKeyFromPixel, 0, 0);
  EXPECT_EQ(fromPixel.mask.pixels, (std::vector<uint32_t>{0xFFFFFF, 0, 0xFFFFFF}));
  EXPECT_EQ(fromPixel.image.pixels, (std::vector<uint32_t>{0, 0x123456, 0}));
  const ui::KeyedImage byColour = ui::MakeKeyMask(image, ui::Rgb(0x12, 0x34, 0x56), 0, 0);
  EXPECT_EQ(byColour.mask.pixels, (std::vector<uint32_t>{0, 0xFFFFFF, 0}));

  ui::Image back(3, 1, 0xABCDEF);
  ui::MaskedCopyPixels(back, fromPixel.image, fromPixel.mask, 0, 0);
  EXPECT_EQ(back.pixels, (std::vector<uint32_t>{0xABCDEF, 0x123456, 0xABCDEF}));
}

// A parent window with two sliders configured as the advanced dialog configures them.
class Parent : public ui::Window {
 public:
  bool OnInit() override {
    for (auto [slider, id, rect] : {std::tuple{&upper, 1002, Rect{10, 10, 128, 32}},
                                    std::tuple{&lower, 1003, Rect{10, 50, 128, 72}}}) {
      Host().CreateChild(*slider, id, rect);
      slider->SetTrackBitmaps(131, 131, 0, ui::kKeyFromPixel, 0, 0);
      slider->SetThumbBitmaps(130, 130, 1, ui::kKeyFromPixel, 0, 0);
      slider->ShowFocusRect(0, 0);
      slider->SetRange(0, 30, 0);
      slider->SetPos(15);
      slider->EnableSlider(1);
    }
    return true;
  }
  CSkinSlider upper;
  CSkinSlider lower;
};

class SliderTest : public ::testing::Test {
 protected:
  SliderTest() : host(parent, Rect{0, 0, 200, 100}) {
    host.SetProgramResources(ProgramPictures());
    host.Init();
    host.Paint();
    host.ClearDelivered();
  }
  std::vector<std::pair<unsigned, intptr_t>> Posted() {
    std::vector<std::pair<unsigned, intptr_t>> out;
    for (const ui::PostedMessage& m : host.Delivered()) {
      EXPECT_EQ(m.wParam, 1002u);
      out.emplace_back(m.message, m.lParam);
    }
    host.ClearDelivered();
    return out;
  }
  using Posts = std::vector<std::pair<unsigned, intptr_t>>;

  Parent parent;
  TestHost host;
};

TEST_F(SliderTest, PaintsTrackFillAndThumbThroughItsMask) {
  TestHost& child = *host.Child(1002);
  EXPECT_EQ(child.WindowRectNow(), (Rect{10, 10, 128, 32}));
  const ui::Image& screen = child.Screen();
  EXPECT_EQ(screen.At(5, 10), kTrackPixel);   // the filled part (the same picture here)
  EXPECT_EQ(screen.At(40, 5), kThumbPixel);   // thumb at centre 59 - 19
  EXPECT_EQ(screen.At(40, 0), kTrackPixel);   // its key-coloured row shows the track
  EXPECT_EQ(screen.At(100, 5), kTrackPixel);
}

TEST_F(SliderTest, PressAwayJumpsPressOnThumbHolds) {
  host.Press(Point{10 + 99, 15});  // far right of the thumb: the centre jumps there
  EXPECT_EQ(parent.upper.GetPos(), 30);
  EXPECT_EQ(Posted(), (Posts{{WM_SLIDER_MOVING, 30}}));
  host.Release(Point{10 + 99, 15});
  EXPECT_EQ(Posted(), (Posts{{WM_SLIDER_MOVED, 30}}));
  EXPECT_EQ(host.FocusedId(), 1002);

  host.Press(Point{10 + 99 - 10, 15});  // on the thumb: the grab point is kept, nothing moves
  EXPECT_EQ(parent.upper.GetPos(), 30);
  EXPECT_TRUE(Posted().empty());
  host.MovePointerBy(-300, 0);  // dragged past the left end
  EXPECT_EQ(parent.upper.GetPos(), 0);
  host.MovePointerBy(-50, 0);
  EXPECT_EQ(Posted(), (Posts{{WM_SLIDER_MOVING, 0}}));
  host.Release();
  EXPECT_EQ(Posted(), (Posts{{WM_SLIDER_MOVED, 0}}));
}

TEST_F(SliderTest, MovesWithoutTheButtonAndAfterCaptureLossAreNoDrag) {
  host.Press(Point{10 + 59, 15});
  host.MouseMove(Point{10 + 80, 15}, 0);  // the button is no longer held
  EXPECT_EQ(parent.upper.GetPos(), 15);

  host.MouseMove(Point{10 + 70, 15}, ui::kMouseLeft);
  const int dragged = parent.upper.GetPos();
  EXPECT_GT(dragged, 15);
  Posted();
  host.StealCapture();  // another window takes the mouse mid-drag
  EXPECT_EQ(Posted(), (Posts{{WM_SLIDER_MOVED, dragged}}));
  EXPECT_FALSE(parent.upper.m_bDragging);
  host.MouseMove(Point{10 + 20, 15}, ui::kMouseLeft);
  EXPECT_EQ(parent.upper.GetPos(), dragged);
  EXPECT_TRUE(Posted().empty());
}

TEST_F(SliderTest, KeysMoveAndAlwaysReport) {
  struct Case {
    int start;
    uintptr_t key;
    int after;
  };
  const Case cases[] = {
      {15, ui::kKeyPrior, 0},  {15, ui::kKeyNext, 30}, {15, ui::kKeyEnd, 30},
      {15, ui::kKeyHome, 0},   {15, ui::kKeyLeft, 14}, {15, ui::kKeyUp, 14},
      {15, ui::kKeyRight, 16}, {15, ui::kKeyDown, 16}, {0, ui::kKeyHome, 0},
      {30, ui::kKeyEnd, 30},   {30, ui::kKeyNext, 30}, {0, ui::kKeyPrior, 0},
  };
  host.Child(1002)->SetFocus();
  for (const Case& c : cases) {
    parent.upper.SetPos(c.start);
    EXPECT_TRUE(host.Key(c.key));
    EXPECT_EQ(parent.upper.GetPos(), c.after) << c.key;
    EXPECT_EQ(Posted(), (Posts{{WM_SLIDER_MOVED, c.after}})) << c.key;
  }
  host.Key('A');
  EXPECT_TRUE(Posted().empty());
}

TEST_F(SliderTest, TabMovesFocusEnterAndEscapeActOnlyOnTheDialog) {
  EXPECT_EQ(host.FocusedId(), 0);
  host.Key(ui::kKeyTab);
  EXPECT_EQ(host.FocusedId(), 1002);
  EXPECT_TRUE(parent.upper.m_bFocused);
  host.Key(ui::kKeyReturn);  // a focused slider wants every key but Tab
  host.Key(ui::kKeyEscape);
  EXPECT_FALSE(host.Ended());
  host.Key(ui::kKeyTab);
  EXPECT_EQ(host.FocusedId(), 1003);
  EXPECT_FALSE(parent.upper.m_bFocused);
  host.Key(ui::kKeyTab);
  EXPECT_EQ(host.FocusedId(), 0);
  host.HoldShift(true);
  host.Key(ui::kKeyTab);
  EXPECT_EQ(host.FocusedId(), 1003);
  host.HoldShift(false);

  // A slider parked outside the window is out of reach.
  host.Child(1002)->MoveWindow(Rect{-120, 0, -2, 22}, false);
  host.Key(ui::kKeyTab);
  host.Key(ui::kKeyTab);
  EXPECT_EQ(host.FocusedId(), 1003);

  host.Key(ui::kKeyTab);
  EXPECT_EQ(host.FocusedId(), 0);
  host.Key(ui::kKeyReturn);
  EXPECT_TRUE(host.Ended());
  EXPECT_EQ(host.Result(), ui::kIdOk);
}

TEST_F(SliderTest, DisabledIgnoresEverythingAndShowsNoThumb) {
  parent.upper.ShowFocusRect(1, 0);
  parent.upper.EnableSlider(0);
  host.Child(1002)->SetFocus();
  host.Press(Point{10 + 99, 15});
  host.Release();
  host.Key(ui::kKeyEnd);
  EXPECT_EQ(parent.upper.GetPos(), 15);
  EXPECT_TRUE(Posted().empty());
  host.Child(1002)->ClearOps();
  host.Child(1002)->Paint();
  for (const DrawOp& op : host.Child(1002)->Ops()) {
    EXPECT_NE(op.kind, DrawOp::Kind::MaskedCopy);  // no thumb
    EXPECT_NE(op.kind, DrawOp::Kind::FocusRect);
  }
  parent.upper.EnableSlider(1);
  host.Child(1002)->ClearOps();
  host.Child(1002)->Paint();
  int frames = 0;
  for (const DrawOp& op : host.Child(1002)->Ops()) frames += op.kind == DrawOp::Kind::FocusRect;
  EXPECT_EQ(frames, 1);
}

TEST_F(SliderTest, DisablingMidDragEndsIt) {
  host.Press(Point{10 + 59, 15});
  EXPECT_TRUE(host.Child(1002)->Captured());
  parent.upper.EnableSlider(0);
  EXPECT_FALSE(parent.upper.m_bDragging);
  EXPECT_FALSE(host.Child(1002)->Captured());
}

// ---- Combo box ----

class ComboOwner : public ui::Window {
 public:
  bool OnInit() override {
    for (auto [combo, id, x] : {std::tuple{&disk, 1004, 10}, std::tuple{&monitor, 1005, 200}}) {
      combo->Create(Host(), id, Rect{x, 10, x + 130, 236});
      combo->SetFaceBitmaps(133, 134, 132);
      combo->SetListBitmaps(136, 137, 138, 135);
      combo->SetFocusColors(0xF0F0F0, 0x000000);
      combo->SetNormalColors(0xFFFFFF, 0x000000);
    }
    for (const char* text : {"3 Mins", "10 Mins", "1 hour"}) disk.Combo().AddString(text);
    disk.Combo().SetCurSel(1);
    return true;
  }
  CSkinComboBox disk;
  CSkinComboBox monitor;  // left empty
};

class ComboTest : public ::testing::Test {
 protected:
  ComboTest() : host(owner, Rect{0, 0, 400, 300}) {
    CSkinComboBox::s_nTextInset = 0;
    host.SetProgramResources(ProgramPictures());
    host.Init();
  }
  // The latest drawing of a kind on a combo's face or list.
  static const DrawOp* Last(const ui::TestComboBox& combo, DrawOp::Kind kind) {
    const DrawOp* found = nullptr;
    for (const DrawOp& op : combo.Ops())
      if (op.kind == kind) found = &op;
    return found;
  }
  static int CountStretches(const ui::TestComboBox& combo, const Rect& to) {
    int n = 0;
    for (const DrawOp& op : combo.Ops()) n += op.kind == DrawOp::Kind::Stretch && op.rect == to;
    return n;
  }

  ComboOwner owner;
  TestHost host;
};

TEST_F(ComboTest, FaceTextStartsAtTheInsetOnceAnyListWasDropped) {
  ui::TestComboBox& disk = *host.Combo(1004);
  disk.PaintFace();
  EXPECT_EQ(Last(disk, DrawOp::Kind::Text)->text, "10 Mins");
  EXPECT_EQ(Last(disk, DrawOp::Kind::Text)->rect, (Rect{0, 0, 130, 26}));
  EXPECT_EQ(Last(disk, DrawOp::Kind::Text)->font, 0u);

  host.Combo(1005)->Drop();  // the other, empty combo: no item, no inset yet
  disk.Drop();
  EXPECT_EQ(CSkinComboBox::s_nTextInset, 0);
  disk.PaintFace();  // paints the list with the face: the inset is left width + 5
  EXPECT_EQ(CSkinComboBox::s_nTextInset, 9);
  ui::TestComboBox& monitor = *host.Combo(1005);
  monitor.PaintFace();
  EXPECT_EQ(Last(monitor, DrawOp::Kind::Text)->rect.left, 9);  // shared by every skinned combo
  EXPECT_EQ(Last(monitor, DrawOp::Kind::Text)->text, "");
}

TEST_F(ComboTest, FocusColoursTheFaceInterior) {
  ui::TestComboBox& disk = *host.Combo(1004);
  disk.PaintFace();
  EXPECT_EQ(Last(disk, DrawOp::Kind::Fill)->rect, (Rect{3, 3, 109, 18}));
  EXPECT_EQ(Last(disk, DrawOp::Kind::Fill)->color, 0xFFFFFFu);
  host.Key(ui::kKeyTab);  // the first tab stop
  ASSERT_EQ(host.FocusedId(), 1004);
  EXPECT_EQ(Last(disk, DrawOp::Kind::Fill)->color, 0xF0F0F0u);
  host.Key(ui::kKeyDown);  // the system moves the selection; the face follows
  EXPECT_EQ(Last(disk, DrawOp::Kind::Text)->text, "1 hour");
}

TEST_F(ComboTest, ItemsDrawTheirBordersAndFocusColour) {
  ui::TestComboBox& disk = *host.Combo(1004);
  disk.ClearOps();
  disk.Drop();  // three items of 17 pixels: the list is 130 x 51
  EXPECT_EQ(CountStretches(disk, Rect{0, 0, 4, 51}), 3);      // left side, every item
  EXPECT_EQ(CountStretches(disk, Rect{126, 0, 130, 51}), 3);  // right side
  EXPECT_EQ(CountStretches(disk, Rect{0, 0, 130, 3}), 1);     // top, item 0
  EXPECT_EQ(CountStretches(disk, Rect{0, 48, 130, 51}), 1);   // bottom, the last item
  std::vector<ui::ColorRef> fills;
  for (const DrawOp& op : disk.Ops())
    if (op.kind == DrawOp::Kind::Fill) fills.push_back(op.color);
  EXPECT_EQ(fills, (std::vector<ui::ColorRef>{0xFFFFFF, 0xF0F0F0, 0xFFFFFF}));
  EXPECT_TRUE(disk.Invalidated());  // a whole-item draw repaints the face
}

TEST_F(ComboTest, ShownTextIsTheCurrentSelectionCutToTheBuffer) {
  host.Combo(1004)->Pick(2);
  owner.disk.Combo().SetCurSel(0);  // no repaint since
  char text[16];
  EXPECT_TRUE(owner.disk.GetShownText(text, sizeof text));
  EXPECT_STREQ(text, "3 Mins");
  EXPECT_EQ(owner.disk.m_strShown, "1 hour");
  char small[4];
  owner.disk.GetShownText(small, sizeof small);
  EXPECT_STREQ(small, "3 M");
  owner.monitor.GetShownText(text, sizeof text);
  EXPECT_STREQ(text, "");
}

}  // namespace
}  // namespace zor
