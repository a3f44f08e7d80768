// Colour edits and conversions: the negative, the photometric reversal the
// writers need, the conversion to an 8-bit gray picture and its row worker, and
// the conversion of a copy of the pixels to a higher depth.
#include <bit>
#include <cstring>

#include "image/Image.h"
#include "image/pixel_access.h"

namespace orlim {

using pixels::Block;

// The word-wide paths read and write bytes in memory order.
static_assert(std::endian::native == std::endian::little);

namespace {

// Replaces blue, green and red of every whole colour table entry by 255 minus the value.
void invertTable(Image& im) {
  if (!im.dib || im.paletteSize <= 0 || im.paletteEntrySize < 3) return;
  std::uint8_t* table = im.dib + im.paletteOffset;
  const std::int64_t entries = im.paletteSize / im.paletteEntrySize;
  for (std::int64_t i = 0; i < entries; ++i) {
    std::uint8_t* e = table + i * im.paletteEntrySize;
    for (int c = 0; c < 3; ++c) e[c] = static_cast<std::uint8_t>(255 - e[c]);
  }
}

void invertBytes(std::uint8_t* p, std::int64_t n) {
  for (std::int64_t i = 0; i < n; ++i) p[i] = static_cast<std::uint8_t>(~p[i]);
}

void negate32(Image& im) {
  const pixels::ChannelMasks masks = pixels::channelMasks(im);
  for (std::int64_t r = 0; r < im.height; ++r) {
    std::uint8_t* p = pixels::rowAt(im, r);
    for (std::int64_t x = 0; x < im.width; ++x, p += 4) {
      const pixels::Channels c = pixels::splitPixel(pixels::load32(p), masks);
      p[0] = static_cast<std::uint8_t>(255 - c.blue);
      p[1] = static_cast<std::uint8_t>(255 - c.green);
      p[2] = static_cast<std::uint8_t>(255 - c.red);
      p[3] = 0;
    }
  }
}

// The luma of 24-bit pixels, one gray byte each.
inline void grayTriples(const std::uint8_t* in, std::uint8_t* out, std::int64_t width) {
  for (std::int64_t x = 0; x < width; ++x, in += 3)
    out[x] = static_cast<std::uint8_t>(pixels::grayOf(in[0], in[1], in[2]));
}

#if defined(__x86_64__) || defined(__i386__)
// The same loop built for processors with byte shuffles, with which the compiler
// takes the three channels apart sixteen pixels at a time (three times faster).
__attribute__((target("ssse3"))) void grayTriplesShuffled(const std::uint8_t* in, std::uint8_t* out,
                                                          std::int64_t width) {
  grayTriples(in, out, width);
}

void grayRow24(const std::uint8_t* in, std::uint8_t* out, std::int64_t width) {
  static const bool shuffles = __builtin_cpu_supports("ssse3");
  if (shuffles)
    grayTriplesShuffled(in, out, width);
  else
    grayTriples(in, out, width);
}
#else
void grayRow24(const std::uint8_t* in, std::uint8_t* out, std::int64_t width) { grayTriples(in, out, width); }
#endif

// For each byte of a 1-bit row, which of its eight pixels are set, as eight
// bytes of 0xFF or 0 in pixel order.
struct BitMasks {
  std::uint64_t of[256];
  BitMasks() {
    for (int v = 0; v < 256; ++v) {
      of[v] = 0;
      for (int k = 0; k < 8; ++k)
        if (v & (0x80 >> k)) of[v] |= std::uint64_t{0xFF} << (8 * k);
    }
  }
};
const BitMasks kBitMasks;

// 1-bit pixels to gray bytes eight at a time.
void grayRow1(const std::uint8_t* in, std::uint8_t* out, std::int64_t width, const std::uint8_t* lookup) {
  const std::uint64_t set = lookup[1] * 0x0101010101010101ull, clear = lookup[0] * 0x0101010101010101ull;
  std::int64_t x = 0;
  for (; x + 8 <= width; x += 8) {
    const std::uint64_t mask = kBitMasks.of[in[x / 8]];
    const std::uint64_t gray = (set & mask) | (clear & ~mask);
    std::memcpy(out + x, &gray, 8);
  }
  for (; x < width; ++x) out[x] = lookup[pixels::bit(in, x)];
}

// One gray byte per pixel of source row `in` into `out`.
void grayRow(const Image& im, const std::uint8_t* in, std::uint8_t* out, const std::uint8_t* lookup,
             const pixels::ChannelMasks& masks) {
  const std::int64_t w = im.width;
  switch (im.bitsPerPixel) {
    case 1: grayRow1(in, out, w, lookup); break;
    case 4:
      for (std::int64_t x = 0; x < w; ++x) out[x] = lookup[pixels::nibble(in, x)];
      break;
    case 8:
      for (std::int64_t x = 0; x < w; ++x) out[x] = lookup[in[x]];
      break;
    case 24: grayRow24(in, out, w); break;
    case 32:
      for (std::int64_t x = 0; x < w; ++x, in += 4) {
        const pixels::Channels c = pixels::splitPixel(pixels::load32(in), masks);
        out[x] = static_cast<std::uint8_t>(pixels::grayOf(c.blue, c.green, c.red));
      }
      break;
  }
}

// Gray value of every index a 1-, 4- or 8-bit pixel can hold.
void grayLookup(const Image& im, std::uint8_t lookup[256]) {
  const std::array<RGBQUAD, 256> table = pixels::paletteEntries(im);
  if (im.bitsPerPixel == 1) {
    // Only the colour of entry 0 decides: white there means a set bit is black.
    const bool white0 =
        im.paletteSize >= 3 && table[0].rgbBlue == 255 && table[0].rgbGreen == 255 && table[0].rgbRed == 255;
    lookup[0] = white0 ? 255 : 0;
    lookup[1] = white0 ? 0 : 255;
    return;
  }
  for (int i = 0; i < 256; ++i)
    lookup[i] = static_cast<std::uint8_t>(pixels::grayOf(table[i].rgbBlue, table[i].rgbGreen, table[i].rgbRed));
}

std::int64_t tableAreaFor(int target) {
  switch (target) {
    case 4: return 16 * 4;
    case 8: return 256 * 4;
    case 32: return 12;
    default: return 0;
  }
}

// The channel layout of a 16-bit bit-field picture, as the depth increase reads it.
struct Fields16 {
  int blueWidth, greenShift, greenWidth, redShift, redWidth;
};

int lowestSetBit(std::uint32_t v) {
  for (int b = 0; b < 32; ++b)
    if (v & (1u << b)) return b;
  return 0;
}

Fields16 fields16(std::uint32_t redMask, std::uint32_t greenMask) {
  Fields16 f{};
  f.greenShift = lowestSetBit(greenMask);
  f.redShift = lowestSetBit(redMask);
  f.redWidth = 0;
  for (int b = f.redShift; b < 16 && (redMask & (1u << b)); ++b) ++f.redWidth;
  f.blueWidth = f.greenShift;
  f.greenWidth = f.redShift > f.greenShift ? f.redShift - f.greenShift : 0;
  return f;
}

int scaleChannel(std::uint32_t pixel, int shift, int width) {
  if (width <= 0) return 0;
  const std::uint32_t top = (1u << width) - 1;
  return static_cast<int>(((pixel >> shift) & top) * 255 / top);
}

// 16-bit rows to 24-bit rows by the header's compression; false when it is neither
// plain nor bit fields (or the masks are missing).
bool rows16To24(const Image& im, std::uint8_t* dst, std::int64_t dstStride) {
  const DWORD compression = im.header()->biCompression;
  Fields16 f{5, 5, 5, 10, 5};
  if (compression == BI_BITFIELDS) {
    if (im.paletteSize < 12) return false;
    const std::uint8_t* masks = im.dib + im.paletteOffset;
    f = fields16(pixels::load32(masks) & 0xFFFF, pixels::load32(masks + 4) & 0xFFFF);
  } else if (compression != BI_RGB) {
    return false;
  }
  for (std::int64_t r = 0; r < im.height; ++r) {
    const std::uint8_t* in = pixels::rowAt(im, r);
    std::uint8_t* out = dst + r * dstStride;
    for (std::int64_t x = 0; x < im.width; ++x, in += 2, out += 3) {
      const std::uint32_t v = in[0] | (in[1] << 8);
      out[0] = static_cast<std::uint8_t>(scaleChannel(v, 0, f.blueWidth));
      out[1] = static_cast<std::uint8_t>(scaleChannel(v, f.greenShift, f.greenWidth));
      out[2] = static_cast<std::uint8_t>(scaleChannel(v, f.redShift, f.redWidth));
    }
  }
  return true;
}

// Indexed (1, 4, 8) or 24-bit rows to `target` bits; false for a pair that has no conversion.
bool widenRows(const Image& im, int target, std::uint8_t* dst, std::int64_t dstStride) {
  const int from = im.bitsPerPixel;
  const std::array<RGBQUAD, 256> table = pixels::paletteEntries(im);
  const std::int64_t w = im.width;
  auto index = [from](const std::uint8_t* in, std::int64_t x) {
    return from == 1 ? pixels::bit(in, x) : from == 4 ? pixels::nibble(in, x) : in[x];
  };
  if (from == 24 && target != 32) return false;
  if (from != 1 && from != 4 && from != 8 && from != 24) return false;
  if (target == 4 && from != 1) return false;
  for (std::int64_t r = 0; r < im.height; ++r) {
    const std::uint8_t* in = pixels::rowAt(im, r);
    std::uint8_t* out = dst + r * dstStride;
    if (target == 4) {
      for (std::int64_t x = 0; x < w; ++x) pixels::putNibble(out, x, index(in, x));
    } else if (target == 8) {
      for (std::int64_t x = 0; x < w; ++x) out[x] = static_cast<std::uint8_t>(index(in, x));
    } else if (from == 24) {
      for (std::int64_t x = 0; x < w; ++x, in += 3, out += 4) std::memcpy(out, in, 3);
    } else {
      const int n = target / 8;
      for (std::int64_t x = 0; x < w; ++x, out += n) {
        const RGBQUAD& e = table[index(in, x)];
        out[0] = e.rgbBlue;
        out[1] = e.rgbGreen;
        out[2] = e.rgbRed;
      }
    }
  }
  return true;
}

}  // namespace

int Image::negate() {
  const bool rows = pixels::rowsUsable(*this);
  switch (bitsPerPixel) {
    case 1:
    case 4:
    case 8:
      if (dib && paletteSize != 0 && paletteEntrySize != 0) {
        invertTable(*this);
        isGray = isGrayPalette();
      }
      break;
    case 24:
      if (rows) invertBytes(bits(), bitsSize);
      break;
    case 32:
      if (rows) negate32(*this);
      break;
    default: break;
  }
  negative = negative ? 0 : 1;
  return 1;
}

int Image::ReversePhotometric() {
  if (!isGray && bitsPerPixel != 1) return fail("ReversePhotometric: Image is not gray scale or b&w.");
  if (photometric != kPhotometricMinIsWhite && photometric != kPhotometricMinIsBlack)
    return fail("Unknown photometric: %d", photometric);
  invertTable(*this);
  if (pixels::rowsUsable(*this)) {
    const std::int64_t used = (std::int64_t{bitsPerPixel} * width + 7) / 8;
    for (std::int64_t r = 0; r < height; ++r) invertBytes(pixels::rowAt(*this, r), used);
  }
  photometric = photometric == kPhotometricMinIsBlack ? kPhotometricMinIsWhite : kPhotometricMinIsBlack;
  return 1;
}

std::uint8_t* Image::makeGrayRows(int reserve) {
  if (isGray) return nullptr;
  const std::int64_t grayStride = dibStride(width, 8);
  const std::int64_t total = std::int64_t{reserve} + std::int64_t{height} * grayStride;
  const int b = bitsPerPixel;
  if (b != 1 && b != 4 && b != 8 && b != 24 && b != 32) {
    fail("Conversion to gray not supported for this color depth.");
    return nullptr;
  }
  if (!pixels::rowsUsable(*this) || reserve < 0) {
    fail("There is no picture to convert to gray.");
    return nullptr;
  }
  Block block = pixels::allocateBlock(total);
  if (!block) {
    fail("Failed to allocate %lld bytes for a temporary gray image.", static_cast<long long>(total));
    return nullptr;
  }
  std::uint8_t lookup[256] = {};
  if (b <= 8) grayLookup(*this, lookup);
  const pixels::ChannelMasks masks = pixels::channelMasks(*this);
  std::uint8_t* out = block.get() + reserve;
  for (std::int64_t r = 0; r < height; ++r)
    grayRow(*this, pixels::rowAt(*this, r), out + r * grayStride, lookup, masks);
  return block.release();
}

int Image::convertToGray() {
  if (isGray) return 1;
  const int entrySize = paletteEntrySize > 0 ? paletteEntrySize : 4;
  const std::int64_t reserve = std::int64_t{headerSize} + 256 * entrySize;
  std::uint8_t* block = makeGrayRows(static_cast<int>(reserve));
  if (!block) return 0;

  std::uint8_t* table = block + headerSize;
  std::memset(table, 0, 256 * entrySize);
  for (int i = 0; i < 256; ++i) std::memset(table + i * entrySize, i, 3);
  if (pixels::isPackedDib(*this)) std::memcpy(block, dib, headerSize);

  paletteEntrySize = entrySize;
  paletteOffset = headerSize;
  paletteSize = 256 * entrySize;
  stride = static_cast<int>(dibStride(width, 8));
  bitsPerPixel = sourceBitsPerPixel = 8;
  bitsOffset = headerSize + paletteSize;
  photometric = kPhotometricMinIsBlack;
  isGray = 1;
  bitsSize = height * stride;

  std::free(dib);
  dib = block;
  if (pixels::isPackedDib(*this)) {
    BITMAPINFOHEADER* h = header();
    h->biBitCount = 8;
    h->biCompression = BI_RGB;
    h->biSizeImage = static_cast<DWORD>(bitsSize);
    h->biClrUsed = 0;
    h->biClrImportant = 0;
  }
  return 1;
}

std::uint8_t* Image::increaseColorDepth(int target) {
  if (bitsPerPixel > 24 || bitsPerPixel >= target || target > 32) return nullptr;
  if (target != 4 && target != 8 && target != 24 && target != 32) {
    fail("Increase of color depth not supported for the original color depth.");
    return nullptr;
  }
  if (!pixels::rowsUsable(*this)) {
    fail("There is no picture to convert.");
    return nullptr;
  }
  const std::int64_t tableArea = tableAreaFor(target);
  const std::int64_t newStride = dibStride(width, target);
  const std::int64_t total = std::int64_t{headerSize} + tableArea + newStride * height;
  Block block = pixels::allocateBlock(total);
  if (!block) {
    fail("Failed to allocate %lld bytes for a temporary image.", static_cast<long long>(total));
    return nullptr;
  }
  std::uint8_t* rows = block.get() + headerSize + tableArea;
  if (target <= 8 && paletteSize > 0) {
    // A file's colour count may exceed what the new depth can index; the table area holds what fits.
    const std::int64_t copied = paletteSize < tableArea ? paletteSize : tableArea;
    std::memcpy(block.get() + headerSize, dib + paletteOffset, copied);
  }
  bool converted;
  if (bitsPerPixel == 16)
    converted = target == 24 && pixels::isPackedDib(*this) && rows16To24(*this, rows, newStride);
  else
    converted = widenRows(*this, target, rows, newStride);
  if (!converted) return nullptr;

  if (pixels::isPackedDib(*this)) {
    std::memcpy(block.get(), dib, headerSize);
    auto* h = reinterpret_cast<BITMAPINFOHEADER*>(block.get());
    h->biBitCount = static_cast<WORD>(target);
    // The new rows are plain: bit-field masks of the old depth no longer describe them.
    h->biCompression = BI_RGB;
    h->biSizeImage = static_cast<DWORD>(newStride * height);
    h->biClrUsed = 0;
    h->biClrImportant = 0;
  }
  return block.release();
}

}  // namespace orlim
