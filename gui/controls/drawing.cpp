#include "gui/controls/drawing.h"

#include <algorithm>
#include <climits>

namespace zor {

void DrawMaskedBitmap(ui::Canvas& dc, const ui::Bitmap& image, const ui::Bitmap& mask, int x,
                      int y) {
  if (!image) return;
  if (!mask || mask == image) {
    dc.Copy(*image, x, y);
    return;
  }
  dc.MaskedCopy(*image, *mask, x, y);
}

namespace {

struct ChannelRange {
  uint8_t low;
  uint8_t high;
  bool Holds(uint32_t value) const { return value >= low && value <= high; }
};

ChannelRange RangeOf(uint8_t key, uint8_t tolerance) {
  return ChannelRange{key, static_cast<uint8_t>(std::min(255, key + tolerance))};
}

ui::RegionBatch FreshBatch() {
  ui::RegionBatch batch;
  batch.bounds = ui::Rect{INT_MAX, INT_MAX, 0, 0};
  batch.rects.reserve(kRegionGrowth);
  return batch;
}

}  // namespace

ui::RegionPtr MakeRegionFromBitmap(const ui::Image& bitmap, ui::ColorRef key,
                                   ui::ColorRef tolerance) {
  const ChannelRange red = RangeOf(ui::RedOf(key), ui::RedOf(tolerance));
  const ChannelRange green = RangeOf(ui::GreenOf(key), ui::GreenOf(tolerance));
  const ChannelRange blue = RangeOf(ui::BlueOf(key), ui::BlueOf(tolerance));
  const auto transparent = [&](uint32_t p) {
    return red.Holds((p >> 16) & 0xFF) && green.Holds((p >> 8) & 0xFF) && blue.Holds(p & 0xFF);
  };

  std::vector<ui::RegionBatch> batches;
  ui::RegionBatch batch = FreshBatch();
  for (int y = 0; y < bitmap.height; ++y) {
    const uint32_t* row = bitmap.pixels.data() + static_cast<size_t>(y) * bitmap.width;
    for (int x = 0; x < bitmap.width; ++x) {
      const int x0 = x;
      while (x < bitmap.width && !transparent(row[x])) ++x;
      if (x == x0) continue;
      if (batch.rects.size() == batch.rects.capacity())
        batch.rects.reserve(batch.rects.size() + kRegionGrowth);
      batch.rects.push_back(ui::Rect{x0, y, x, y + 1});
      ui::Rect& b = batch.bounds;
      b.left = std::min(b.left, x0);
      b.top = std::min(b.top, y);
      b.right = std::max(b.right, x);
      b.bottom = std::max(b.bottom, y + 1);
      if (batch.rects.size() == kRegionBatch) {
        batches.push_back(std::move(batch));
        batch = FreshBatch();
      }
    }
  }
  batches.push_back(std::move(batch));
  return std::make_shared<const ui::Region>(std::move(batches));
}

ui::RegionPtr MakeRegionFromBitmap(const ui::Bitmap& bitmap, ui::ColorRef key,
                                   ui::ColorRef tolerance) {
  if (!bitmap) return nullptr;
  return MakeRegionFromBitmap(*bitmap, key, tolerance);
}

}  // namespace zor
