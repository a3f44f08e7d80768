// Paints of the control itself: a 1920 x 1080 window showing a 2550 x 3300 page
// (a letter page at 300 dpi) through OnDraw - background, palette, blit, Paint
// event - against copying the window's bytes once with memcpy in the same run.
// Cases: zoom 0 (one to one), zoom -1 with the page reduced by the DjVu
// decoder, zoom -1 without FancyZoom (reduced by the blit), and a 10-pixel pan.
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "bench_pictures.h"
#include "control/OrlimCtrl.h"
#include "memcpy_paired.h"
#include "platform/headless/HeadlessApplication.h"
#include "platform/headless/HeadlessWindow.h"

namespace {

using namespace orlim;

using orlim::bench::kWindowHeight;
using orlim::bench::kWindowWidth;
constexpr int kPageWidth = 2550, kPageHeight = 3300;

std::string benchFolder() {
  const auto folder = std::filesystem::temp_directory_path() / "orlim_view_bench";
  std::filesystem::create_directories(folder);
  return folder.string();
}

// The page as a 24-bit BMP of pseudo-random pixels, written once.
const std::string& bmpPage() {
  static const std::string path = [] {
    const std::string p = benchFolder() + "/page.bmp";
    if (!std::filesystem::exists(p)) {
      Image im;
      bench::makeBenchPicture(im, kPageWidth, kPageHeight, 24);
      im.writeBmp(p.c_str());
    }
    return p;
  }();
  return path;
}

// The page as a DjVu photo page (DjVuLibre's c44), written once; empty when the
// tools are missing.
const std::string& djvuPage() {
  static const std::string path = [] {
    const std::string folder = benchFolder(), p = folder + "/page.djvu";
    if (std::filesystem::exists(p)) return p;
    const std::string ppm = folder + "/page.ppm";
    const std::string make = "convert -size " + std::to_string(kPageWidth) + "x" + std::to_string(kPageHeight) +
                             " gradient:navy-orange -swirl 200 '" + ppm + "' && c44 '" + ppm + "' '" + p + "'";
    return std::system(make.c_str()) == 0 ? p : std::string();
  }();
  return path;
}

// A control in a window of the benchmark's size with a picture loaded.
struct View {
  HeadlessApplication application;
  HeadlessWindow window{kWindowWidth, kWindowHeight};
  COrlimCtrl control;

  View(const std::string& path, int zoom, bool fancyZoom) {
    control.AttachWindow(&window);
    control.ResetState();
    window.Resize(kWindowWidth, kWindowHeight);
    control.SetFancyZoom(fancyZoom);
    control.SetPicture(path);
    control.SetZoomLevel(zoom);
    while (window.DeliverPendingPaint()) {
    }
  }
  void repaint() {
    window.Invalidate(nullptr, true);
    window.DeliverPendingPaint();
  }
};

void BM_View_Zoom0_OneToOne(benchmark::State& state) {
  View view(bmpPage(), 0, true);
  if (!view.control.hasPicture()) return state.SkipWithError("page not loaded");
  orlim::bench::measureAgainstMemcpy(state, [&] { view.repaint(); });
}

void BM_View_ZoomMinus1_DecoderReduced(benchmark::State& state) {
  if (djvuPage().empty()) return state.SkipWithError("DjVuLibre tools missing");
  View view(djvuPage(), -1, true);
  if (view.control.image.width != (kPageWidth + 1) / 2 && view.control.image.width != kPageWidth / 2)
    return state.SkipWithError("page not reduced by the decoder");
  orlim::bench::measureAgainstMemcpy(state, [&] { view.repaint(); });
}

void BM_View_ZoomMinus1_StretchedByBlit(benchmark::State& state) {
  if (djvuPage().empty()) return state.SkipWithError("DjVuLibre tools missing");
  View view(djvuPage(), -1, false);
  if (view.control.image.width != kPageWidth) return state.SkipWithError("page not full size");
  orlim::bench::measureAgainstMemcpy(state, [&] { view.repaint(); });
}

// A pan: the mouse moves 10 pixels with the button down and the picture is
// painted over itself at the new position (back and forth, so it never stops).
void BM_View_Pan_10px(benchmark::State& state) {
  View view(bmpPage(), 0, true);
  if (!view.control.hasPicture()) return state.SkipWithError("page not loaded");
  view.control.SetScrollPosX(300);
  view.control.SetScrollPosY(300);
  while (view.window.DeliverPendingPaint()) {
  }
  POINT at{900, 500};
  view.window.SendLButtonDown(MK_LBUTTON, at);
  int step = 10;
  orlim::bench::measureAgainstMemcpy(state, [&] {
    at.x += step;
    step = -step;
    view.window.SendMouseMove(MK_LBUTTON, at);
    view.window.DeliverPendingPaint();
  });
  view.window.SendLButtonUp(0, at);
}

BENCHMARK(BM_View_Zoom0_OneToOne)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_View_ZoomMinus1_DecoderReduced)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_View_ZoomMinus1_StretchedByBlit)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_View_Pan_10px)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
