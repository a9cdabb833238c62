#include "ui/region.h"

namespace zor::ui {

size_t Region::RectCount() const {
  size_t count = 0;
  for (const RegionBatch& batch : m_batches) count += batch.rects.size();
  return count;
}

bool Region::Contains(int x, int y) const {
  for (const RegionBatch& batch : m_batches)
    for (const Rect& r : batch.rects)
      if (x >= r.left && x < r.right && y >= r.top && y < r.bottom) return true;
  return false;
}

}  // namespace zor::ui
