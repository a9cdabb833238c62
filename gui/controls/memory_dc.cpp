#include "gui/controls/memory_dc.h"

namespace zor {

CMemoryDC::CMemoryDC(ui::Canvas& target, const ui::Rect* area, bool copyBackground)
    : m_pDC(&target), m_rect(area ? *area : target.ClipBox()) {
  m_bitmap = target.BeginOffscreen(m_rect, copyBackground);
}

}  // namespace zor
