// Pictures for the benchmarks: packed DIBs of a given size and depth with
// pseudo-random pixels, so that no case runs on a uniform block.
#pragma once

#include <sys/mman.h>

#include <cstdint>
#include <cstdlib>
#include <random>

#include "image/Image.h"
#include "support/packed_picture.h"

namespace orlim::bench {

// Asks for huge pages under a fresh block, as the library does for the blocks it
// makes, so that a case reading this picture meets the same pages as one
// reading a picture the library built.
inline void adviseHugePages(void* block, std::size_t size) {
  constexpr std::uintptr_t kHuge = std::uintptr_t{2} << 20;
  const auto at = reinterpret_cast<std::uintptr_t>(block);
  const std::uintptr_t start = (at + kHuge - 1) & ~(kHuge - 1), end = (at + size) & ~(kHuge - 1);
  if (end > start) ::madvise(reinterpret_cast<void*>(start), end - start, MADV_HUGEPAGE);
}

inline void makeBenchPicture(Image& im, int width, int height, int bits) {
  const int entries = bits <= 8 ? 1 << bits : 0;
  test::layOutPackedPicture(im, width, height, bits, entries);
  adviseHugePages(im.dib, static_cast<std::size_t>(im.bitsOffset) + im.bitsSize);
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
