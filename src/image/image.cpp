// The picture record: construction, emptying, copying and the header queries.
#include "image/Image.h"

#include <cmath>
#include <cstdarg>
#include <cstdlib>
#include <cstring>

#include "image/block_gate.h"
#include "image/resolution.h"

namespace orlim {

char messageBuffer[1024];

Image::DjvuPageReleaser Image::djvuPageReleaser = nullptr;

Image::~Image() { reset(true); }

int Image::fail(const char* format, ...) const {
  va_list args;
  va_start(args, format);
  std::vsnprintf(messageBuffer, sizeof messageBuffer, format, args);
  va_end(args);
  if (errorHandler) errorHandler(messageBuffer);
  return 0;
}

void Image::progress(const char* text, int percent) const {
  if (progressHandler) progressHandler(text, percent, 0);
}

void Image::reset(bool freeDjvuPage) {
  djvu_halfcoded_image* keptPage = djvuPage;
  if (freeDjvuPage) {
    if (djvuPage && djvuPageReleaser) djvuPageReleaser(djvuPage);
    keptPage = nullptr;
  }
  std::free(dib);
  dib = nullptr;
  djvuPage = nullptr;
  layout = headerSize = paletteOffset = paletteSize = bitsOffset = bitsSize = 0;
  paletteEntrySize = stride = rowOrder = colorOrder = 0;
  width = height = bitsPerPixel = fullWidth = fullHeight = sourceBitsPerPixel = 0;
  xResolution = yResolution = resolutionUnit = photometric = isGray = 0;
  negative = symmetry = pageCount = pageIndex = transparent = 0;
  transparentColor = 0;
  djvuPage = keptPage;
}

int Image::clone(const Image& from) {
  if (this == &from) return 1;
  std::free(dib);
  djvuPage = from.djvuPage;
  dib = nullptr;
  layout = from.layout;
  headerSize = from.headerSize;
  paletteOffset = from.paletteOffset;
  paletteSize = from.paletteSize;
  bitsOffset = from.bitsOffset;
  bitsSize = from.bitsSize;
  paletteEntrySize = from.paletteEntrySize;
  stride = from.stride;
  rowOrder = from.rowOrder;
  colorOrder = from.colorOrder;
  width = from.width;
  height = from.height;
  bitsPerPixel = from.bitsPerPixel;
  fullWidth = from.fullWidth;
  fullHeight = from.fullHeight;
  sourceBitsPerPixel = from.sourceBitsPerPixel;
  xResolution = from.xResolution;
  yResolution = from.yResolution;
  resolutionUnit = from.resolutionUnit;
  photometric = from.photometric;
  isGray = from.isGray;
  negative = from.negative;
  symmetry = from.symmetry;
  pageCount = from.pageCount;
  pageIndex = from.pageIndex;
  transparent = from.transparent;
  transparentColor = from.transparentColor;

  if (!from.dib) return 1;
  const std::int64_t total =
      std::int64_t{from.headerSize} + std::int64_t{from.paletteSize} + std::int64_t{from.bitsSize};
  auto* block = static_cast<std::uint8_t*>(std::malloc(total > 0 ? total : 1));
  if (!block) {
    reset(false);  // the page pointer still belongs to `from`; the caller drops it
    return fail("Failed to allocate %lld bytes to clone image.", static_cast<long long>(total));
  }
  adviseHugePages(block, total);
  dib = block;
  std::memcpy(dib, from.dib, from.headerSize);
  std::memcpy(dib + from.paletteOffset, from.dib + from.paletteOffset, from.paletteSize);
  std::memcpy(dib + from.bitsOffset, from.dib + from.bitsOffset, from.bitsSize);
  return 1;
}

std::int64_t Image::colorTableSize() const {
  if (!dib) return 0;
  const BITMAPINFOHEADER* h = header();
  if (h->biClrUsed != 0) return std::int64_t{h->biClrUsed} * 4;
  switch (h->biBitCount) {
    case 1:
    case 4:
    case 8: return (1 << h->biBitCount) * 4;
    case 16:
    case 32: return h->biCompression == BI_BITFIELDS ? 12 : 0;
    default: return 0;
  }
}

int Image::resolutionFromHeader(int& x, int& y) const {
  if (!dib) return -1;
  x = dpiFromPixelsPerMeter(header()->biXPelsPerMeter);
  y = dpiFromPixelsPerMeter(header()->biYPelsPerMeter);
  return 0;
}

int Image::isGrayPalette() {
  if (bitsPerPixel != 8 || paletteEntrySize == 0 || paletteSize / paletteEntrySize != 256 || !dib) return 0;
  const RGBQUAD* table = palette();
  const bool ascending = table[0].rgbBlue == 0;
  for (int i = 0; i < 256; ++i) {
    const int expected = ascending ? i : 255 - i;
    if (table[i].rgbBlue != expected || table[i].rgbGreen != expected || table[i].rgbRed != expected) return 0;
  }
  photometric = ascending ? kPhotometricMinIsBlack : kPhotometricMinIsWhite;
  return 1;
}

}  // namespace orlim
