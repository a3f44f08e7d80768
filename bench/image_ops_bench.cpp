// The editing engine on a 6000 x 4000 photo and a 2550 x 3300 bi-level page.
// bench/peers.sh runs the same operations with imagemagick and libvips.
#include <benchmark/benchmark.h>

#include <cstring>
#include <vector>

#include "bench_pictures.h"

namespace {

using orlim::Image;
using orlim::bench::makeBenchPicture;

struct Size {
  int width, height, bits;
};
constexpr Size kPhoto{6000, 4000, 24};
constexpr Size kPage{2550, 3300, 1};

const Image& sourcePicture(const Size& s) {
  static Image photo, page;
  Image& im = s.bits == 24 ? photo : page;
  if (!im.dib) makeBenchPicture(im, s.width, s.height, s.bits);
  return im;
}

Size sizeOf(const benchmark::State& state) { return state.range(0) == 24 ? kPhoto : kPage; }

void setBytes(benchmark::State& state, const Image& im) {
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * im.bitsSize);
}

// Operations that can run again on their own result.
template <typename Op>
void runInPlace(benchmark::State& state, Op op) {
  Image im;
  im.clone(sourcePicture(sizeOf(state)));
  for (auto _ : state) {
    if (!op(im)) state.SkipWithError("operation failed");
    benchmark::ClobberMemory();
  }
  setBytes(state, im);
}

// Operations that change the picture's kind or size: each run starts from a fresh copy.
template <typename Op>
void runOnCopy(benchmark::State& state, Op op) {
  const Image& source = sourcePicture(sizeOf(state));
  Image im;
  for (auto _ : state) {
    state.PauseTiming();
    im.clone(source);
    state.ResumeTiming();
    if (!op(im)) state.SkipWithError("operation failed");
    benchmark::ClobberMemory();
  }
  setBytes(state, source);
}

void BM_Flip(benchmark::State& s) { runInPlace(s, [](Image& im) { return im.flip(true); }); }
void BM_Mirror(benchmark::State& s) { runInPlace(s, [](Image& im) { return im.mirror(); }); }
void BM_Transpose(benchmark::State& s) { runInPlace(s, [](Image& im) { return im.transpose(); }); }
void BM_Rotate90(benchmark::State& s) { runInPlace(s, [](Image& im) { return im.rotate90(); }); }
void BM_Rotate180(benchmark::State& s) { runInPlace(s, [](Image& im) { return im.rotate180(); }); }
void BM_Negative(benchmark::State& s) { runInPlace(s, [](Image& im) { return im.negate(); }); }
void BM_ConvertToGray(benchmark::State& s) { runOnCopy(s, [](Image& im) { return im.convertToGray(); }); }

void BM_Crop(benchmark::State& s) {
  runOnCopy(s, [](Image& im) {
    const orlim::RECT inner{im.width / 8, im.height / 8, im.width * 7 / 8, im.height * 7 / 8};
    return im.crop(inner);
  });
}

void BM_ResizeQuarter(benchmark::State& s) {
  const int filter = static_cast<int>(s.range(1));
  runOnCopy(s, [filter](Image& im) { return im.resize(im.width / 4, im.height / 4, filter); });
}

// What memory-bound operations are measured against: one copy of the rows.
void BM_CopyRows(benchmark::State& s) {
  const Image& source = sourcePicture(sizeOf(s));
  std::vector<std::uint8_t> target(static_cast<std::size_t>(source.bitsSize));
  for (auto _ : s) {
    std::memcpy(target.data(), source.bits(), target.size());
    benchmark::ClobberMemory();
  }
  setBytes(s, source);
}

#define BOTH_PICTURES(bm) BENCHMARK(bm)->Arg(24)->Arg(1)->Unit(benchmark::kMillisecond)->UseRealTime()
BOTH_PICTURES(BM_CopyRows);
BOTH_PICTURES(BM_Flip);
BOTH_PICTURES(BM_Mirror);
BOTH_PICTURES(BM_Transpose);
BOTH_PICTURES(BM_Rotate90);
BOTH_PICTURES(BM_Rotate180);
BOTH_PICTURES(BM_Negative);
BOTH_PICTURES(BM_ConvertToGray);
BOTH_PICTURES(BM_Crop);
BENCHMARK(BM_ResizeQuarter)
    ->ArgsProduct({{24, 1}, {0, 1, 2}})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

}  // namespace
