#include "ui/drag_tracker.h"

#include <cstdlib>

namespace zor::ui {

void DragTracker::Arm(Point pointer, Point windowTopLeft) {
  m_armed = true;
  m_dragging = false;
  m_press = pointer;
  m_origin = windowTopLeft;
  m_topLeft = windowTopLeft;
}

DragTracker::Step DragTracker::Move(Point pointer) {
  if (!m_armed) return Step::None;
  const int dx = pointer.x - m_press.x;
  const int dy = pointer.y - m_press.y;
  Step step = Step::Moving;
  if (!m_dragging) {
    if (std::abs(dx) <= m_thresholdX && std::abs(dy) <= m_thresholdY) return Step::None;
    m_dragging = true;
    step = Step::Started;
  }
  m_topLeft = Point{m_origin.x + dx, m_origin.y + dy};
  return step;
}

bool DragTracker::Release() {
  const bool dragged = m_dragging;
  m_armed = false;
  m_dragging = false;
  return dragged;
}

}  // namespace zor::ui
