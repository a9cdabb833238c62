#include <gtest/gtest.h>

#include "gui/controls/drawing.h"

namespace zor {
namespace {

constexpr uint32_t kMagenta = ui::Pixel(255, 0, 255);
constexpr uint32_t kGrey = ui::Pixel(80, 80, 80);

// Rows of a picture drawn with '#' for an opaque pixel and '.' for magenta.
ui::Image Picture(std::initializer_list<const char*> rows) {
  const int width = static_cast<int>(std::string(*rows.begin()).size());
  ui::Image image(width, static_cast<int>(rows.size()));
  int y = 0;
  for (const char* row : rows) {
    for (int x = 0; x < width; ++x) image.At(x, y) = row[x] == '#' ? kGrey : kMagenta;
    ++y;
  }
  return image;
}

std::vector<ui::Rect> AllRects(const ui::Region& region) {
  std::vector<ui::Rect> all;
  for (const ui::RegionBatch& batch : region.Batches())
    all.insert(all.end(), batch.rects.begin(), batch.rects.end());
  return all;
}

TEST(MakeRegionFromBitmap, WithoutMagentaEveryRowIsOneFullWidthRectangle) {
  const ui::Image image(7, 3, kGrey);
  const ui::RegionPtr region = MakeRegionFromBitmap(image, kMagentaKey, kMagentaKey);
  ASSERT_TRUE(region);
  const std::vector<ui::Rect> expected = {{0, 0, 7, 1}, {0, 1, 7, 2}, {0, 2, 7, 3}};
  EXPECT_EQ(AllRects(*region), expected);
  ASSERT_EQ(region->Batches().size(), 1u);
  EXPECT_EQ(region->Batches()[0].bounds, (ui::Rect{0, 0, 7, 3}));
}

TEST(MakeRegionFromBitmap, AllMagentaGivesAnEmptyRegionNotNone) {
  const ui::Image image(5, 4, kMagenta);
  const ui::RegionPtr region = MakeRegionFromBitmap(image, kMagentaKey, kMagentaKey);
  ASSERT_TRUE(region);
  EXPECT_TRUE(region->Empty());
  EXPECT_FALSE(region->Contains(0, 0));
}

TEST(MakeRegionFromBitmap, AbsentBitmapGivesNone) {
  EXPECT_FALSE(MakeRegionFromBitmap(ui::Bitmap(), kMagentaKey, kMagentaKey));
}

TEST(MakeRegionFromBitmap, RunsAreSplitByMagentaPixels) {
  const ui::Image image = Picture({"##.###.", "..#....", "......."});
  const std::vector<ui::Rect> expected = {{0, 0, 2, 1}, {3, 0, 6, 1}, {2, 1, 3, 2}};
  EXPECT_EQ(AllRects(*MakeRegionFromBitmap(image, kMagentaKey, kMagentaKey)), expected);
}

TEST(MakeRegionFromBitmap, BatchesOfTwoThousandCoverTheSamePixels) {
  // Alternating pixels: 301 runs a row, 4515 runs in all, so three batches.
  ui::Image image(601, 15, kMagenta);
  for (int y = 0; y < image.height; ++y)
    for (int x = 0; x < image.width; x += 2) image.At(x, y) = kGrey;
  const ui::RegionPtr region = MakeRegionFromBitmap(image, kMagentaKey, kMagentaKey);
  const auto& batches = region->Batches();
  ASSERT_EQ(batches.size(), 3u);
  EXPECT_EQ(batches[0].rects.size(), kRegionBatch);
  EXPECT_EQ(batches[1].rects.size(), kRegionBatch);
  EXPECT_EQ(batches[2].rects.size(), 4515u - 2 * kRegionBatch);
  // Each batch's bounds hold exactly its own rectangles.
  for (const ui::RegionBatch& batch : batches) {
    ui::Rect b{INT32_MAX, INT32_MAX, 0, 0};
    for (const ui::Rect& r : batch.rects) {
      b.left = std::min(b.left, r.left);
      b.top = std::min(b.top, r.top);
      b.right = std::max(b.right, r.right);
      b.bottom = std::max(b.bottom, r.bottom);
    }
    EXPECT_EQ(batch.bounds, b);
  }
  for (int y = 0; y < image.height; ++y)
    for (int x = 0; x < image.width; ++x)
      ASSERT_EQ(region->Contains(x, y), image.At(x, y) == kGrey) << x << "," << y;
}

TEST(MakeRegionFromBitmap, ExactMultipleOfTheBatchLeavesAnEmptyLastBatch) {
  ui::Image image(2 * static_cast<int>(kRegionBatch), 1, kMagenta);
  for (int x = 0; x < image.width; x += 2) image.At(x, 0) = kGrey;
  const ui::RegionPtr region = MakeRegionFromBitmap(image, kMagentaKey, kMagentaKey);
  ASSERT_EQ(region->Batches().size(), 2u);
  EXPECT_TRUE(region->Batches()[1].rects.empty());
  EXPECT_EQ(region->RectCount(), kRegionBatch);
}

TEST(MakeRegionFromBitmap, KeyRangesRunFromKeyToKeyPlusToleranceCappedAt255) {
  struct Case {
    uint32_t pixel;
    ui::ColorRef key;
    ui::ColorRef tolerance;
    bool transparent;
  };
  const Case cases[] = {
      // Magenta key and tolerance: only exact magenta.
      {ui::Pixel(255, 0, 255), 0xFF00FF, 0xFF00FF, true},
      {ui::Pixel(254, 0, 255), 0xFF00FF, 0xFF00FF, false},
      {ui::Pixel(255, 1, 255), 0xFF00FF, 0xFF00FF, false},
      {ui::Pixel(255, 0, 254), 0xFF00FF, 0xFF00FF, false},
      // Key red 100, green 10, blue 0 with tolerance 5 each: both ends included.
      {ui::Pixel(100, 10, 0), ui::Rgb(100, 10, 0), ui::Rgb(5, 5, 5), true},
      {ui::Pixel(105, 15, 5), ui::Rgb(100, 10, 0), ui::Rgb(5, 5, 5), true},
      {ui::Pixel(106, 15, 5), ui::Rgb(100, 10, 0), ui::Rgb(5, 5, 5), false},
      {ui::Pixel(99, 10, 0), ui::Rgb(100, 10, 0), ui::Rgb(5, 5, 5), false},
      {ui::Pixel(105, 16, 5), ui::Rgb(100, 10, 0), ui::Rgb(5, 5, 5), false},
      // Channels are not swapped: a blue-only tolerance does not widen red.
      {ui::Pixel(0, 0, 40), ui::Rgb(0, 0, 0), ui::Rgb(0, 0, 50), true},
      {ui::Pixel(40, 0, 0), ui::Rgb(0, 0, 0), ui::Rgb(0, 0, 50), false},
      // A key near the top with a large tolerance stops at 255 rather than wrapping round.
      {ui::Pixel(255, 255, 255), ui::Rgb(250, 250, 250), ui::Rgb(200, 200, 200), true},
      {ui::Pixel(10, 255, 255), ui::Rgb(250, 250, 250), ui::Rgb(200, 200, 200), false},
  };
  for (const Case& c : cases) {
    const ui::Image image(1, 1, c.pixel);
    const ui::RegionPtr region = MakeRegionFromBitmap(image, c.key, c.tolerance);
    EXPECT_EQ(region->Empty(), c.transparent)
        << std::hex << "pixel " << c.pixel << " key " << c.key << " tolerance " << c.tolerance;
  }
}

}  // namespace
}  // namespace zor
