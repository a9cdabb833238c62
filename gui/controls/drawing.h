// The drawing helpers every skinned window shares.
#pragma once

#include "ui/canvas.h"
#include "ui/image.h"
#include "ui/region.h"

namespace zor {

// Draws image through mask at (x, y), in the image's size: (background AND mask) OR image. The
// same bitmap as image and mask means a plain copy. A missing image draws nothing.
void DrawMaskedBitmap(ui::Canvas& dc, const ui::Bitmap& image, const ui::Bitmap& mask, int x,
                      int y);

// The rectangles of the pixels of bitmap that are not transparent, a pixel being transparent
// when each of its red, green and blue lies in [key, min(255, key + tolerance)] of that channel.
// Scanned row by row into runs, collected in batches of at most kRegionBatch rectangles; the
// last batch holds what is left (an all-transparent bitmap gives one empty batch, an empty
// region). Null when the bitmap is absent.
ui::RegionPtr MakeRegionFromBitmap(const ui::Bitmap& bitmap, ui::ColorRef key,
                                   ui::ColorRef tolerance);
ui::RegionPtr MakeRegionFromBitmap(const ui::Image& bitmap, ui::ColorRef key,
                                   ui::ColorRef tolerance);

constexpr size_t kRegionBatch = 2000;
constexpr size_t kRegionGrowth = 100;

// The key and tolerance of every window of the program: only pure magenta is transparent.
constexpr ui::ColorRef kMagentaKey = 0xFF00FF;

}  // namespace zor
