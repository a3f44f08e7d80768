// Pictures for the benchmarks: packed DIBs of a given size and depth with
// pseudo-random pixels, so that no case runs on a uniform block.
#pragma once

#include <cstdint>
#include <cstdlib>
#include <random>

#include "image/Image.h"

namespace orlim::bench {

inline void makeBenchPicture(Image& im, int width, int height, int bits) {
  im.reset(true);
  const int entries = bits <= 8 ? 1 << bits : 0;
  im.layout = kLayoutPackedDib;
  im.headerSize = im.paletteOffset = 40;
  im.paletteEntrySize = 4;
  im.paletteSize = entries * 4;
  im.bitsOffset = 40 + im.paletteSize;
  im.width = im.fullWidth = width;
  im.height = im.fullHeight = height;
  im.bitsPerPixel = im.sourceBitsPerPixel = bits;
  im.stride = static_cast<int>(dibStride(width, bits));
  im.bitsSize = im.stride * height;
  im.rowOrder = kRowsBottomUp;
  im.colorOrder = kColorOrderBgr;
  im.pageCount = 1;
  im.photometric = bits == 1 ? 0 : 2;
  im.dib = static_cast<std::uint8_t*>(std::calloc(1, static_cast<std::size_t>(im.bitsOffset) + im.bitsSize));
  BITMAPINFOHEADER* h = im.header();
  h->biSize = 40;
  h->biWidth = width;
  h->biHeight = height;
  h->biPlanes = 1;
  h->biBitCount = static_cast<WORD>(bits);
  h->biSizeImage = static_cast<DWORD>(im.bitsSize);
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
