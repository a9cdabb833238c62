// A window shape as a union of rectangles, kept in the batches it was built in so that the
// platform can create one region per batch and unite them. Immutable once built: a window keeps one
// per background and hands it to the window at every paint.
#pragma once

#include <memory>
#include <vector>

#include "ui/geometry.h"

namespace zor::ui {

struct RegionBatch {
  Rect bounds;               // (0x7FFFFFFF, 0x7FFFFFFF, 0, 0) while empty
  std::vector<Rect> rects;
};

class Region {
 public:
  explicit Region(std::vector<RegionBatch> batches) : m_batches(std::move(batches)) {}

  const std::vector<RegionBatch>& Batches() const { return m_batches; }
  size_t RectCount() const;
  bool Empty() const { return RectCount() == 0; }
  // Whether (x, y) lies in one of the rectangles.
  bool Contains(int x, int y) const;

  // The platform's own region object, built on first use and reused by every later paint.
  const std::shared_ptr<void>& NativeCache() const { return m_native; }
  void SetNativeCache(std::shared_ptr<void> native) const { m_native = std::move(native); }

 private:
  std::vector<RegionBatch> m_batches;
  mutable std::shared_ptr<void> m_native;
};

using RegionPtr = std::shared_ptr<const Region>;

}  // namespace zor::ui
