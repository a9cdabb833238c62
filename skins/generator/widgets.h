// Pieces shared by several libraries: the brand mark, the slider, the segment digits.
#pragma once

#include "skins/generator/canvas.h"
#include "skins/generator/image.h"

namespace zor::skins {

// The brand mark: a power symbol whose stem grows a leaf.
void DrawPowerLeaf(Canvas& c, double cx, double cy, double r, Rgb color);

// Slider pieces (program bitmaps 131 and 130). The track is opaque and self-contained; the thumb
// is keyed on its top-left pixel (magenta) and blended over the track at its edge.
constexpr int kTrackW = 118;
constexpr int kTrackH = 22;
constexpr int kThumbW = 38;
constexpr int kThumbH = 22;
Image SliderTrack();
Image SliderThumb();

// A seven-segment digit (0-9) in the cell (x, y, w, h) with a faint unlit "8" behind it; a
// negative digit draws only the unlit "8".
void SegmentDigit(Canvas& c, double x, double y, double w, double h, int digit, Rgb lit,
                  double ghost);

}  // namespace zor::skins
