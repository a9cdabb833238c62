// The region step of a paint: building the shape from the background (what every paint would
// cost without the cache) against handing over the shape built once.
#include <benchmark/benchmark.h>

#include "bench/ui/main_like_picture.h"
#include "gui/controls/drawing.h"
#include "ui/image_canvas.h"

namespace zor {
namespace {

const ui::Image& Picture() {
  static const ui::Image picture = bench::MainLikePicture();
  return picture;
}

void BM_MakeRegionFromBitmap(benchmark::State& state) {
  for (auto _ : state) {
    ui::RegionPtr region = MakeRegionFromBitmap(Picture(), kMagentaKey, kMagentaKey);
    benchmark::DoNotOptimize(region);
  }
  const ui::RegionPtr region = MakeRegionFromBitmap(Picture(), kMagentaKey, kMagentaKey);
  state.counters["rects"] = static_cast<double>(region->RectCount());
  state.counters["batches"] = static_cast<double>(region->Batches().size());
}
BENCHMARK(BM_MakeRegionFromBitmap)->Unit(benchmark::kMicrosecond);

// A canvas that keeps the region it is handed, as a window would.
class RegionSink : public ui::ImageCanvas {
 public:
  explicit RegionSink(ui::Image& image) : ImageCanvas(image) {}
  void SetWindowRegion(const ui::RegionPtr& region, bool) override { m_region = region; }

 private:
  ui::RegionPtr m_region;
};

void BM_CachedRegionStep(benchmark::State& state) {
  const ui::RegionPtr cached = MakeRegionFromBitmap(Picture(), kMagentaKey, kMagentaKey);
  ui::Image screen(1, 1);
  RegionSink canvas(screen);
  ui::Canvas& paint = canvas;
  for (auto _ : state) {
    paint.SetWindowRegion(cached, true);
    benchmark::ClobberMemory();
  }
}
BENCHMARK(BM_CachedRegionStep);

}  // namespace
}  // namespace zor
