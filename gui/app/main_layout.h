// Where everything of the main window goes, in window pixels: the buttons' places, the panels,
// the digit strips and the phase indicators. The window draws by this table and the skin generator
// cuts its pictures by it, so the two cannot drift apart. Sizes of pictures are the skin's own.
#pragma once

namespace zor::layout {

struct Place {
  int x;
  int y;
};

// Push buttons, in the window's order.
enum PushButton { kOff = 0, kOn, kClose, kMinimise, kHelp, kUpdate, kReset, kPushButtons };
constexpr Place kPushPlaces[kPushButtons] = {
    {403, 45}, {403, 45}, {444, 7}, {483, 7}, {518, 7}, {529, 480}, {301, 155}};

// Selector buttons, in the window's order.
enum Selector { kMeter = 0, kTotal, kL1, kL2, kL3, kL4, kLed, kPower3D, kSelectors };
constexpr Place kSelectorPlaces[kSelectors] = {
    {214, 161}, {260, 161}, {44, 501}, {84, 501}, {123, 501}, {162, 501}, {533, 440}, {246, 486}};
// The 3D power button sits 4 pixels higher in the Chinese skins.
constexpr int kPower3DChineseY = 482;

// The figures panel background ("PSN_11" in meter mode, "TOTALNUM_11" in total mode).
constexpr Place kFiguresPanel{162, 65};

// Big digit strips: a digit advances 25 pixels; the point is drawn 4 to the left and 27 lower
// than the current place and does not advance.
constexpr int kDigitAdvance = 25;
constexpr int kPointDx = -4;
constexpr int kPointDy = 27;
// Right-aligned strip (saving since the reset, and the total): at most kRightStripCells digits
// end at kRightStripX + kRightStripCells * 25; at most kRightStripMaxDigits are drawn.
constexpr int kRightStripX = 146;
constexpr int kRightStripY = 84;
constexpr int kRightStripCells = 9;
constexpr int kRightStripMaxDigits = 10;
// Left-aligned strip (processor power): stops once the place has passed kLeftStripLastX.
constexpr int kLeftStripX = 58;
constexpr int kLeftStripY = 108;
constexpr int kLeftStripLastX = 135;

// The notice shown instead of the figures when the service has stopped: on the figures panel.
constexpr Place kServiceNotice{180, 92};

// "demo board", while the simulated board's library is in use: after the title's second line.
constexpr Place kDemoBoardLabel{166, 32};

// Running time (meter mode): days, hours, minutes as two digits each.
constexpr int kTimeY = 130;
constexpr int kDaysX[2] = {174, 186};
constexpr int kHoursX[2] = {220, 232};
constexpr int kMinutesX[2] = {273, 285};

// Start date and time (total mode), left to right.
constexpr int kSinceY = 130;
constexpr int kSinceHourX[2] = {187, 199};
constexpr int kSinceColon1X = 212;
constexpr int kSinceMinuteX[2] = {218, 230};
constexpr int kSinceColon2X = 243;
constexpr int kSinceSecondX[2] = {248, 260};
constexpr int kSinceGapX = 272;
constexpr int kSinceMonthX[2] = {277, 289};
constexpr int kSinceSlash1X = 301;
constexpr int kSinceDayX[2] = {309, 321};
constexpr int kSinceSlash2X = 333;
constexpr int kSinceYearX[4] = {341, 353, 365, 377};

// Phase indicators: twelve columns, two rows.
constexpr int kPhaseColumns = 12;
constexpr int kPhaseTopY = 228;
constexpr int kPhaseBottomY = 298;
constexpr int PhaseX(int column) { return 55 + 38 * column; }

// Level bar: picture 0 (empty) at the first place, segments 1 to 6 at these places.
constexpr int kBarY = 391;
constexpr int kBarX[7] = {48, 48, 127, 206, 285, 364, 443};

}  // namespace zor::layout
