#include "peer_ops.h"

#include <Magick++.h>
#include <vips/vips.h>

#include <functional>
#include <map>

namespace orlim::bench {

namespace {

using VipsOp = std::function<int(VipsImage*, VipsImage**)>;
using MagickOp = std::function<void(Magick::Image&)>;

struct PeerOperation {
  VipsOp vips;
  MagickOp magick;
  // True when imagemagick can run it again on its own result; otherwise every
  // run starts from a fresh picture made outside the timing.
  bool repeatable;
};

void startPeers() {
  static const bool started = [] {
    if (VIPS_INIT("orlim_bench")) vips_error_exit("vips");
    // Every run must do the work, not find it in the operation cache.
    vips_cache_set_max(0);
    Magick::InitializeMagick(nullptr);
    return true;
  }();
  (void)started;
}

VipsOp vipsRot(VipsAngle angle) {
  return [angle](VipsImage* in, VipsImage** out) { return vips_rot(in, out, angle, nullptr); };
}

// Our resize filters 0, 1, 2 against the nearest kernels the peers have:
// nearest sample, triangle, box average.
PeerOperation resizeQuarter(int filter) {
  static constexpr VipsKernel kVipsKernel[] = {VIPS_KERNEL_NEAREST, VIPS_KERNEL_LINEAR};
  static constexpr Magick::FilterTypes kMagickFilter[] = {Magick::PointFilter, Magick::TriangleFilter,
                                                          Magick::BoxFilter};
  return {[filter](VipsImage* in, VipsImage** out) {
            if (filter == 2) return vips_shrink(in, out, 4.0, 4.0, nullptr);
            return vips_reduce(in, out, 4.0, 4.0, "kernel", kVipsKernel[filter], nullptr);
          },
          [filter](Magick::Image& im) {
            im.filterType(kMagickFilter[filter]);
            Magick::Geometry size(im.columns() / 4, im.rows() / 4);
            size.aspect(true);
            im.resize(size);
          },
          false};
}

const std::map<std::string, PeerOperation>& table() {
  static const std::map<std::string, PeerOperation> ops = [] {
    std::map<std::string, PeerOperation> m;
    m["flip"] = {[](VipsImage* in, VipsImage** out) { return vips_flip(in, out, VIPS_DIRECTION_VERTICAL, nullptr); },
                 [](Magick::Image& im) { im.flip(); }, true};
    m["mirror"] = {
        [](VipsImage* in, VipsImage** out) { return vips_flip(in, out, VIPS_DIRECTION_HORIZONTAL, nullptr); },
        [](Magick::Image& im) { im.flop(); }, true};
    // vips has no transpose of its own; a quarter turn is the same amount of work.
    m["transpose"] = {vipsRot(VIPS_ANGLE_D90), [](Magick::Image& im) { im.transpose(); }, true};
    m["rotate90"] = {vipsRot(VIPS_ANGLE_D90), [](Magick::Image& im) { im.rotate(90); }, true};
    m["rotate180"] = {vipsRot(VIPS_ANGLE_D180), [](Magick::Image& im) { im.rotate(180); }, true};
    m["rotate270"] = {vipsRot(VIPS_ANGLE_D270), [](Magick::Image& im) { im.rotate(270); }, true};
    m["negative"] = {[](VipsImage* in, VipsImage** out) { return vips_invert(in, out, nullptr); },
                     [](Magick::Image& im) { im.negate(); }, true};
    m["convertToGray"] = {
        [](VipsImage* in, VipsImage** out) { return vips_colourspace(in, out, VIPS_INTERPRETATION_B_W, nullptr); },
        [](Magick::Image& im) { im.type(Magick::GrayscaleType); }, false};
    m["crop"] = {[](VipsImage* in, VipsImage** out) {
                   const CropBox b = innerBox(in->Xsize, in->Ysize);
                   return vips_extract_area(in, out, b.left, b.top, b.width, b.height, nullptr);
                 },
                 [](Magick::Image& im) {
                   const CropBox b = innerBox(static_cast<int>(im.columns()), static_cast<int>(im.rows()));
                   im.crop(Magick::Geometry(b.width, b.height, b.left, b.top));
                 },
                 false};
    for (int filter : {0, 1, 2}) m["resize-quarter-f" + std::to_string(filter)] = resizeQuarter(filter);
    return m;
  }();
  return ops;
}

// The picture wrapped once per source, tagged as what its pixels are so that the
// colour conversion has a source space.
VipsImage* vipsPicture(const PeerPicture& p) {
  static std::map<const std::uint8_t*, VipsImage*> wrapped;
  VipsImage*& image = wrapped[p.bytes];
  if (image) return image;
  VipsImage* raw = vips_image_new_from_memory(p.bytes, std::size_t(p.width) * p.height * p.bands, p.width, p.height,
                                              p.bands, VIPS_FORMAT_UCHAR);
  const VipsInterpretation space = p.bands == 3 ? VIPS_INTERPRETATION_sRGB : VIPS_INTERPRETATION_B_W;
  if (!raw || vips_copy(raw, &image, "interpretation", space, nullptr)) vips_error_exit("vips");
  g_object_unref(raw);
  return image;
}

Magick::Image magickPicture(const PeerPicture& p) {
  return Magick::Image(p.width, p.height, p.bands == 3 ? "BGR" : "I", Magick::CharPixel, p.bytes);
}

void setBytes(benchmark::State& state, const PeerPicture& p) {
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * p.width * p.height * p.bands);
}

}  // namespace

const std::vector<std::string>& peerOperations() {
  static const std::vector<std::string> names = {
      "flip",     "mirror",        "transpose", "rotate90",          "rotate180",         "rotate270",
      "negative", "convertToGray", "crop",      "resize-quarter-f0", "resize-quarter-f1", "resize-quarter-f2"};
  return names;
}

void runVips(benchmark::State& state, const PeerPicture& picture, const std::string& operation, int threads) {
  startPeers();
  const PeerOperation& op = table().at(operation);
  VipsImage* in = vipsPicture(picture);
  vips_concurrency_set(threads);
  for (auto _ : state) {
    VipsImage* out = nullptr;
    if (op.vips(in, &out)) {
      state.SkipWithError(vips_error_buffer());
      break;
    }
    // Forces the lazy pipeline into a new block, as our operations build theirs.
    std::size_t size = 0;
    void* memory = vips_image_write_to_memory(out, &size);
    g_object_unref(out);
    if (!memory) state.SkipWithError(vips_error_buffer());
    g_free(memory);
  }
  vips_concurrency_set(0);
  setBytes(state, picture);
}

void runMagick(benchmark::State& state, const PeerPicture& picture, const std::string& operation, int threads) {
  startPeers();
  const PeerOperation& op = table().at(operation);
  static const Magick::MagickSizeType defaultThreads = Magick::ResourceLimits::thread();
  Magick::ResourceLimits::thread(threads ? threads : defaultThreads);
  Magick::Image im = magickPicture(picture);
  for (auto _ : state) {
    if (!op.repeatable) {
      state.PauseTiming();
      im = magickPicture(picture);
      state.ResumeTiming();
    }
    op.magick(im);
  }
  Magick::ResourceLimits::thread(defaultThreads);
  setBytes(state, picture);
}

}  // namespace orlim::bench
