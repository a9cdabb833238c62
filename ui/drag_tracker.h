// Tells a click from a window drag: a press arms it, and only a move beyond the system's drag
// distance with the button held starts moving the window. Shared by the hosts.
#pragma once

#include "ui/geometry.h"

namespace zor::ui {

class DragTracker {
 public:
  enum class Step { None, Started, Moving };

  DragTracker(int thresholdX, int thresholdY) : m_thresholdX(thresholdX), m_thresholdY(thresholdY) {}

  // The press, in screen pixels, and the window's top-left corner at that moment.
  void Arm(Point pointer, Point windowTopLeft);
  // The pointer moved with the button held. Started or Moving: the window goes to TopLeft().
  Step Move(Point pointer);
  // The button went up; true when the press had become a drag.
  bool Release();

  bool Armed() const { return m_armed; }
  bool Dragging() const { return m_dragging; }
  Point TopLeft() const { return m_topLeft; }

 private:
  int m_thresholdX;
  int m_thresholdY;
  bool m_armed = false;
  bool m_dragging = false;
  Point m_press;
  Point m_origin;
  Point m_topLeft;
};

}  // namespace zor::ui
