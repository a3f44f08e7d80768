#include "support/image_pixels.h"

#include <cstdlib>
#include <cstring>

namespace orlim::test {

namespace {

std::uint32_t maskAt(const Image& image, int i, std::uint32_t fallback) {
  if (image.paletteSize < 12) return fallback;
  std::uint32_t m;
  std::memcpy(&m, image.dib + image.paletteOffset + 4 * i, 4);
  return m;
}

std::uint8_t scaleMasked(std::uint32_t pixel, std::uint32_t mask) {
  if (mask == 0) return 0;
  int shift = 0;
  while (!((mask >> shift) & 1)) ++shift;
  const std::uint32_t max = mask >> shift;
  const std::uint32_t v = (pixel & mask) >> shift;
  return static_cast<std::uint8_t>((v * 255 + max / 2) / max);
}

}  // namespace

std::array<std::uint8_t, 3> rgbAt(const Image& image, int x, int y) {
  const int storedRow = image.rowOrder == kRowsTopDown ? y : image.height - 1 - y;
  const std::uint8_t* row = image.bits() + static_cast<std::int64_t>(storedRow) * image.stride;
  auto fromPalette = [&](int index) -> std::array<std::uint8_t, 3> {
    if (index * 4 >= image.paletteSize) return {0, 0, 0};
    const RGBQUAD& q = image.palette()[index];
    return {q.rgbRed, q.rgbGreen, q.rgbBlue};
  };
  switch (image.bitsPerPixel) {
    case 1: return fromPalette((row[x >> 3] >> (7 - (x & 7))) & 1);
    case 4: return fromPalette((x & 1) ? (row[x >> 1] & 0x0F) : (row[x >> 1] >> 4));
    case 8: return fromPalette(row[x]);
    case 16: {
      const std::uint32_t p = row[2 * x] | (row[2 * x + 1] << 8);
      return {scaleMasked(p, maskAt(image, 0, 0x7C00)), scaleMasked(p, maskAt(image, 1, 0x03E0)),
              scaleMasked(p, maskAt(image, 2, 0x001F))};
    }
    case 24: return {row[3 * x + 2], row[3 * x + 1], row[3 * x]};
    case 32: return {row[4 * x + 2], row[4 * x + 1], row[4 * x]};
    default: std::abort();
  }
}

RgbPicture toRgb(const Image& image) {
  RgbPicture pic;
  pic.width = image.width;
  pic.height = image.height;
  pic.rgb.reserve(static_cast<std::size_t>(image.width) * image.height * 3);
  for (int y = 0; y < image.height; ++y)
    for (int x = 0; x < image.width; ++x) {
      const auto c = rgbAt(image, x, y);
      pic.rgb.insert(pic.rgb.end(), c.begin(), c.end());
    }
  return pic;
}

int maxChannelDifference(const RgbPicture& a, const RgbPicture& b) {
  if (a.width != b.width || a.height != b.height || a.rgb.size() != b.rgb.size()) return -1;
  int worst = 0;
  for (std::size_t i = 0; i < a.rgb.size(); ++i) worst = std::max(worst, std::abs(a.rgb[i] - b.rgb[i]));
  return worst;
}

}  // namespace orlim::test
