// Pictures for the benchmarks: packed DIBs of a given size and depth with
// pseudo-random pixels, so that no case runs on a uniform block.
#pragma once

#include <cstdint>
#include <cstdlib>
#include <random>

#include "image/Image.h"
#include "support/packed_picture.h"

namespace orlim::bench {

inline void makeBenchPicture(Image& im, int width, int height, int bits) {
  const int entries = bits <= 8 ? 1 << bits : 0;
  test::layOutPackedPicture(im, width, height, bits, entries);
  im.photometric = bits == 1 ? kPhotometricMinIsWhite : kPhotometricRgb;
  RGBQUAD* table = im.palette();
  for (int i = 0; i < entries; ++i) {
    const BYTE level = static_cast<BYTE>(i * 255 / (entries - 1));
    table[i] = RGBQUAD{level, level, level, 0};
  }
  std::mt19937 rng(7);
  auto* words = reinterpret_cast<std::uint32_t*>(im.bits());
  for (std::int64_t i = 0; i < im.bitsSize / 4; ++i) words[i] = rng();
}

}  // namespace orlim::bench
