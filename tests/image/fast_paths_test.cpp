// The pixel operations' fast paths (tiles, word moves, shuffles) against the
// plainest loops that say what each must produce, byte for byte, on random
// pictures of every depth, both row orders and sizes 1..67 (and some wider
// pictures), padding included.
#include <gtest/gtest.h>

#include <functional>
#include <random>
#include <string>
#include <vector>

#include "fixtures.h"

namespace orlim {
namespace {

// A picture's stored rows, as the reference loops read and build them.
struct Rows {
  int width = 0, height = 0, bits = 0;
  std::int64_t stride = 0;
  std::vector<std::uint8_t> bytes;

  Rows(int w, int h, int b) : width(w), height(h), bits(b), stride(dibStride(w, b)), bytes(stride * h) {}
  explicit Rows(const Image& im) : Rows(im.width, im.height, im.bitsPerPixel) {
    bytes.assign(im.dib + im.bitsOffset, im.dib + im.bitsOffset + stride * height);
  }
  std::uint8_t* row(int r) { return bytes.data() + r * stride; }
  std::uint32_t at(int x, int r) const {
    const std::uint8_t* p = bytes.data() + r * stride;
    if (bits == 1) return (p[x / 8] >> (7 - x % 8)) & 1;
    if (bits == 4) return (p[x / 2] >> (x % 2 ? 0 : 4)) & 15;
    std::uint32_t v = 0;
    for (int k = 0; k < bits / 8; ++k) v |= std::uint32_t{p[x * (bits / 8) + k]} << (8 * k);
    return v;
  }
  void put(int x, int r, std::uint32_t v) {
    std::uint8_t* p = row(r);
    if (bits == 1) {
      p[x / 8] = static_cast<std::uint8_t>((p[x / 8] & ~(0x80 >> x % 8)) | (v << (7 - x % 8)));
    } else if (bits == 4) {
      const int shift = x % 2 ? 0 : 4;
      p[x / 2] = static_cast<std::uint8_t>((p[x / 2] & ~(15 << shift)) | (v << shift));
    } else {
      for (int k = 0; k < bits / 8; ++k) p[x * (bits / 8) + k] = static_cast<std::uint8_t>(v >> (8 * k));
    }
  }
};

Rows transposed(const Rows& in) {
  Rows out(in.height, in.width, in.bits);
  for (int r = 0; r < in.height; ++r)
    for (int x = 0; x < in.width; ++x) out.put(r, x, in.at(x, r));
  return out;
}

Rows flipped(const Rows& in) {
  Rows out = in;
  for (int r = 0; r < in.height; ++r)
    std::memcpy(out.row(r), in.bytes.data() + (in.height - 1 - r) * in.stride, in.stride);
  return out;
}

// Packed rows lose their padding; whole-byte rows keep it.
Rows mirrored(const Rows& in) {
  Rows out = in;
  if (in.bits < 8) std::fill(out.bytes.begin(), out.bytes.end(), 0);
  for (int r = 0; r < in.height; ++r)
    for (int x = 0; x < in.width; ++x) out.put(x, r, in.at(in.width - 1 - x, r));
  return out;
}

int grayOf(std::uint32_t bgr) { return (29 * (bgr & 255) + 151 * ((bgr >> 8) & 255) + 77 * ((bgr >> 16) & 255)) >> 8; }

// Indexed pixels through the colour table; a 1-bit picture by whether entry 0 is white.
Rows grayed(const Rows& in, const Image& im) {
  Rows out(in.width, in.height, 8);
  const std::uint8_t* table = im.dib + im.paletteOffset;
  const bool white0 = table[0] == 255 && table[1] == 255 && table[2] == 255;
  for (int r = 0; r < in.height; ++r)
    for (int x = 0; x < in.width; ++x) {
      const std::uint32_t v = in.at(x, r);
      int g;
      if (in.bits == 1)
        g = (v == 1) == white0 ? 0 : 255;
      else if (in.bits <= 8)
        g = grayOf(table[4 * v] | (table[4 * v + 1] << 8) | (table[4 * v + 2] << 16));
      else
        g = grayOf(v);
      out.put(x, r, static_cast<std::uint32_t>(g));
    }
  return out;
}

// 24-bit negatives invert every byte of the rows; 32-bit ones each colour, with a clear fourth byte.
Rows negated(const Rows& in) {
  Rows out = in;
  if (in.bits == 24)
    for (std::uint8_t& b : out.bytes) b = static_cast<std::uint8_t>(~b);
  if (in.bits == 32)
    for (int r = 0; r < in.height; ++r)
      for (int x = 0; x < in.width; ++x) out.put(x, r, ~in.at(x, r) & 0xFFFFFF);
  return out;
}

Rows cropped(const Rows& in, const RECT& rect, int rowOrder) {
  Rows out(rect.right - rect.left + 1, rect.bottom - rect.top + 1, in.bits);
  const int first = rowOrder == kRowsTopDown ? rect.top : in.height - 1 - rect.bottom;
  for (int r = 0; r < out.height; ++r)
    for (int x = 0; x < out.width; ++x) out.put(x, r, in.at(rect.left + x, first + r));
  return out;
}

TEST(FastPaths, MatchThePlainLoopsOnRandomPictures) {
  std::mt19937 rng(19);
  auto size = [&rng] { return 1 + static_cast<int>(rng() % 67); };
  for (int bits : {1, 4, 8, 24, 32})
    for (int rowOrder : {kRowsBottomUp, kRowsTopDown})
      for (int trial = 0; trial < 24; ++trial) {
        // The 1-bit blocks are 128 pixels wide and the turns' bands up to 384: a few wider pictures cross them.
        const int w = trial < 2 ? 1 + 66 * trial : trial > 20 ? 128 + size() * 6 : size();
        const int h = trial < 2 ? 67 - 66 * trial : size();
        Image source;
        test::layOutPackedPicture(source, w, h, bits, bits <= 8 ? 1 << bits : 0, rowOrder);
        // Random colours, pixels, spare bits and padding alike; now and then a white entry 0.
        for (int i = 40; i < source.bitsOffset + source.bitsSize; ++i) source.dib[i] = static_cast<std::uint8_t>(rng());
        if (bits == 1 && trial % 2) std::memset(source.palette(), 255, 3);
        const Rows rows(source);
        RECT rect{};
        rect.left = static_cast<LONG>(rng() % w);
        rect.right = rect.left + static_cast<LONG>(rng() % (w - rect.left));
        rect.top = static_cast<LONG>(rng() % h);
        rect.bottom = rect.top + static_cast<LONG>(rng() % (h - rect.top));

        const struct {
          const char* name;
          std::function<int(Image&)> run;
          Rows expected;
        } cases[] = {
            {"flip", [](Image& im) { return im.flip(true); }, flipped(rows)},
            {"mirror", [](Image& im) { return im.mirror(); }, mirrored(rows)},
            {"rotate180", [](Image& im) { return im.rotate180(); }, flipped(mirrored(rows))},
            {"transpose", [](Image& im) { return im.transpose(); }, transposed(rows)},
            {"rotate90", [](Image& im) { return im.rotate90(); }, mirrored(transposed(rows))},
            {"rotate270", [](Image& im) { return im.rotate270(); }, flipped(transposed(rows))},
            {"negative", [](Image& im) { return im.negate(); }, negated(rows)},
            {"convertToGray", [](Image& im) { return im.convertToGray(); }, grayed(rows, source)},
            {"crop", [&rect](Image& im) { return im.crop(rect); }, cropped(rows, rect, rowOrder)},
        };
        for (const auto& c : cases) {
          Image im;
          im.clone(source);
          ASSERT_EQ(c.run(im), 1) << c.name;
          const std::string what = std::string(c.name) + " " + std::to_string(w) + "x" + std::to_string(h) + " at " +
                                   std::to_string(bits) + " bits, order " + std::to_string(rowOrder);
          ASSERT_EQ(im.width, c.expected.width) << what;
          ASSERT_EQ(im.bitsSize, c.expected.stride * c.expected.height) << what;
          ASSERT_EQ(Rows(im).bytes, c.expected.bytes) << what;
        }
      }
}

}  // namespace
}  // namespace orlim
