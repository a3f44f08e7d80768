// A zeroed packed-DIB picture laid out in memory, for tests and benchmarks that
// build their pictures pixel by pixel (no test framework needed).
#pragma once

#include <cstdint>
#include <cstdlib>

#include "image/Image.h"

namespace orlim::test {

// Empties `im` and gives it a zeroed block of `width` x `height` at `bits`, with
// `tableEntries` colour entries (zeroed) and the header's size fields set; the
// caller fills in pixels, colours, resolution and photometric.
inline void layOutPackedPicture(Image& im, int width, int height, int bits, int tableEntries,
                                int rowOrder = kRowsBottomUp) {
  im.reset(true);
  im.layout = kLayoutPackedDib;
  im.headerSize = im.paletteOffset = 40;
  im.paletteEntrySize = 4;
  im.paletteSize = tableEntries * 4;
  im.bitsOffset = 40 + im.paletteSize;
  im.width = im.fullWidth = width;
  im.height = im.fullHeight = height;
  im.bitsPerPixel = im.sourceBitsPerPixel = bits;
  im.stride = static_cast<int>(dibStride(width, bits));
  im.bitsSize = im.stride * height;
  im.rowOrder = rowOrder;
  im.colorOrder = kColorOrderBgr;
  im.pageCount = 1;
  im.dib = static_cast<std::uint8_t*>(std::calloc(1, static_cast<std::size_t>(im.bitsOffset) + im.bitsSize));
  BITMAPINFOHEADER* h = im.header();
  h->biSize = 40;
  h->biWidth = width;
  h->biHeight = rowOrder == kRowsTopDown ? -height : height;
  h->biPlanes = 1;
  h->biBitCount = static_cast<WORD>(bits);
  h->biSizeImage = static_cast<DWORD>(im.bitsSize);
}

}  // namespace orlim::test
