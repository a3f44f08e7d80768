// DjVu decode and strip rendering of a letter-size compound page (2550 x 3300,
// Sjbz + FG44 + BG44) against ddjvu at the same subsample, re-rendering from the
// kept page, and pages 1, 150 and 300 of a 300-page bundle of such pages against
// ddjvu -page=N. The files are made once by DjVuLibre's tools under /tmp.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "control/autofit.h"
#include "djvu/DjvuFileInfo.h"
#include "djvu/djvuapi.h"
#include "image/Image.h"

namespace {

const char* kDir = "/tmp/orlim-bench-djvu";

bool runQuiet(const std::string& command) { return std::system((command + " >/dev/null 2>&1").c_str()) == 0; }

// The same recipe as the tests' compound page: mask by cjb2, background at a third
// and foreground colours at a twelfth by c44, assembled by djvumake.
const std::string& letterPage() {
  static const std::string page = [] {
    const std::string dir = kDir, out = dir + "/letter.djvu";
    if (std::FILE* f = std::fopen(out.c_str(), "rb")) {
      std::fclose(f);
      return out;
    }
    const std::string convert = "/usr/bin/convert";
    const bool made = runQuiet("mkdir -p " + dir) &&
                      runQuiet(convert +
                               " -size 2550x3300 xc:white -fill black -draw 'rectangle 127,165 1530,660' -draw 'circle "
                               "1275,1815 1275,2640' -draw 'line 51,3135 2473,990' -monochrome " +
                               dir + "/mask.pbm") &&
                      runQuiet("cjb2 -dpi 300 " + dir + "/mask.pbm " + dir + "/mask.djvu") &&
                      runQuiet(convert + " -size 850x1100 gradient:yellow-navy -swirl 150 " + dir + "/bg.ppm") &&
                      runQuiet(convert + " -size 213x275 gradient:red-green -swirl 150 " + dir + "/fg.ppm") &&
                      runQuiet("c44 " + dir + "/bg.ppm " + dir + "/bg.djvu && djvuextract " + dir +
                               "/bg.djvu BG44=" + dir + "/bg.iw4") &&
                      runQuiet("c44 -slice 100 " + dir + "/fg.ppm " + dir + "/fg.djvu && djvuextract " + dir +
                               "/fg.djvu BG44=" + dir + "/fg.iw4") &&
                      runQuiet("djvumake " + out + " INFO=2550,3300,300 Sjbz=" + dir + "/mask.djvu FG44=" + dir +
                               "/fg.iw4 BG44=" + dir + "/bg.iw4");
    return made ? out : std::string();
  }();
  return page;
}

// Decode + render at zoom z (reduction 1 - z), as the control loads a page.
void BM_DjvuLoadAndRender(benchmark::State& state) {
  const std::string& page = letterPage();
  if (page.empty()) return state.SkipWithError("DjVuLibre tools or imagemagick missing");
  const int zoom = int(state.range(0));
  for (auto _ : state) {
    orlim::Image image;
    if (!image.loadHalfCodedDjvu(page.c_str(), orlim::kFileDjvu) ||
        !image.renderDjvuPage(DJVU_LAYER_COLOR, 24, zoom, 2.2f, orlim::kLayoutPackedDib, orlim::kFileDjvu))
      return state.SkipWithError("render failed");
    benchmark::DoNotOptimize(image.dib);
  }
  state.SetLabel("subsample " + std::to_string(1 - zoom));
}
BENCHMARK(BM_DjvuLoadAndRender)->Arg(0)->Arg(-1)->Arg(-3)->Unit(benchmark::kMillisecond);

// The peer: ddjvu decoding and rendering the same page at the same subsample into
// a PPM (process start and writing to /dev/null included).
void BM_DdjvuPeer(benchmark::State& state) {
  const std::string& page = letterPage();
  if (page.empty()) return state.SkipWithError("DjVuLibre tools or imagemagick missing");
  const std::string command =
      "ddjvu -format=ppm -subsample=" + std::to_string(state.range(0)) + " " + page + " /dev/null";
  for (auto _ : state)
    if (!runQuiet(command)) return state.SkipWithError("ddjvu failed");
  state.SetLabel("subsample " + std::to_string(state.range(0)));
}
BENCHMARK(BM_DdjvuPeer)->Arg(1)->Arg(2)->Arg(4)->Unit(benchmark::kMillisecond);

// A zoom change: the kept page rendered again at a new zoom, no file read.
void BM_DjvuReRender(benchmark::State& state) {
  const std::string& page = letterPage();
  if (page.empty()) return state.SkipWithError("DjVuLibre tools or imagemagick missing");
  orlim::Image image;
  if (!image.loadHalfCodedDjvu(page.c_str(), orlim::kFileDjvu)) return state.SkipWithError("load failed");
  const int zoom = int(state.range(0));
  for (auto _ : state) {
    if (!image.renderDjvuPage(DJVU_LAYER_COLOR, 24, zoom, 2.2f, orlim::kLayoutPackedDib, orlim::kFileDjvu))
      return state.SkipWithError("render failed");
    benchmark::DoNotOptimize(image.dib);
  }
  state.SetLabel("subsample " + std::to_string(1 - zoom));
}
BENCHMARK(BM_DjvuReRender)->Arg(0)->Arg(-1)->Arg(-3)->Unit(benchmark::kMillisecond);

// A 300-page bundle of letter-size compound pages (djvm -c of 300 links to the
// letter page), made once beside it.
const std::string& bundle300() {
  static const std::string bundle = [] {
    const std::string& page = letterPage();
    if (page.empty()) return std::string();
    const std::string dir = std::string(kDir) + "/pages300", out = std::string(kDir) + "/book300.djvu";
    if (std::FILE* f = std::fopen(out.c_str(), "rb")) {
      std::fclose(f);
      return out;
    }
    std::string links = "mkdir -p " + dir, names;
    for (int i = 1; i <= 300; ++i) {
      const std::string name = dir + "/p" + std::to_string(1000 + i).substr(1) + ".djvu";
      links += " && ln -f " + page + " " + name;
      names += " " + name;
    }
    return runQuiet(links) && runQuiet("djvm -c " + out + names) ? out : std::string();
  }();
  return bundle;
}

// Opening page N of the bundle as the control does: probe (directory and the
// page's form), decode that page alone, render at zoom z.
void BM_DjvuDocumentPage(benchmark::State& state) {
  const std::string& bundle = bundle300();
  if (bundle.empty()) return state.SkipWithError("DjVuLibre tools or imagemagick missing");
  const int page = int(state.range(0)), zoom = int(state.range(1));
  for (auto _ : state) {
    orlim::Image image;
    orlim::DjvuFileInfo info;
    if (!image.probeDjvuFile(bundle.c_str(), info, page - 1) ||
        !image.loadHalfCodedDjvu(bundle.c_str(), orlim::kFileDjvu, page - 1) ||
        !image.renderDjvuPage(DJVU_LAYER_COLOR, 24, zoom, 2.2f, orlim::kLayoutPackedDib, orlim::kFileDjvu))
      return state.SkipWithError("open failed");
    benchmark::DoNotOptimize(image.dib);
  }
  state.SetLabel("page " + std::to_string(page) + ", subsample " + std::to_string(1 - zoom));
}
BENCHMARK(BM_DjvuDocumentPage)
    ->Args({1, 0})
    ->Args({150, 0})
    ->Args({300, 0})
    ->Args({1, -2})
    ->Args({150, -2})
    ->Args({300, -2})
    ->Unit(benchmark::kMillisecond);

// The peer on the same bundle: ddjvu -page=N at the same subsample.
void BM_DdjvuDocumentPeer(benchmark::State& state) {
  const std::string& bundle = bundle300();
  if (bundle.empty()) return state.SkipWithError("DjVuLibre tools or imagemagick missing");
  const std::string command = "ddjvu -format=ppm -page=" + std::to_string(state.range(0)) +
                              " -subsample=" + std::to_string(state.range(1)) + " " + bundle + " /dev/null";
  for (auto _ : state)
    if (!runQuiet(command)) return state.SkipWithError("ddjvu failed");
  state.SetLabel("page " + std::to_string(state.range(0)) + ", subsample " + std::to_string(state.range(1)));
}
BENCHMARK(BM_DdjvuDocumentPeer)
    ->Args({1, 1})
    ->Args({150, 1})
    ->Args({300, 1})
    ->Args({1, 3})
    ->Args({150, 3})
    ->Args({300, 3})
    ->Unit(benchmark::kMillisecond);

}  // namespace
