// Changing the size of a picture: area-weighted resampling (resize/resample)
// and growing the canvas around the unchanged picture (Enlarge/DIBEnlarge).
#include <algorithm>
#include <climits>
#include <cmath>
#include <cstring>
#include <new>
#include <vector>

#include "image/Image.h"
#include "image/pixel_access.h"

namespace orlim {

using pixels::Block;

namespace {

// The source columns (or rows) one output column covers, with their weights:
// the covered fraction of each, times the filter's window.
struct Footprint {
  std::int64_t first = 0;
  int count = 0;
  int weightsAt = 0;  // index of the first weight in the axis' weight table
  double sum = 0;
  // The span [skip, skip + used) outside which every weight is 0. The means add
  // only its terms: the others add exactly +0 (filter 0 shrinking keeps one of each axis').
  int skip = 0, used = 0;
};

struct Axis {
  std::vector<Footprint> footprints;
  std::vector<double> weights;
};

double windowWeight(int filter, double scale, int k, int length) {
  if (filter == kFilterAreaAverage) return 1.0;
  if (filter == kFilterCenterSample) {
    if (scale <= 1.0) return 1.0;
    return k == length / 2 ? scale : 0.0;
  }
  const double h = (length - 1) / 2.0;
  const double peak = h - std::fabs(h - k) + 1.0;
  return peak * peak * peak;
}

// Footprints and weights of every output position on one axis, computed once per call.
Axis axisFootprints(std::int64_t sourceLength, std::int64_t newLength, int filter) {
  Axis axis;
  axis.footprints.resize(newLength);
  const double scale = static_cast<double>(sourceLength) / static_cast<double>(newLength);
  for (std::int64_t X = 0; X < newLength; ++X) {
    const double x0 = X * scale, x1 = (X + 1) * scale;
    Footprint& f = axis.footprints[X];
    f.first = static_cast<std::int64_t>(std::floor(x0));
    std::int64_t count = static_cast<std::int64_t>(std::ceil(x1)) - f.first;
    if (f.first + count > sourceLength) count = sourceLength - f.first;
    if (count < 1) count = 1;
    f.count = static_cast<int>(count);
    f.weightsAt = static_cast<int>(axis.weights.size());
    for (int k = 0; k < f.count; ++k) {
      double coverage = 1.0;
      if (k == 0) coverage = 1.0 - (x0 - std::floor(x0));
      if (k == f.count - 1) coverage = 1.0 - (std::ceil(x1) - x1);
      const double w = coverage * windowWeight(filter, scale, k, f.count);
      axis.weights.push_back(w);
      f.sum += w;
    }
    const double* weights = axis.weights.data() + f.weightsAt;
    while (f.skip < f.count && weights[f.skip] == 0.0) ++f.skip;
    int end = f.count;
    while (end > f.skip && weights[end - 1] == 0.0) --end;
    f.used = end - f.skip;
  }
  return axis;
}

// Weighted mean of `Channels` interleaved byte channels around one output pixel.
template <int Stride, int Channels>
void meanOfBytes(const Image& src, const Footprint& fx, const double* wx, const Footprint& fy, const double* wy,
                 double out[Channels]) {
  double acc[Channels] = {};
  for (int j = fy.skip; j < fy.skip + fy.used; ++j) {
    const std::uint8_t* row = pixels::rowAt(src, fy.first + j) + (fx.first + fx.skip) * Stride;
    for (int i = fx.skip; i < fx.skip + fx.used; ++i, row += Stride)
      for (int c = 0; c < Channels; ++c) acc[c] += row[c] * wx[i] * wy[j];
  }
  const double total = fx.sum * fy.sum;
  for (int c = 0; c < Channels; ++c) out[c] = acc[c] / total;
}

double meanOfBits(const Image& src, const Footprint& fx, const double* wx, const Footprint& fy, const double* wy) {
  double acc = 0;
  for (int j = fy.skip; j < fy.skip + fy.used; ++j) {
    const std::uint8_t* row = pixels::rowAt(src, fy.first + j);
    for (int i = fx.skip; i < fx.skip + fx.used; ++i) acc += pixels::bit(row, fx.first + i) * wx[i] * wy[j];
  }
  return acc / (fx.sum * fy.sum);
}

void meanOfMaskedPixels(const Image& src, const pixels::ChannelMasks& masks, const Footprint& fx, const double* wx,
                        const Footprint& fy, const double* wy, double out[3]) {
  double acc[3] = {};
  for (int j = fy.skip; j < fy.skip + fy.used; ++j) {
    const std::uint8_t* row = pixels::rowAt(src, fy.first + j) + (fx.first + fx.skip) * 4;
    for (int i = fx.skip; i < fx.skip + fx.used; ++i, row += 4) {
      const pixels::Channels c = pixels::splitPixel(pixels::load32(row), masks);
      acc[0] += c.blue * wx[i] * wy[j];
      acc[1] += c.green * wx[i] * wy[j];
      acc[2] += c.red * wx[i] * wy[j];
    }
  }
  const double total = fx.sum * fy.sum;
  for (double& a : acc) a /= total;
  std::copy(acc, acc + 3, out);
}

void resampleRow(const Image& src, const Axis& ax, const Footprint& fy, const double* wy, std::uint8_t* out,
                 const pixels::ChannelMasks& masks) {
  const std::int64_t n = static_cast<std::int64_t>(ax.footprints.size());
  for (std::int64_t X = 0; X < n; ++X) {
    const Footprint& fx = ax.footprints[X];
    const double* wx = ax.weights.data() + fx.weightsAt;
    double v[3];
    switch (src.bitsPerPixel) {
      case 1:
        if (meanOfBits(src, fx, wx, fy, wy) > 0.5) pixels::putBit(out, X, 1);
        break;
      case 4: {
        const std::uint8_t* row = pixels::rowAt(src, fy.first + fy.count - 1);
        pixels::putNibble(out, X, pixels::nibble(row, fx.first + fx.count - 1));
        break;
      }
      case 8:
        meanOfBytes<1, 1>(src, fx, wx, fy, wy, v);
        out[X] = static_cast<std::uint8_t>(v[0]);
        break;
      case 24:
        meanOfBytes<3, 3>(src, fx, wx, fy, wy, v);
        for (int c = 0; c < 3; ++c) out[3 * X + c] = static_cast<std::uint8_t>(v[c]);
        break;
      case 32:
        if (masks.standard()) {
          meanOfBytes<4, 3>(src, fx, wx, fy, wy, v);
        } else {
          meanOfMaskedPixels(src, masks, fx, wx, fy, wy, v);
        }
        for (int c = 0; c < 3; ++c) out[4 * X + c] = static_cast<std::uint8_t>(v[c]);
        out[4 * X + 3] = 0;
        break;
      default: return;
    }
  }
}

// Colour table bytes a resized picture carries at its depth.
int resizedTableBytes(const Image& im) {
  switch (im.bitsPerPixel) {
    case 1: return 8;
    case 4: return 64;
    case 8: return 1024;
    case 24: return 0;
    default: return im.paletteSize;
  }
}

// Where the old picture lands in the enlarged one, in stored rows.
void anchorPlace(int anchor, std::int64_t dw, std::int64_t dh, std::int64_t& column, std::int64_t& row) {
  switch (anchor) {
    case 1: column = 0, row = dh; break;
    case 3: column = dw, row = dh; break;
    case 7: column = 0, row = 0; break;
    case 9: column = dw, row = 0; break;
    default: column = dw / 2, row = dh / 2; break;
  }
}

void fillRows(std::uint8_t* rows, std::int64_t rowStride, std::int64_t count, std::int64_t width, int bits,
              COLORREF fill) {
  if (bits == 24 || bits == 32) {
    const int n = bits / 8;
    for (std::int64_t r = 0; r < count; ++r) {
      std::uint8_t* p = rows + r * rowStride;
      for (std::int64_t x = 0; x < width; ++x, p += n) {
        p[0] = GetBValue(fill);
        p[1] = GetGValue(fill);
        p[2] = GetRValue(fill);
        if (n == 4) p[3] = 0;
      }
    }
    return;
  }
  int byte = 0;
  if (bits == 1) byte = fill ? 0xFF : 0x00;
  if (bits == 4) byte = (fill & 15) * 17;
  if (bits == 8) byte = fill & 255;
  std::memset(rows, byte, rowStride * count);
}

}  // namespace

std::uint8_t* Image::resample(const Image& source, int newWidth, int newHeight, int rowsOffset, int filter) {
  if (newWidth < 1 || newHeight < 1) {
    fail("New width or height less than one pixel.");
    return nullptr;
  }
  if (!pixels::rowsUsable(source) || rowsOffset < 0) {
    fail("There is no picture to resize.");
    return nullptr;
  }
  const std::int64_t newStride = dibStride(newWidth, source.bitsPerPixel);
  const std::uint64_t total =
      static_cast<std::uint64_t>(rowsOffset) + static_cast<std::uint64_t>(newStride) * newHeight;
  Block block = pixels::allocateBlock(total);
  if (!block) {
    fail("Failed to allocate %llu bytes for a temporary image.", static_cast<unsigned long long>(total));
    return nullptr;
  }
  // The weight tables are bounded like any block: a footprint per output place
  // and at most (source length + 2 x output length) weights per axis.
  const std::uint64_t tables = (std::uint64_t{sizeof(Footprint)} + 16) * (std::uint64_t(newWidth) + newHeight) +
                               8 * (std::uint64_t(source.width) + source.height);
  if (tables > INT_MAX) {
    fail("Failed to allocate %llu bytes for a temporary image.", static_cast<unsigned long long>(tables));
    return nullptr;
  }
  Axis ax, ay;
  try {
    ax = axisFootprints(source.width, newWidth, filter);
    ay = axisFootprints(source.height, newHeight, filter);
  } catch (const std::bad_alloc&) {
    fail("Failed to allocate %llu bytes for a temporary image.", static_cast<unsigned long long>(tables));
    return nullptr;
  }
  const pixels::ChannelMasks masks = pixels::channelMasks(source);
  std::uint8_t* rows = block.get() + rowsOffset;
  for (std::int64_t Y = 0; Y < newHeight; ++Y) {
    const Footprint& fy = ay.footprints[Y];
    resampleRow(source, ax, fy, ay.weights.data() + fy.weightsAt, rows + Y * newStride, masks);
  }
  return block.release();
}

int Image::resize(int newWidth, int newHeight, int filter) {
  if (newWidth < 1 || newHeight < 1) return fail("New width or height less than one pixel.");
  // The rows go after the colour table the resized picture will carry, which may
  // be longer or shorter than the one a file's colour count gave.
  const int newTableBytes = resizedTableBytes(*this);
  std::uint8_t* block = resample(*this, newWidth, newHeight, headerSize + newTableBytes, filter);
  if (!block) return 0;

  if (djvuPage && djvuPageReleaser) djvuPageReleaser(djvuPage);
  djvuPage = nullptr;
  negative = 0;
  symmetry = 0;
  pageCount = 1;
  pageIndex = 0;
  stride = static_cast<int>(dibStride(newWidth, bitsPerPixel));
  bitsSize = stride * newHeight;
  xResolution = yResolution = resolutionUnit = 0;
  width = fullWidth = newWidth;
  height = fullHeight = newHeight;

  // Header and as much of the old table as the new one holds; missing entries stay 0.
  std::memcpy(block, dib, headerSize);
  std::memcpy(block + headerSize, dib + paletteOffset, std::min(paletteSize, newTableBytes));
  paletteSize = newTableBytes;
  paletteOffset = headerSize;
  bitsOffset = headerSize + paletteSize;
  std::free(dib);
  dib = block;
  isGray = bitsPerPixel == 8 ? isGrayPalette() : 0;
  if (pixels::isPackedDib(*this)) {
    BITMAPINFOHEADER* h = header();
    h->biWidth = width;
    h->biHeight = rowOrder == kRowsTopDown ? -height : height;
    h->biXPelsPerMeter = h->biYPelsPerMeter = 0;
    h->biSizeImage = static_cast<DWORD>(bitsSize);
    h->biBitCount = static_cast<WORD>(bitsPerPixel);
  }
  return 1;
}

std::uint8_t* Image::DIBEnlarge(const Image& source, int newWidth, int newHeight, int anchor, COLORREF fill) {
  // The placement below needs room for the rows actually held, as well as for the full page.
  if (newWidth < source.fullWidth || newHeight < source.fullHeight || newWidth < source.width ||
      newHeight < source.height) {
    fail("DIBEnlarge: New dimension(s) smaller than old one(s).");
    return nullptr;
  }
  if (!pixels::rowsUsable(source)) {
    fail("There is no picture to enlarge.");
    return nullptr;
  }
  const int bits = source.bitsPerPixel;
  const std::int64_t newStride = dibStride(newWidth, bits);
  const std::uint64_t total = static_cast<std::uint64_t>(source.headerSize) +
                              static_cast<std::uint64_t>(newStride) * newHeight + source.paletteSize;
  Block block = pixels::allocateBlock(total);
  if (!block) {
    fail("Failed to allocate %llu bytes for the enlarged image.", static_cast<unsigned long long>(total));
    return nullptr;
  }
  const std::int64_t rowsAt = std::int64_t{source.headerSize} + source.paletteSize;
  std::uint8_t* rows = block.get() + rowsAt;
  fillRows(rows, newStride, newHeight, newWidth, bits, fill);
  std::memcpy(block.get(), source.dib, source.headerSize);
  std::memcpy(block.get() + source.headerSize, source.dib + source.paletteOffset, source.paletteSize);

  std::int64_t column = 0, firstRow = 0;
  anchorPlace(anchor, std::int64_t{newWidth} - source.width, std::int64_t{newHeight} - source.height, column, firstRow);
  const std::int64_t used = std::int64_t{source.width} * (bits / 8);
  for (std::int64_t r = 0; r < source.height; ++r) {
    const std::uint8_t* in = pixels::rowAt(source, r);
    std::uint8_t* out = rows + (firstRow + r) * newStride;
    if (bits == 1) {
      for (std::int64_t x = 0; x < source.width; ++x) pixels::putBit(out, column + x, pixels::bit(in, x));
    } else if (bits == 4) {
      for (std::int64_t x = 0; x < source.width; ++x) pixels::putNibble(out, column + x, pixels::nibble(in, x));
    } else if (bits == 8 || bits == 24 || bits == 32) {
      std::memcpy(out + column * (bits / 8), in, used);
    }
  }
  return block.release();
}

int Image::Enlarge(int newWidth, int newHeight, int anchor, COLORREF fill) {
  if (newWidth < fullWidth || newHeight < fullHeight) return fail("Enlarge: New dimension(s) smaller than old one(s).");
  std::uint8_t* block = DIBEnlarge(*this, newWidth, newHeight, anchor, fill);
  if (!block) return 0;
  std::free(dib);
  dib = block;
  paletteOffset = headerSize;
  bitsOffset = headerSize + paletteSize;
  width = fullWidth = newWidth;
  height = fullHeight = newHeight;
  stride = static_cast<int>(dibStride(width, bitsPerPixel));
  bitsSize = stride * height;
  if (pixels::isPackedDib(*this)) {
    BITMAPINFOHEADER* h = header();
    h->biWidth = width;
    h->biHeight = rowOrder == kRowsTopDown ? -height : height;
    h->biSizeImage = static_cast<DWORD>(bitsSize);
  }
  return 1;
}

}  // namespace orlim
