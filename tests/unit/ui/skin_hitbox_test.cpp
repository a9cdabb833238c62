// The mouse rules every skinned window shares, for push buttons, selectors and toggles alike:
// hover, press, release, a press that became a drag, and controls that ignore the mouse.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "gui/controls/skin_buttons.h"

namespace zor {
namespace {

using ui::Point;

// Two controls side by side, 20 x 10 each, the second starting where the first ends.
template <typename Control>
struct Row {
  Control c[2];
  std::vector<std::string> drawn;
  Row() {
    PlaceControl(c[0], 0, 0, 20, 10);
    PlaceControl(c[1], 20, 0, 20, 10);
  }
  DrawLook<Control> Draw() {
    return [this](const Control& control, Look look) {
      const char* name = look == Look::Normal ? "normal" : look == Look::Over ? "over" : "down";
      drawn.push_back(std::to_string(&control - c) + ":" + name);
    };
  }
  std::vector<std::string> Take() { return std::exchange(drawn, {}); }
};

template <typename Control>
class SharedMouseRules : public ::testing::Test {};
using Kinds = ::testing::Types<SKIN_BUTTON, SKIN_RADIO, SKIN_TOGGLE>;
TYPED_TEST_SUITE(SharedMouseRules, Kinds);

TYPED_TEST(SharedMouseRules, HoverDrawsOnArrivingAndLeavingOnly) {
  Row<TypeParam> row;
  const auto move = [&](Point p) {
    return HoverControls(row.c, 2, p, OverRedraw::OnArriving, OffRedraw::OnLeaving, row.Draw());
  };
  EXPECT_EQ(move({5, 5}), HoverResult::OnButton);
  EXPECT_EQ(row.Take(), (std::vector<std::string>{"0:over"}));
  EXPECT_EQ(move({6, 5}), HoverResult::OnButton);
  EXPECT_TRUE(row.Take().empty());
  // Straight onto the neighbour: the pointer is on a control, so the hand stays.
  EXPECT_EQ(move({25, 5}), HoverResult::OnButton);
  EXPECT_EQ(row.Take(), (std::vector<std::string>{"0:normal", "1:over"}));
  // The border is outside.
  EXPECT_EQ(move({40, 5}), HoverResult::LeftButton);
  EXPECT_EQ(row.Take(), (std::vector<std::string>{"1:normal"}));
  EXPECT_EQ(move({50, 5}), HoverResult::None);
  EXPECT_EQ(row.c[0].hover + row.c[1].hover, 0);
}

TYPED_TEST(SharedMouseRules, EveryMoveRedrawsForSelectorsAndMessageBoxes) {
  Row<TypeParam> row;
  HoverControls(row.c, 2, {5, 5}, OverRedraw::EveryMove, OffRedraw::EveryMove, row.Draw());
  HoverControls(row.c, 2, {6, 5}, OverRedraw::EveryMove, OffRedraw::EveryMove, row.Draw());
  EXPECT_EQ(row.Take(), (std::vector<std::string>{"0:over", "1:normal", "0:over", "1:normal"}));
}

TYPED_TEST(SharedMouseRules, ReleaseClicksOnlyOverAHoveredControl) {
  Row<TypeParam> row;
  EXPECT_TRUE(PressControls(row.c, 2, {5, 5}, row.Draw()));
  EXPECT_EQ(row.Take(), (std::vector<std::string>{"0:down"}));
  EXPECT_FALSE(ReleaseClicks(row.c[0], {5, 5}));  // pressed without a hover first
  HoverControls(row.c, 2, {5, 5}, OverRedraw::OnArriving, OffRedraw::OnLeaving, row.Draw());
  EXPECT_TRUE(ReleaseClicks(row.c[0], {5, 5}));
  EXPECT_FALSE(ReleaseClicks(row.c[0], {25, 5}));  // released off it
  EXPECT_FALSE(PressControls(row.c, 2, {50, 5}, row.Draw()));
}

TYPED_TEST(SharedMouseRules, ADragPutsThePressedControlBack) {
  Row<TypeParam> row;
  // Pressed without a move before it: no hover, but the pressed picture is up all the same.
  PressControls(row.c, 2, {5, 5}, row.Draw());
  row.Take();
  CancelPress(row.c, 2, row.Draw());
  EXPECT_EQ(row.Take(), (std::vector<std::string>{"0:normal", "1:normal"}));
  HoverControls(row.c, 2, {5, 5}, OverRedraw::OnArriving, OffRedraw::OnLeaving, row.Draw());
  CancelPress(row.c, 2, row.Draw());
  EXPECT_FALSE(ReleaseClicks(row.c[0], {5, 5}));
}

// Each kind's way of leaving a control out of the mouse: disabled, and its own flag.
void IgnoreByOwnFlag(SKIN_BUTTON& b) { b.latched = 1; }
void IgnoreByOwnFlag(SKIN_RADIO& r) { r.selected = 1; }
void IgnoreByOwnFlag(SKIN_TOGGLE& t) { t.locked = 1; }

TYPED_TEST(SharedMouseRules, AControlOutOfUseTakesNoPart) {
  for (bool disabled : {true, false}) {
    Row<TypeParam> row;
    if (disabled)
      row.c[0].disabled = 1;
    else
      IgnoreByOwnFlag(row.c[0]);
    EXPECT_EQ(
        HoverControls(row.c, 2, {5, 5}, OverRedraw::EveryMove, OffRedraw::EveryMove, row.Draw()),
        HoverResult::None);
    EXPECT_FALSE(PressControls(row.c, 2, {5, 5}, row.Draw()));
    row.c[0].hover = 1;  // armed before it went out of use
    EXPECT_FALSE(ReleaseClicks(row.c[0], {5, 5}));
    CancelPress(row.c, 2, row.Draw());
    EXPECT_EQ(row.Take(), (std::vector<std::string>{"1:normal", "1:normal"})) << disabled;
    EXPECT_EQ(row.c[0].hover, 1);
  }
}

TEST(SharedMouseRules, ToggleWithoutPicturesStillTracksTheMouse) {
  SKIN_TOGGLE t[1];
  PlaceControl(t[0], 0, 0, 20, 10);
  EXPECT_EQ(HoverControls<SKIN_TOGGLE>(t, 1, {5, 5}, OverRedraw::OnArriving, OffRedraw::OnLeaving,
                                       nullptr),
            HoverResult::OnButton);
  EXPECT_TRUE(PressControls<SKIN_TOGGLE>(t, 1, {5, 5}, nullptr));
  EXPECT_TRUE(ReleaseClicks(t[0], {5, 5}));
}

}  // namespace
}  // namespace zor
