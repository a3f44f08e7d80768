// The editing engine on a 6000 x 4000 photo and a 2550 x 3300 bi-level page, next
// to the same operations by libvips and imagemagick (bench/peer_ops.cpp) on the
// same pixels in this one process: each peer once with one thread and once with
// its default threads, and a memcpy of the picture's rows as the floor. Cases are
// named ops/<operation>/<photo|page>/<ours|vips-1|vips-default|im-1|im-default|memcpy>;
// bench/peers.sh runs them and prints the table. The CPU time of a case is the
// whole process's (all threads), the steadier measure on a loaded machine for the
// single-threaded cases.
//
// The peers hold the page as one byte per pixel (neither has a 1-bit form), and
// imagemagick holds 16 bits per sample: each works in its own normal form.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <cstring>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "bench_pictures.h"
#include "peer_ops.h"

namespace {

using orlim::Image;
using orlim::bench::PeerPicture;

struct Picture {
  const char* name;
  int width, height, bits;
};
constexpr Picture kPhoto{"photo", 6000, 4000, 24};
constexpr Picture kPage{"page", 2550, 3300, 1};
// The photo's size at the other depths, for the quarter turns (ours alone).
constexpr Picture kOtherDepths[] = {
    {"photo-8bit", 6000, 4000, 8}, {"photo-32bit", 6000, 4000, 32}, {"photo-4bit", 6000, 4000, 4}};

// One picture as ours and as the rows the peers start from, from the same pixels.
struct Sources {
  Image ours;
  std::vector<std::uint8_t> bytes;
  PeerPicture peer{};
};

const Sources& sources(const Picture& p) {
  static std::map<std::string, Sources> all;
  Sources& s = all[p.name];
  if (s.ours.dib) return s;
  orlim::bench::makeBenchPicture(s.ours, p.width, p.height, p.bits);
  if (p.bits != 24 && p.bits != 1) return s;  // no peer form
  const int bands = p.bits == 24 ? 3 : 1;
  s.bytes.resize(std::size_t(p.width) * p.height * bands);
  for (int y = 0; y < p.height; ++y) {
    const std::uint8_t* row = s.ours.bits() + std::int64_t{y} * s.ours.stride;
    std::uint8_t* out = s.bytes.data() + std::size_t(y) * p.width * bands;
    if (bands == 3)
      std::memcpy(out, row, std::size_t(p.width) * 3);
    else
      for (int x = 0; x < p.width; ++x) out[x] = (row[x >> 3] >> (7 - (x & 7))) & 1 ? 255 : 0;
  }
  s.peer = {s.bytes.data(), p.width, p.height, bands};
  return s;
}

struct OurOperation {
  std::function<int(Image&)> run;
  // True when it can run again on its own result; otherwise every run starts
  // from a fresh copy made outside the timing.
  bool repeatable;
};

const std::map<std::string, OurOperation>& ourOperations() {
  static const std::map<std::string, OurOperation> ops = [] {
    std::map<std::string, OurOperation> m = {
        {"flip", {[](Image& im) { return im.flip(true); }, true}},
        {"mirror", {[](Image& im) { return im.mirror(); }, true}},
        {"transpose", {[](Image& im) { return im.transpose(); }, true}},
        {"rotate90", {[](Image& im) { return im.rotate90(); }, true}},
        {"rotate180", {[](Image& im) { return im.rotate180(); }, true}},
        {"rotate270", {[](Image& im) { return im.rotate270(); }, true}},
        {"negative", {[](Image& im) { return im.negate(); }, true}},
        {"convertToGray", {[](Image& im) { return im.convertToGray(); }, false}},
        {"crop",
         {[](Image& im) {
            const orlim::bench::CropBox b = orlim::bench::innerBox(im.width, im.height);
            return im.crop({b.left, b.top, b.left + b.width - 1, b.top + b.height - 1});
          },
          false}},
    };
    for (int filter : {orlim::kFilterCenterSample, orlim::kFilterWindowed, orlim::kFilterAreaAverage})
      m["resize-quarter-f" + std::to_string(filter)] = {
          [filter](Image& im) { return im.resize(im.width / 4, im.height / 4, filter); }, false};
    return m;
  }();
  return ops;
}

void setBytes(benchmark::State& state, const Image& im) {
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * im.bitsSize);
}

