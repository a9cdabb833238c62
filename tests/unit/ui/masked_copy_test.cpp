#include <gtest/gtest.h>

#include "gui/controls/drawing.h"
#include "gui/controls/memory_dc.h"
#include "ui/image_canvas.h"
#include "ui/testing/test_host.h"

namespace zor {
namespace {

constexpr uint32_t kWhite = 0xFFFFFF;
constexpr uint32_t kBlack = 0x000000;
constexpr uint32_t kSky = ui::Pixel(40, 120, 200);
constexpr uint32_t kRed = ui::Pixel(220, 30, 30);

TEST(DrawMaskedBitmap, SameBitmapAsMaskIsAPlainCopy) {
  ui::Image screen(4, 4, kSky);
  ui::ImageCanvas canvas(screen);
  auto image = std::make_shared<const ui::Image>(2, 2, ui::Pixel(10, 200, 10));
  DrawMaskedBitmap(canvas, image, image, 1, 1);
  EXPECT_EQ(screen.At(1, 1), ui::Pixel(10, 200, 10));
  EXPECT_EQ(screen.At(2, 2), ui::Pixel(10, 200, 10));
  EXPECT_EQ(screen.At(0, 0), kSky);
  EXPECT_EQ(screen.At(3, 3), kSky);
}

TEST(DrawMaskedBitmap, PixelIdenticalCopyAsMaskGivesTheImageUnchanged) {
  // (background AND image) OR image is the image, whatever the background.
  ui::Image screen(3, 1, 0);
  screen.At(0, 0) = kSky;
  screen.At(1, 0) = kWhite;
  screen.At(2, 0) = ui::Pixel(0x5A, 0xA5, 0x3C);
  ui::ImageCanvas canvas(screen);
  ui::Image picture(3, 1);
  picture.At(0, 0) = kRed;
  picture.At(1, 0) = ui::Pixel(1, 2, 3);
  picture.At(2, 0) = kBlack;
  auto image = std::make_shared<const ui::Image>(picture);
  auto mask = std::make_shared<const ui::Image>(picture);
  DrawMaskedBitmap(canvas, image, mask, 0, 0);
  EXPECT_EQ(screen.pixels, picture.pixels);
}

TEST(DrawMaskedBitmap, TrueMaskLetsTheBackgroundShowThrough) {
  ui::Image screen(4, 1, kSky);
  ui::ImageCanvas canvas(screen);
  // Opaque red in the middle two pixels; the image is black and the mask white elsewhere.
  ui::Image picture(4, 1, kBlack);
  ui::Image cutout(4, 1, kWhite);
  for (int x = 1; x < 3; ++x) {
    picture.At(x, 0) = kRed;
    cutout.At(x, 0) = kBlack;
  }
  DrawMaskedBitmap(canvas, std::make_shared<const ui::Image>(picture),
                   std::make_shared<const ui::Image>(cutout), 0, 0);
  EXPECT_EQ(screen.pixels, (std::vector<uint32_t>{kSky, kRed, kRed, kSky}));
}

TEST(DrawMaskedBitmap, ClipsAtTheEdgesAndIgnoresAMissingImage) {
  ui::Image screen(3, 3, kSky);
  ui::ImageCanvas canvas(screen);
  DrawMaskedBitmap(canvas, nullptr, nullptr, 0, 0);
  EXPECT_EQ(screen.pixels, std::vector<uint32_t>(9, kSky));
  auto image = std::make_shared<const ui::Image>(4, 4, kRed);
  DrawMaskedBitmap(canvas, image, image, -2, 2);
  EXPECT_EQ(screen.At(0, 2), kRed);
  EXPECT_EQ(screen.At(1, 2), kRed);
  EXPECT_EQ(screen.At(2, 2), kSky);
  EXPECT_EQ(screen.At(0, 1), kSky);
}

TEST(ImageCanvas, StretchScalesThePartAskedForByNearestPixel) {
  ui::Image source(3, 1);
  source.pixels = {kRed, kSky, kWhite};
  ui::Image screen(5, 3, kBlack);
  ui::ImageCanvas canvas(screen);
  canvas.Stretch(source, ui::Rect{1, 0, 3, 1}, ui::Rect{1, 1, 5, 3});
  EXPECT_EQ(screen.At(1, 1), kSky);
  EXPECT_EQ(screen.At(2, 2), kSky);
  EXPECT_EQ(screen.At(3, 1), kWhite);
  EXPECT_EQ(screen.At(4, 2), kWhite);
  EXPECT_EQ(screen.At(0, 1), kBlack);
  EXPECT_EQ(screen.At(1, 0), kBlack);
}

class Blank : public ui::Window {};

TEST(CMemoryDC, NothingReachesTheScreenUntilItIsDestroyed) {
  Blank window;
  ui::TestHost host(window, ui::Rect{0, 0, 8, 8});
  auto client = host.ClientCanvas();
  const ui::Image red(8, 8, kRed);
  client->Copy(red, 0, 0);
  host.ClearOps();
  {
    const ui::Rect area{2, 2, 6, 6};
    CMemoryDC dc(*client, &area, true);
    dc.Fill(ui::Rect{2, 2, 4, 6}, ui::Rgb(0, 0, 255));
    dc.Text(3, 3, "x");
    EXPECT_TRUE(host.Ops().empty());
    EXPECT_EQ(host.Screen().At(2, 2), kRed);
  }
  ASSERT_EQ(host.Ops().size(), 2u);
  EXPECT_EQ(host.Ops()[1].text, "x");
  EXPECT_EQ(host.Screen().At(2, 2), ui::Pixel(0, 0, 255));  // drawn at the area's coordinates
  EXPECT_EQ(host.Screen().At(5, 5), kRed);                  // copied background kept
  EXPECT_EQ(host.Screen().At(1, 1), kRed);                  // outside the area untouched
}

TEST(CMemoryDC, WithoutCopyStartsFromTheBackgroundColourOverTheClipBox) {
  ui::Image screen(4, 4, kRed);
  ui::ImageCanvas canvas(screen, ui::Point{}, ui::Rgb(0, 255, 0));
  { CMemoryDC dc(canvas); }
  EXPECT_EQ(screen.pixels, std::vector<uint32_t>(16, ui::Pixel(0, 255, 0)));
}

}  // namespace
}  // namespace zor
