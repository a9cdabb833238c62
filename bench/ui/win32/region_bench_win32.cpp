// region_bench.exe: the window-shape step on a 600 x 545 picture, three ways in one run:
// a per-pixel GetPixel scan, a scan of the bitmap's bits (MakeRegionFromBitmap), and a repaint
// with the region built once (a copy of the cached HRGN handed to SetWindowRgn).
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <vector>

#include "bench/ui/main_like_picture.h"
#include "gui/controls/drawing.h"
#include "ui/win32/win32_canvas.h"

namespace {

using zor::ui::Image;

HBITMAP MakeBitmap(const Image& image) {
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  info.bmiHeader.biWidth = image.width;
  info.bmiHeader.biHeight = -image.height;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  HBITMAP bitmap = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  if (bitmap) std::copy(image.pixels.begin(), image.pixels.end(), static_cast<uint32_t*>(bits));
  return bitmap;
}

// The same runs, batches and ranges as MakeRegionFromBitmap, but asking GDI for every pixel.
HRGN ScanWithGetPixel(HBITMAP bitmap, int width, int height) {
  HDC dc = CreateCompatibleDC(nullptr);
  HGDIOBJ old = SelectObject(dc, bitmap);
  std::vector<zor::ui::RegionBatch> batches(1);
  batches.back().bounds = zor::ui::Rect{INT_MAX, INT_MAX, 0, 0};
  const auto transparent = [](COLORREF c) {
    return GetRValue(c) == 255 && GetGValue(c) == 0 && GetBValue(c) == 255;
  };
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      const int x0 = x;
      while (x < width && !transparent(GetPixel(dc, x, y))) ++x;
      if (x == x0) continue;
      zor::ui::RegionBatch& batch = batches.back();
      batch.rects.push_back(zor::ui::Rect{x0, y, x, y + 1});
      batch.bounds.left = std::min(batch.bounds.left, x0);
      batch.bounds.top = std::min(batch.bounds.top, y);
      batch.bounds.right = std::max(batch.bounds.right, x);
      batch.bounds.bottom = std::max(batch.bounds.bottom, y + 1);
      if (batch.rects.size() == zor::kRegionBatch) {
        batches.emplace_back();
        batches.back().bounds = zor::ui::Rect{INT_MAX, INT_MAX, 0, 0};
      }
    }
  }
  SelectObject(dc, old);
  DeleteDC(dc);
  return zor::ui::CreateNativeRegion(zor::ui::Region(std::move(batches)));
}

// The bitmap's bits as an Image, read through GetDIBits as the resource loader does.
std::shared_ptr<Image> ReadBits(HBITMAP bitmap, int width, int height) {
  auto image = std::make_shared<Image>(width, height);
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  // A memory DC: reading a DIB section's bits needs no trip to the display.
  HDC dc = CreateCompatibleDC(nullptr);
  GetDIBits(dc, bitmap, 0, static_cast<UINT>(height), image->pixels.data(), &info,
            DIB_RGB_COLORS);
  DeleteDC(dc);
  for (uint32_t& p : image->pixels) p &= 0x00FFFFFFu;
  return image;
}

// The bits read once through a DIB, scanned in memory.
HRGN ScanBits(HBITMAP bitmap, int width, int height) {
  const std::shared_ptr<Image> image = ReadBits(bitmap, width, height);
  const zor::ui::RegionPtr region =
      zor::MakeRegionFromBitmap(*image, zor::kMagentaKey, zor::kMagentaKey);
  return zor::ui::CreateNativeRegion(*region);
}

double Now() {
  LARGE_INTEGER count;
  LARGE_INTEGER frequency;
  QueryPerformanceCounter(&count);
  QueryPerformanceFrequency(&frequency);
  return static_cast<double>(count.QuadPart) * 1000.0 / static_cast<double>(frequency.QuadPart);
}

// Median milliseconds of one call over runs.
double Median(int runs, const std::function<void()>& step) {
  std::vector<double> times;
  for (int i = 0; i < runs; ++i) {
    const double start = Now();
    step();
    times.push_back(Now() - start);
  }
  std::sort(times.begin(), times.end());
  return times[times.size() / 2];
}

}  // namespace

int main() {
  const Image picture = zor::bench::MainLikePicture();
  HBITMAP bitmap = MakeBitmap(picture);
  if (!bitmap) {
    std::fprintf(stderr, "cannot create the bitmap\n");
    return 1;
  }
  const int w = picture.width;
  const int h = picture.height;

  HRGN slow = ScanWithGetPixel(bitmap, w, h);
  HRGN fast = ScanBits(bitmap, w, h);
  const bool same = slow && fast && EqualRgn(slow, fast);
  DeleteObject(slow);
  DeleteObject(fast);

  const double getPixelMs = Median(7, [&] { DeleteObject(ScanWithGetPixel(bitmap, w, h)); });
  const double bitsMs = Median(51, [&] { DeleteObject(ScanBits(bitmap, w, h)); });

  // The repaint's region step with the shape built once: a copy handed to a (hidden) window.
  HWND window = CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, w, h, nullptr, nullptr,
                                GetModuleHandleA(nullptr), nullptr);
  const zor::ui::RegionPtr cached =
      zor::MakeRegionFromBitmap(picture, zor::kMagentaKey, zor::kMagentaKey);
  const double handoffMs =
      Median(501, [&] { zor::ui::ApplyWindowRegion(window, cached, false, nullptr); });
  zor::ui::RegionPtr applied;
  const double unchangedMs =
      Median(501, [&] { zor::ui::ApplyWindowRegion(window, cached, false, &applied); });
  // Where the bits scan spends its time.
  const double readMs = Median(51, [&] { ReadBits(bitmap, w, h); });
  const double scanMs = Median(51, [&] {
    zor::ui::RegionPtr r = zor::MakeRegionFromBitmap(picture, zor::kMagentaKey, zor::kMagentaKey);
    (void)r;
  });
  const double hrgnMs = Median(51, [&] { DeleteObject(zor::ui::CreateNativeRegion(*cached)); });
  HRGN master = zor::ui::CreateNativeRegion(*cached);
  const double copyMs = Median(501, [&] {
    HRGN copy = CreateRectRgn(0, 0, 0, 0);
    CombineRgn(copy, master, nullptr, RGN_COPY);
    DeleteObject(copy);
  });
  DeleteObject(master);
  DestroyWindow(window);
  DeleteObject(bitmap);

  std::printf("picture %dx%d, %zu rectangles in %zu batches, same region both ways: %s\n", w, h,
              cached->RectCount(), cached->Batches().size(), same ? "yes" : "NO");
  std::printf("GetPixel scan + region:          %9.4f ms\n", getPixelMs);
  std::printf("bits scan + region:              %9.4f ms\n", bitsMs);
  std::printf("  of which reading the bits:       %9.4f ms\n", readMs);
  std::printf("  of which the scan of the bits:   %9.4f ms\n", scanMs);
  std::printf("  of which building the HRGN:      %9.4f ms\n", hrgnMs);
  std::printf("cached region, copy to window:   %9.4f ms\n", handoffMs);
  std::printf("  of which copying the HRGN:       %9.4f ms\n", copyMs);
  std::printf("cached region, already applied:  %9.4f ms\n", unchangedMs);
  return same ? 0 : 1;
}
