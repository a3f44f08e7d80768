// Paint costs of the headless device context for a 1920 x 1080 window showing a
// 2550 x 3300 page (a letter page at 300 dpi), against copying the window's
// bytes once with memcpy in the same run. The blits are called as the view
// calls them: only the visible source rectangle, rows counted from the bottom.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstring>
#include <random>
#include <vector>

#include "memcpy_paired.h"
#include "platform/raster/SurfaceDeviceContext.h"

namespace {

using namespace orlim;

using orlim::bench::kWindowHeight;
using orlim::bench::kWindowWidth;
constexpr int kPageWidth = 2550, kPageHeight = 3300;

// A packed 24-bit bottom-up DIB of noisy rows.
struct Page {
  std::vector<std::uint8_t> block;
  int width, height;

  Page(int w, int h, int bits) : width(w), height(h) {
    const int palette = bits <= 8 ? 4 << bits : 0;
    const std::size_t stride = ((std::size_t(w) * bits + 31) / 32) * 4;
    block.resize(40 + palette + stride * h);
    const BITMAPINFOHEADER header{40, w, h, 1, WORD(bits), BI_RGB, DWORD(stride * h), 11811, 11811, 0, 0};
    std::memcpy(block.data(), &header, 40);
    for (int i = 0; i < palette / 4; ++i) std::memset(block.data() + 40 + 4 * i, i, 3);
    std::mt19937 rng(1);
    for (std::size_t i = 40 + palette; i < block.size(); i += 4) {
      const std::uint32_t v = rng();
      std::memcpy(block.data() + i, &v, std::min<std::size_t>(4, block.size() - i));
    }
  }
  const BITMAPINFO* info() const { return reinterpret_cast<const BITMAPINFO*>(block.data()); }
  const std::uint8_t* bits() const {
    return block.data() + 40 + (info()->bmiHeader.biBitCount <= 8 ? 4 << info()->bmiHeader.biBitCount : 0);
  }
};

const Page& fullPage() {
  static const Page page(kPageWidth, kPageHeight, 24);
  return page;
}
const Page& halfPage() {  // rendered reduced by the decoder at zoom -1
  static const Page page(kPageWidth / 2, kPageHeight / 2, 24);
  return page;
}
const Page& grayPage() {
  static const Page page(kPageWidth, kPageHeight, 8);
  return page;
}

// The one-to-one copy of the view: window-sized source rectangle at (left, top).
int copyVisible(SurfaceDeviceContext& dc, const Page& page, int left, int top, int width, int height) {
  const int srcY = page.height - (height + top);
  return dc.SetDIBitsToDevice(0, 0, width, height, left, srcY, 0, srcY + height, page.bits(), page.info(),
                              DIB_RGB_COLORS);
}

// The baseline against itself: x_memcpy near 1 shows the pairing is fair.
void BM_Memcpy_Window(benchmark::State& state) {
  std::vector<std::uint32_t> from(std::size_t(kWindowWidth) * kWindowHeight, 1), to(from.size());
  orlim::bench::measureAgainstMemcpy(state, [&] {
    std::memcpy(to.data(), from.data(), from.size() * 4);
    benchmark::ClobberMemory();
  });
}

void BM_Paint_Zoom0_OneToOne(benchmark::State& state) {
  Surface surface(kWindowWidth, kWindowHeight);
  SurfaceDeviceContext dc(surface);
  orlim::bench::measureAgainstMemcpy(state, [&] {
    dc.FillRect({0, 0, kWindowWidth, kWindowHeight}, RGB(255, 255, 255));
    copyVisible(dc, fullPage(), 100, 200, kWindowWidth, kWindowHeight);
  });
}

void BM_Paint_ZoomMinus1_DecoderReduced(benchmark::State& state) {
  Surface surface(kWindowWidth, kWindowHeight);
  SurfaceDeviceContext dc(surface);
  const Page& page = halfPage();
  const int originX = (kWindowWidth - page.width) / 2;
  orlim::bench::measureAgainstMemcpy(state, [&] {
    dc.FillRect({0, 0, kWindowWidth, kWindowHeight}, RGB(255, 255, 255));
    const int srcY = page.height - kWindowHeight;
    dc.SetDIBitsToDevice(originX, 0, page.width, kWindowHeight, 0, srcY, 0, srcY + kWindowHeight, page.bits(),
                         page.info(), DIB_RGB_COLORS);
  });
}

void stretchHalf(benchmark::State& state, int mode) {
  Surface surface(kWindowWidth, kWindowHeight);
  SurfaceDeviceContext dc(surface);
  const Page& page = fullPage();
  const int drawWidth = (kPageWidth + 1) / 2, visibleHeight = 2 * kWindowHeight;
  const int originX = (kWindowWidth - drawWidth) / 2;
  orlim::bench::measureAgainstMemcpy(state, [&] {
    dc.FillRect({0, 0, kWindowWidth, kWindowHeight}, RGB(255, 255, 255));
    const int old = dc.SetStretchBltMode(mode);
    dc.StretchDIBits(originX, 0, drawWidth, kWindowHeight, 0, kPageHeight - visibleHeight, kPageWidth, visibleHeight,
                     page.bits(), page.info(), DIB_RGB_COLORS, SRCCOPY);
    dc.SetStretchBltMode(old);
  });
}

void BM_Paint_ZoomMinus1_StretchedByBlit(benchmark::State& state) { stretchHalf(state, COLORONCOLOR); }
void BM_Paint_ZoomMinus1_HalftoneStretch(benchmark::State& state) { stretchHalf(state, HALFTONE); }

// Panning repaints the picture over itself (no background fill) 10 pixels on.
void BM_Pan_10px(benchmark::State& state) {
  Surface surface(kWindowWidth, kWindowHeight);
  SurfaceDeviceContext dc(surface);
  int left = 100;
  orlim::bench::measureAgainstMemcpy(state, [&] {
    left = left == 100 ? 110 : 100;
    copyVisible(dc, fullPage(), left, 200, kWindowWidth, kWindowHeight);
  });
}

void BM_Paint_Zoom0_Gray8(benchmark::State& state) {
  Surface surface(kWindowWidth, kWindowHeight);
  SurfaceDeviceContext dc(surface);
  orlim::bench::measureAgainstMemcpy(state,
                                     [&] { copyVisible(dc, grayPage(), 100, 200, kWindowWidth, kWindowHeight); });
}

void BM_Paint_Zoom1_Enlarged(benchmark::State& state) {
  Surface surface(kWindowWidth, kWindowHeight);
  SurfaceDeviceContext dc(surface);
  const Page& page = fullPage();
  orlim::bench::measureAgainstMemcpy(state, [&] {
    dc.SetStretchBltMode(COLORONCOLOR);
    dc.StretchDIBits(0, 0, kWindowWidth, kWindowHeight, 300, kPageHeight - 400 - kWindowHeight / 2, kWindowWidth / 2,
                     kWindowHeight / 2, page.bits(), page.info(), DIB_RGB_COLORS, SRCCOPY);
  });
}

// The background fill every paint without noErase starts with.
void BM_Fill_Window(benchmark::State& state) {
  Surface surface(kWindowWidth, kWindowHeight);
  SurfaceDeviceContext dc(surface);
  orlim::bench::measureAgainstMemcpy(state, [&] {
    dc.FillRect({0, 0, kWindowWidth, kWindowHeight}, RGB(255, 255, 255));
  });
}

const Page& bitonalPage() {
  static const Page page(kPageWidth, kPageHeight, 1);
  return page;
}

void BM_Paint_Zoom0_Bitonal1(benchmark::State& state) {
  Surface surface(kWindowWidth, kWindowHeight);
  SurfaceDeviceContext dc(surface);
  orlim::bench::measureAgainstMemcpy(state,
                                     [&] { copyVisible(dc, bitonalPage(), 100, 200, kWindowWidth, kWindowHeight); });
}

}  // namespace

BENCHMARK(BM_Memcpy_Window)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Fill_Window)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Paint_Zoom0_OneToOne)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Paint_ZoomMinus1_DecoderReduced)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Paint_ZoomMinus1_StretchedByBlit)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Pan_10px)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Paint_Zoom0_Gray8)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Paint_Zoom0_Bitonal1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Paint_Zoom1_Enlarged)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Paint_ZoomMinus1_HalftoneStretch)->Unit(benchmark::kMillisecond);
