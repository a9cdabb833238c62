#include "common/figure_liveness.h"

namespace zor {

void FigureLiveness::Tick(const std::string& figures, const std::function<bool()>& serviceStopped) {
  if (figures != m_lastFigures) {
    m_lastFigures = figures;
    m_nStill = 0;
    m_bStale = false;
    return;
  }
  if (m_nStill < kStillSeconds) ++m_nStill;
  // Asked every second while still: a service started again is seen at the next tick.
  if (m_nStill >= kStillSeconds) m_bStale = serviceStopped();
}

}  // namespace zor