void runOurs(benchmark::State& state, const Picture& p, const OurOperation& op) {
  const Image& source = sources(p).ours;
  Image im;
  im.clone(source);
  for (auto _ : state) {
    if (!op.repeatable) {
      state.PauseTiming();
      im.clone(source);
      state.ResumeTiming();
    }
    if (!op.run(im)) state.SkipWithError("operation failed");
    benchmark::ClobberMemory();
  }
  setBytes(state, source);
}

// What memory-bound operations are measured against: one copy of the rows,
// into a block that is already there ("memcpy", the floor of the edits done in
// place) or into a new block each time, made the way the library makes its
// blocks ("memcpy-new", the floor of the edits that make a new picture: its
// pages come zeroed from the system, which a copy into them cannot avoid).
void runMemcpy(benchmark::State& state, const Picture& p) {
  const Image& source = sources(p).ours;
  std::vector<std::uint8_t> target(static_cast<std::size_t>(source.bitsSize));
  for (auto _ : state) {
    std::memcpy(target.data(), source.bits(), target.size());
    benchmark::ClobberMemory();
  }
  setBytes(state, source);
}

void runMemcpyNew(benchmark::State& state, const Picture& p) {
  const Image& source = sources(p).ours;
  const auto size = static_cast<std::size_t>(source.bitsSize);
  for (auto _ : state) {
    void* target = std::calloc(1, size);
    orlim::bench::adviseHugePages(target, size);
    std::memcpy(target, source.bits(), size);
    benchmark::ClobberMemory();
    std::free(target);
  }
  setBytes(state, source);
}

void registerCase(const std::string& name, std::function<void(benchmark::State&)> run) {
  benchmark::RegisterBenchmark(name.c_str(), [run](benchmark::State& s) { run(s); })
      ->Unit(benchmark::kMillisecond)
      ->MeasureProcessCPUTime()
      ->UseRealTime();
}

const bool kRegistered = [] {
  for (const Picture* p : {&kPhoto, &kPage}) {
    const std::string pic = p->name;
    registerCase("ops/memcpy/" + pic + "/memcpy", [p](benchmark::State& s) { runMemcpy(s, *p); });
    registerCase("ops/memcpy-new/" + pic + "/memcpy", [p](benchmark::State& s) { runMemcpyNew(s, *p); });
    for (const std::string& name : orlim::bench::peerOperations()) {
      const std::string base = "ops/" + name + "/" + pic + "/";
      const OurOperation& ours = ourOperations().at(name);
      registerCase(base + "ours", [p, &ours](benchmark::State& s) { runOurs(s, *p, ours); });
      for (int threads : {1, 0}) {
        const std::string suffix = threads ? "-1" : "-default";
        registerCase(base + "vips" + suffix, [p, name, threads](benchmark::State& s) {
          orlim::bench::runVips(s, sources(*p).peer, name, threads);
        });
        registerCase(base + "im" + suffix, [p, name, threads](benchmark::State& s) {
          orlim::bench::runMagick(s, sources(*p).peer, name, threads);
        });
      }
    }
  }
  for (const Picture& p : kOtherDepths) {
    const std::string pic = p.name;
    registerCase("ops/memcpy/" + pic + "/memcpy", [&p](benchmark::State& s) { runMemcpy(s, p); });
    registerCase("ops/memcpy-new/" + pic + "/memcpy", [&p](benchmark::State& s) { runMemcpyNew(s, p); });
    for (const char* name : {"transpose", "rotate90", "rotate270"}) {
      const OurOperation& ours = ourOperations().at(name);
      registerCase("ops/" + std::string(name) + "/" + pic + "/ours",
                   [&p, &ours](benchmark::State& s) { runOurs(s, p, ours); });
    }
  }
  return true;
}();

}  // namespace
