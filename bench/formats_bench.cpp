// Reading and writing PNM, JPEG and TIFF on a 6000 x 4000 24-bit photo-like
// picture and a 2550 x 3300 bi-level page. The files live in $ORLIM_BENCH_DIR
// (default /tmp/orlim-bench-formats), where bench/format_peers.sh times the peer tools
// on the very same files.
#include <benchmark/benchmark.h>
#include <sys/stat.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "image/Image.h"
#include "support/packed_picture.h"

namespace {

using namespace orlim;

constexpr int kPhotoWidth = 6000, kPhotoHeight = 4000;
constexpr int kPageWidth = 2550, kPageHeight = 3300;

std::string benchDir() {
  const char* dir = std::getenv("ORLIM_BENCH_DIR");
  std::string path = dir && *dir ? dir : "/tmp/orlim-bench-formats";
  ::mkdir(path.c_str(), 0755);
  return path;
}

std::string benchFile(const char* name) { return benchDir() + "/" + name; }

void describe(Image& im, int width, int height, int bits) {
  orlim::test::layOutPackedPicture(im, width, height, bits, bits == 1 ? 2 : 0);
  im.xResolution = im.yResolution = 300;
  im.resolutionUnit = kResolutionUnitInch;
}

// Smooth gradients with a little noise: compresses like a photograph.
void makePhoto(Image& im) {
  describe(im, kPhotoWidth, kPhotoHeight, 24);
  im.photometric = kPhotometricRgb;
  std::uint32_t noise = 12345;
  for (int y = 0; y < kPhotoHeight; ++y) {
    std::uint8_t* row = im.bits() + static_cast<std::int64_t>(y) * im.stride;
    for (int x = 0; x < kPhotoWidth; ++x) {
      noise = noise * 1103515245u + 12345u;
      const int n = static_cast<int>((noise >> 16) & 15);
      row[3 * x] = static_cast<std::uint8_t>((x / 24 + n) & 255);
      row[3 * x + 1] = static_cast<std::uint8_t>((y / 16 + n) & 255);
      row[3 * x + 2] = static_cast<std::uint8_t>(((x + y) / 40 + n) & 255);
    }
  }
}

// Lines of "words": black runs of varying length on white, like a scanned letter.
void makePage(Image& im) {
  describe(im, kPageWidth, kPageHeight, 1);
  im.photometric = kPhotometricMinIsWhite;
  im.palette()[0] = RGBQUAD{255, 255, 255, 0};
  im.palette()[1] = RGBQUAD{0, 0, 0, 0};
  std::uint32_t noise = 777;
  for (int y = 300; y < kPageHeight - 300; ++y) {
    if ((y / 25) % 2) continue;  // line spacing
    std::uint8_t* row = im.bits() + static_cast<std::int64_t>(y) * im.stride;
    for (int x = 300; x < kPageWidth - 300;) {
      noise = noise * 1103515245u + 12345u;
      const int word = 20 + static_cast<int>((noise >> 16) % 120);
      for (int k = 0; k < word && x + k < kPageWidth - 300; ++k)
        if (((noise >> (k % 16)) & 3) != 0) row[(x + k) / 8] |= static_cast<std::uint8_t>(0x80 >> ((x + k) % 8));
      x += word + 15;
    }
  }
}

// The files every reading case and format_peers.sh start from, made once per run.
struct Fixtures {
  Fixtures() {
    Image photo;
    makePhoto(photo);
    photo.writeJpeg(benchFile("photo.jpg").c_str(), 75, 0, 0, 0, nullptr);
    photo.writeTiff(benchFile("photo.tif").c_str(), 1, 75, nullptr, nullptr, 0);
    photo.writePnm(benchFile("photo.ppm").c_str());
    Image page;
    makePage(page);
    page.writeTiff(benchFile("page-g4.tif").c_str(), 4, 75, nullptr, nullptr, 0);
    page.writeTiff(benchFile("page-none.tif").c_str(), 1, 75, nullptr, nullptr, 0);
    page.writePnm(benchFile("page.pbm").c_str());
  }
};

void ensureFixtures() { static Fixtures fixtures; }

void BM_ReadJpeg(benchmark::State& state) {
  ensureFixtures();
  const std::string path = benchFile("photo.jpg");
  Image im;
  for (auto _ : state) benchmark::DoNotOptimize(im.readJpeg(path.c_str(), static_cast<int>(state.range(0)), 0, 5));
}
BENCHMARK(BM_ReadJpeg)->Arg(24)->Arg(8)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_WriteJpeg(benchmark::State& state) {
  Image im;
  makePhoto(im);
  const std::string path = benchFile("out.jpg");
  for (auto _ : state) benchmark::DoNotOptimize(im.writeJpeg(path.c_str(), 75, 0, 0, 0, nullptr));
}
BENCHMARK(BM_WriteJpeg)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_ReadTiff(benchmark::State& state, const char* name) {
  ensureFixtures();
  const std::string path = benchFile(name);
  Image im;
  for (auto _ : state) benchmark::DoNotOptimize(im.readTiff(path.c_str(), 0, 5));
}
BENCHMARK_CAPTURE(BM_ReadTiff, none24, "photo.tif")->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_CAPTURE(BM_ReadTiff, g4page, "page-g4.tif")->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_WriteTiffPhoto(benchmark::State& state) {
  Image im;
  makePhoto(im);
  const std::string path = benchFile("out.tif");
  for (auto _ : state) benchmark::DoNotOptimize(im.writeTiff(path.c_str(), 1, 75, nullptr, nullptr, 0));
}
BENCHMARK(BM_WriteTiffPhoto)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_WriteTiffPageG4(benchmark::State& state) {
  Image im;
  makePage(im);
  const std::string path = benchFile("out-g4.tif");
  for (auto _ : state) benchmark::DoNotOptimize(im.writeTiff(path.c_str(), 4, 75, nullptr, nullptr, 0));
}
BENCHMARK(BM_WriteTiffPageG4)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_ReadPnm(benchmark::State& state, const char* name) {
  ensureFixtures();
  const std::string path = benchFile(name);
  Image im;
  for (auto _ : state) benchmark::DoNotOptimize(im.readPnm(path.c_str(), 5));
}
BENCHMARK_CAPTURE(BM_ReadPnm, ppm24, "photo.ppm")->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_CAPTURE(BM_ReadPnm, pbmpage, "page.pbm")->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_WritePnm(benchmark::State& state) {
  Image im;
  makePhoto(im);
  const std::string path = benchFile("out.ppm");
  for (auto _ : state) benchmark::DoNotOptimize(im.writePnm(path.c_str()));
}
BENCHMARK(BM_WritePnm)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
