// The three saving levels as every window shows them, in button order (L1, L2, L3): the code the
// firmware takes, and how many of the main window's six level-bar segments the level lights.
#pragma once

#include "common/firmware_layout.h"

namespace zor {

struct LevelEntry {
  int code;
  int barSegments;
};

constexpr int kLevelButtons = 3;
constexpr LevelEntry kLevelTable[kLevelButtons] = {
    {fw::kLevelL1, 2}, {fw::kLevelL2, 4}, {fw::kLevelL3, 6}};

// The button (0 to 2) of a level code; -1 for a code that is none of the three.
constexpr int LevelButton(int code) {
  for (int i = 0; i < kLevelButtons; ++i)
    if (kLevelTable[i].code == code) return i;
  return -1;
}

}  // namespace zor
