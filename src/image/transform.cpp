// The lossless geometric edits: flip (row order), mirror (each row), transpose
// (rows and columns exchanged), the quarter turns built from them, and the
// bookkeeping of the resulting orientation in `symmetry`. They act on stored
// rows, whatever the storage direction.
#include <algorithm>
#include <cstring>

#include "image/Image.h"
#include "image/pixel_access.h"

namespace orlim {

using pixels::Block;

namespace {

constexpr int kOpFlip = 4;
constexpr int kOpMirror = 5;
constexpr int kOpTranspose = 7;

bool geometryDepth(int bits) { return bits == 1 || bits == 4 || bits == 8 || bits == 24 || bits == 32; }

// Bit-reversed bytes, for mirroring 1-bit rows a byte at a time.
struct BitReversal {
  std::uint8_t table[256];
  BitReversal() {
    for (int v = 0; v < 256; ++v) {
      int r = 0;
      for (int b = 0; b < 8; ++b)
        if (v & (1 << b)) r |= 0x80 >> b;
      table[v] = static_cast<std::uint8_t>(r);
    }
  }
};
const BitReversal kBitReversal;

// Reverses the first `bytes` bytes of `row` through `scratch` with `reverseByte`,
// then shifts the result left by `shift` bits (0-7) so that the first pixel starts
// at the top of the first byte. Padding after the pixels becomes 0.
template <typename ReverseByte>
void reversePackedRow(std::uint8_t* row, int stride, std::int64_t bytes, int shift, std::uint8_t* scratch,
                      ReverseByte reverseByte) {
  for (std::int64_t k = 0; k < bytes; ++k) scratch[k] = reverseByte(row[bytes - 1 - k]);
  scratch[bytes] = 0;
  if (shift == 0) {
    std::memcpy(row, scratch, bytes);
  } else {
    for (std::int64_t k = 0; k < bytes; ++k)
      row[k] = static_cast<std::uint8_t>((scratch[k] << shift) | (scratch[k + 1] >> (8 - shift)));
  }
  std::memset(row + bytes, 0, stride - bytes);
}

// Reversed into the scratch row and copied back: one sequential pass each way,
// which the compiler turns into far tighter code than swapping pixel pairs.
template <int N>
void reversePixels(std::uint8_t* row, std::int64_t width, std::uint8_t* scratch) {
  const std::uint8_t* in = row + (width - 1) * N;
  std::uint8_t* out = scratch;
  for (std::int64_t i = 0; i < width; ++i, in -= N, out += N)
    for (int k = 0; k < N; ++k) out[k] = in[k];
  std::memcpy(row, scratch, width * N);
}

void mirrorRow(std::uint8_t* row, const Image& im, std::uint8_t* scratch) {
  const std::int64_t w = im.width;
  switch (im.bitsPerPixel) {
    case 1: {
      const std::int64_t bytes = (w + 7) / 8;
      reversePackedRow(row, im.stride, bytes, static_cast<int>(bytes * 8 - w), scratch,
                       [](std::uint8_t b) { return kBitReversal.table[b]; });
      break;
    }
    case 4: {
      const std::int64_t bytes = (w + 1) / 2;
      reversePackedRow(row, im.stride, bytes, static_cast<int>(bytes * 2 - w) * 4, scratch,
                       [](std::uint8_t b) { return static_cast<std::uint8_t>((b << 4) | (b >> 4)); });
      break;
    }
    case 8:
      std::reverse(row, row + w);
      break;
    case 24:
      reversePixels<3>(row, w, scratch);
      break;
    case 32:
      reversePixels<4>(row, w, scratch);
      break;
  }
}

// Pixels of 1, 3 or 4 bytes, moved in square tiles so that both the rows read
// and the rows written stay in cache.
template <int N>
void transposeWholeBytes(const Image& im, std::uint8_t* dst, std::int64_t dstStride) {
  constexpr std::int64_t kTile = 32;
  const std::int64_t w = im.width, h = im.height;
  for (std::int64_t r0 = 0; r0 < h; r0 += kTile) {
    const std::int64_t r1 = std::min(h, r0 + kTile);
    for (std::int64_t c0 = 0; c0 < w; c0 += kTile) {
      const std::int64_t c1 = std::min(w, c0 + kTile);
      for (std::int64_t c = c0; c < c1; ++c) {
        std::uint8_t* out = dst + c * dstStride + r0 * N;
        const std::uint8_t* in = pixels::rowAt(im, r0) + c * N;
        for (std::int64_t r = r0; r < r1; ++r, out += N, in += im.stride) std::memcpy(out, in, N);
      }
    }
  }
}

// Transposes an 8 x 8 bit matrix held one row per byte, row 0 in the top byte,
// column 0 in each byte's top bit.
std::uint64_t transposeBits8x8(std::uint64_t x) {
  x = (x & 0xAA55AA55AA55AA55ull) | ((x & 0x00AA00AA00AA00AAull) << 7) | ((x >> 7) & 0x00AA00AA00AA00AAull);
  x = (x & 0xCCCC3333CCCC3333ull) | ((x & 0x0000CCCC0000CCCCull) << 14) | ((x >> 14) & 0x0000CCCC0000CCCCull);
  x = (x & 0xF0F0F0F00F0F0F0Full) | ((x & 0x00000000F0F0F0F0ull) << 28) | ((x >> 28) & 0x00000000F0F0F0F0ull);
  return x;
}

// 1-bit rows, eight rows by eight columns at a time. Rows past the bottom read as
// 0 and columns past the right edge are never written, so padding stays 0.
void transposeBits(const Image& im, std::uint8_t* dst, std::int64_t dstStride) {
  const std::int64_t w = im.width, h = im.height;
  const std::int64_t columnBytes = (w + 7) / 8;
  for (std::int64_t r0 = 0; r0 < h; r0 += 8) {
    const std::int64_t rows = std::min<std::int64_t>(8, h - r0);
    for (std::int64_t cb = 0; cb < columnBytes; ++cb) {
      std::uint64_t block = 0;
      for (std::int64_t k = 0; k < rows; ++k)
        block |= std::uint64_t{pixels::rowAt(im, r0 + k)[cb]} << (56 - 8 * k);
      if (block == 0) continue;
      block = transposeBits8x8(block);
      const std::int64_t cols = std::min<std::int64_t>(8, w - cb * 8);
      for (std::int64_t k = 0; k < cols; ++k)
        dst[(cb * 8 + k) * dstStride + r0 / 8] = static_cast<std::uint8_t>(block >> (56 - 8 * k));
    }
  }
}

void transposeNibbles(const Image& im, std::uint8_t* dst, std::int64_t dstStride) {
  for (std::int64_t r = 0; r < im.height; ++r) {
    const std::uint8_t* in = pixels::rowAt(im, r);
    for (std::int64_t c = 0; c < im.width; ++c) pixels::putNibble(dst + c * dstStride, r, pixels::nibble(in, c));
  }
}

void transposeRows(const Image& im, std::uint8_t* dst, std::int64_t dstStride) {
  switch (im.bitsPerPixel) {
    case 1: transposeBits(im, dst, dstStride); break;
    case 4: transposeNibbles(im, dst, dstStride); break;
    case 8: transposeWholeBytes<1>(im, dst, dstStride); break;
    case 24: transposeWholeBytes<3>(im, dst, dstStride); break;
    case 32: transposeWholeBytes<4>(im, dst, dstStride); break;
  }
}

}  // namespace

int Image::flip(bool recordSymmetry) {
  if (pixels::rowsUsable(*this)) {
    for (std::int64_t i = 0; i < height / 2; ++i) {
      std::uint8_t* top = pixels::rowAt(*this, i);
      std::swap_ranges(top, top + stride, pixels::rowAt(*this, height - 1 - i));
    }
  }
  if (recordSymmetry) {
    symmetry = composeSymmetry(symmetry, kOpFlip);
    return 1;
  }
  // Storage-only form: the picture as seen stays, its storage direction turns.
  if (rowOrder == kRowsBottomUp)
    rowOrder = kRowsTopDown;
  else if (rowOrder == kRowsTopDown)
    rowOrder = kRowsBottomUp;
  if (pixels::isPackedDib(*this)) header()->biHeight = -header()->biHeight;
  return 1;
}

int Image::mirror() {
  if (!geometryDepth(bitsPerPixel)) return fail("Operation not supported for this color depth");
  if (!pixels::rowsUsable(*this)) return fail("There is no picture to mirror.");
  Block scratch = pixels::allocateBlock(std::int64_t{stride} + 1);
  if (!scratch) return fail("Failed to allocate %lld bytes to mirror image.", static_cast<long long>(stride) + 1);
  for (std::int64_t r = 0; r < height; ++r) mirrorRow(pixels::rowAt(*this, r), *this, scratch.get());
  symmetry = composeSymmetry(symmetry, kOpMirror);
  return 1;
}

int Image::transpose() {
  if (!pixels::rowsUsable(*this)) return fail("There is no picture to transpose.");
  const std::int64_t newStride = dibStride(height, bitsPerPixel);
  const std::int64_t tableEnd = std::int64_t{headerSize} + paletteSize;
  const std::int64_t total = tableEnd + width * newStride;
  if (!geometryDepth(bitsPerPixel)) return fail("Operation not supported for this color depth");
  Block block = pixels::allocateBlock(total);
  if (!block) return fail("Failed to allocate %lld temporary bytes to transpose image.", static_cast<long long>(total));

  transposeRows(*this, block.get() + tableEnd, newStride);
  // The colour table travels with the pixels whatever the layout.
  std::memcpy(block.get(), dib, tableEnd);

  std::swap(width, height);
  std::swap(fullWidth, fullHeight);
  std::swap(xResolution, yResolution);
  stride = static_cast<int>(newStride);
  bitsSize = static_cast<int>(height * newStride);
  bitsOffset = static_cast<int>(tableEnd);
  if (layout == kLayoutPackedDib) symmetry = composeSymmetry(symmetry, kOpTranspose);

  std::free(dib);
  dib = block.release();
  if (pixels::isPackedDib(*this)) {
    BITMAPINFOHEADER* h = header();
    h->biWidth = width;
    h->biHeight = rowOrder == kRowsTopDown ? -height : height;
    std::swap(h->biXPelsPerMeter, h->biYPelsPerMeter);
    h->biSizeImage = static_cast<DWORD>(bitsSize);
  }
  return 1;
}

int Image::rotate90() {
  if (!transpose()) return 0;
  return mirror();
}

int Image::rotate180() {
  if (!mirror()) return 0;
  return flip(true);
}

int Image::rotate270() {
  if (!transpose()) return 0;
  return flip(true);
}

int Image::composeSymmetry(int state, int operation) {
  // State after one more flip, mirror or transpose; the other codes are applied
  // as the step sequences that make them.
  static constexpr int kAfterFlip[8] = {4, 6, 7, 5, 0, 3, 1, 2};
  static constexpr int kAfterMirror[8] = {5, 7, 6, 4, 3, 0, 2, 1};
  static constexpr int kAfterTranspose[8] = {7, 4, 5, 6, 1, 2, 3, 0};
  if (state < 0 || state > 7 || operation < 0 || operation > 7) return -1;
  switch (operation) {
    case kOpFlip: return kAfterFlip[state];
    case kOpMirror: return kAfterMirror[state];
    case kOpTranspose: return kAfterTranspose[state];
    case 1: return kAfterMirror[kAfterTranspose[state]];
    case 2: return kAfterFlip[kAfterTranspose[state]];
    case 3: return kAfterMirror[kAfterFlip[state]];
    case 6: return kAfterFlip[kAfterMirror[kAfterTranspose[state]]];
    default: return state;
  }
}

int Image::applySymmetry(int state) {
  if (state < 0 || state > 7) return fail("Unknown symmetry state: %d", state);
  const bool transposing = state == 1 || state == 2 || state == 6 || state == 7;
  if (transposing && layout != kLayoutPackedDib) return 1;
  switch (state) {
    case 1: transpose() && mirror(); break;
    case 2: transpose() && flip(true); break;
    case 3: flip(true) && mirror(); break;
    case 4: flip(true); break;
    case 5: mirror(); break;
    case 6: transpose() && mirror() && flip(true); break;
    case 7: transpose(); break;
    default: break;
  }
  return 1;
}

}  // namespace orlim
