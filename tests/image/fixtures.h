// Pictures for the image operation tests: made in memory with known pixels, and
// taken to and from imagemagick through BMP files for the reference checks.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "image/Image.h"
#include "support/packed_picture.h"
#include "support/test_support.h"

namespace orlim::test {

// A packed-DIB picture of the given size and depth, with a colour table of
// `tableEntries` entries (default: full) and pseudo-random pixels.
inline void makePicture(Image& im, int width, int height, int bits, int rowOrder = kRowsBottomUp, unsigned seed = 1,
                        int tableEntries = -1) {
  int entries = 0;
  if (bits <= 8) entries = tableEntries >= 0 ? tableEntries : (1 << bits);
  layOutPackedPicture(im, width, height, bits, entries, rowOrder);
  im.photometric = bits <= 8 ? 3 : 2;
  BITMAPINFOHEADER* h = im.header();
  h->biXPelsPerMeter = 3780;
  h->biYPelsPerMeter = 2835;
  h->biClrUsed = (bits <= 8 && entries != (1 << bits)) ? entries : 0;
  std::mt19937 rng(seed);
  for (int i = 0; i < entries; ++i) {
    std::uint8_t* e = im.dib + 40 + 4 * i;
    e[0] = static_cast<std::uint8_t>(rng());
    e[1] = static_cast<std::uint8_t>(rng());
    e[2] = static_cast<std::uint8_t>(rng());
  }
  const std::int64_t used = (std::int64_t{width} * bits + 7) / 8;
  for (int r = 0; r < height; ++r) {
    std::uint8_t* row = im.dib + im.bitsOffset + std::int64_t{r} * im.stride;
    for (std::int64_t k = 0; k < used; ++k) row[k] = static_cast<std::uint8_t>(rng());
    // Pixels past the right edge inside the last byte stay clear, as readers leave them.
    const int spare = static_cast<int>(used * 8 - std::int64_t{width} * bits);
    if (spare) row[used - 1] &= static_cast<std::uint8_t>(0xFF << spare);
    if (bits == 32)
      for (int x = 0; x < width; ++x) row[4 * x + 3] = 0;
  }
}

// A gray ramp table (entry i = i) on an 8-bit picture.
inline void setGrayRamp(Image& im) {
  for (int i = 0; i < 256; ++i) std::memset(im.dib + im.paletteOffset + 4 * i, i, 3);
  im.isGray = im.isGrayPalette();
}

// Pixel (x, y) as seen on screen (row 0 at the top), as 0x00RRGGBB.
inline std::uint32_t seenPixel(const Image& im, int x, int y) {
  const int stored = im.rowOrder == kRowsTopDown ? y : im.height - 1 - y;
  const std::uint8_t* row = im.dib + im.bitsOffset + std::int64_t{stored} * im.stride;
  auto entry = [&](int i) {
    if (i * 4 >= im.paletteSize) return 0u;
    const std::uint8_t* e = im.dib + im.paletteOffset + 4 * i;
    return (std::uint32_t{e[2]} << 16) | (e[1] << 8) | e[0];
  };
  switch (im.bitsPerPixel) {
    case 1: return entry((row[x / 8] >> (7 - x % 8)) & 1);
    case 4: return entry(x % 2 ? row[x / 2] & 15 : row[x / 2] >> 4);
    case 8: return entry(row[x]);
    case 24: return (std::uint32_t{row[3 * x + 2]} << 16) | (row[3 * x + 1] << 8) | row[3 * x];
    case 32: return (std::uint32_t{row[4 * x + 2]} << 16) | (row[4 * x + 1] << 8) | row[4 * x];
  }
  return 0;
}

// The picture as seen on screen in imagemagick's decoded form (RGB, top row first).
inline RgbPicture seenRgb(const Image& im) {
  RgbPicture pic;
  pic.width = im.width;
  pic.height = im.height;
  for (int y = 0; y < im.height; ++y)
    for (int x = 0; x < im.width; ++x) {
      const std::uint32_t c = seenPixel(im, x, y);
      pic.rgb.push_back(static_cast<std::uint8_t>(c >> 16));
      pic.rgb.push_back(static_cast<std::uint8_t>(c >> 8));
      pic.rgb.push_back(static_cast<std::uint8_t>(c));
    }
  return pic;
}

// Runs imagemagick's `operation` on the picture saved as a BMP and decodes the result.
inline RgbPicture imagemagickResult(Image& im, const TempDir& dir, const std::string& operation) {
  const std::string in = dir.file("in.bmp"), out = dir.file("out.png");
  EXPECT_EQ(im.writeBmp(in.c_str()), 1);
  std::string log;
  EXPECT_EQ(run(convertTool() + " '" + in + "' " + operation + " '" + out + "'", &log), 0) << log;
  return decodeWithImagemagick(out);
}

inline void expectSamePicture(const RgbPicture& expected, const RgbPicture& actual, const std::string& what) {
  ASSERT_EQ(expected.width, actual.width) << what;
  ASSERT_EQ(expected.height, actual.height) << what;
  ASSERT_EQ(expected.rgb.size(), actual.rgb.size()) << what;
  std::size_t firstDiff = expected.rgb.size();
  for (std::size_t i = 0; i < expected.rgb.size() && firstDiff == expected.rgb.size(); ++i)
    if (expected.rgb[i] != actual.rgb[i]) firstDiff = i;
  EXPECT_EQ(firstDiff, expected.rgb.size()) << what << ": first difference at pixel " << firstDiff / 3;
}

inline std::vector<std::uint8_t> rowsOf(const Image& im) {
  return {im.dib + im.bitsOffset, im.dib + im.bitsOffset + im.bitsSize};
}

// The pixels only (row padding left out), stored row by stored row.
inline std::vector<std::uint8_t> pixelBytes(const Image& im) {
  std::vector<std::uint8_t> out;
  const std::int64_t used = (std::int64_t{im.width} * im.bitsPerPixel + 7) / 8;
  const int spare = static_cast<int>(used * 8 - std::int64_t{im.width} * im.bitsPerPixel);
  for (int r = 0; r < im.height; ++r) {
    const std::uint8_t* row = im.dib + im.bitsOffset + std::int64_t{r} * im.stride;
    out.insert(out.end(), row, row + used);
    if (spare) out.back() &= static_cast<std::uint8_t>(0xFF << spare);
  }
  return out;
}

struct MessageLog {
  std::vector<std::string> messages;
  void attach(Image& im) {
    im.errorHandler = [this](const char* m) { messages.emplace_back(m); };
  }
  std::string last() const { return messages.empty() ? std::string() : messages.back(); }
};

}  // namespace orlim::test
