// Rectangular regions: copying a rectangle out (GetSelection), replacing the
// picture by one (crop), and pasting another picture in with colour mapping and
// a transparent colour (insert).
#include <cstring>

#include "image/Image.h"
#include "image/pixel_access.h"

namespace orlim {

using pixels::Block;

namespace {

// Copies `count` 1-bit pixels starting at pixel `first` of `in` to the start of
// `out`; `inBytes` bounds the source row. Eight bytes at a time while nine
// source bytes are there (the pixels read as one big-endian word shifted up,
// the ninth byte filling in from below), then a byte at a time.
void copyBits(const std::uint8_t* in, std::int64_t inBytes, std::int64_t first, std::int64_t count, std::uint8_t* out) {
  const std::int64_t startByte = first / 8;
  const int shift = static_cast<int>(first % 8);
  const std::int64_t outBytes = (count + 7) / 8;
  std::int64_t k = 0;
  if (shift == 0) {
    std::memcpy(out, in + startByte, static_cast<std::size_t>(outBytes));
    k = outBytes;
  }
  for (; k + 8 <= outBytes && startByte + k + 8 < inBytes; k += 8) {
    std::uint64_t word;
    std::memcpy(&word, in + startByte + k, 8);
    word = (__builtin_bswap64(word) << shift) | (in[startByte + k + 8] >> (8 - shift));
    word = __builtin_bswap64(word);
    std::memcpy(out + k, &word, 8);
  }
  for (; k < outBytes; ++k) {
    const std::int64_t at = startByte + k;
    const unsigned hi = in[at];
    const unsigned lo = shift && at + 1 < inBytes ? in[at + 1] : 0;
    out[k] = static_cast<std::uint8_t>((hi << shift) | (lo >> (8 - shift)));
  }
  const int spare = static_cast<int>(outBytes * 8 - count);
  if (spare) out[outBytes - 1] &= static_cast<std::uint8_t>(0xFF << spare);
}

// 4-bit pixels are copied as their bits: an odd first pixel is a shift of four.
void copyNibbles(const std::uint8_t* in, std::int64_t inBytes, std::int64_t first, std::int64_t count,
                 std::uint8_t* out) {
  copyBits(in, inBytes, first * 4, count * 4, out);
}

// COLORREF of a colour table entry or of a 24/32-bit pixel's first three bytes.
COLORREF colourOf(const std::uint8_t* bgr) { return (COLORREF{bgr[0]} << 16) | (COLORREF{bgr[1]} << 8) | bgr[2]; }

struct InsertSource {
  const std::uint8_t* rows;
  std::int64_t stride;
  std::array<COLORREF, 256> colours{};
};

template <typename ReadValue, typename WriteValue>
void insertIndexed(const Image& other, const InsertSource& src, const BYTE* colourMap, ReadValue read,
                   WriteValue write) {
  for (std::int64_t k = 0; k < other.height; ++k) {
    const std::uint8_t* in = src.rows + k * src.stride;
    for (std::int64_t i = 0; i < other.width; ++i) {
      const int v = read(in, i);
      if (other.transparent && src.colours[v] == other.transparentColor) continue;
      write(k, i, colourMap ? colourMap[v] : v);
    }
  }
}

}  // namespace

std::uint8_t* Image::GetSelection(const RECT& rect) {
  if (!pixels::rowsUsable(*this)) {
    fail("There is no picture to select from.");
    return nullptr;
  }
  if (rect.left < 0 || rect.top < 0 || rect.right >= width || rect.bottom >= height || rect.right < rect.left ||
      rect.bottom < rect.top) {
    fail("The selection (%d, %d)-(%d, %d) does not lie inside the %d x %d picture.", rect.left, rect.top, rect.right,
         rect.bottom, width, height);
    return nullptr;
  }
  const int b = bitsPerPixel;
  if (b != 1 && b != 4 && b != 8 && b != 24 && b != 32) {
    fail("GetSelection not supported for this color depth.");
    return nullptr;
  }
  const std::int64_t w = std::int64_t{rect.right} - rect.left + 1;
  const std::int64_t first = rowOrder == kRowsTopDown ? rect.top : height - 1 - rect.bottom;
  const std::int64_t h = std::int64_t{rect.bottom} - rect.top + 1;
  const std::int64_t newStride = dibStride(w, b);
  const std::int64_t total = newStride * h + paletteSize + headerSize;
  Block block = pixels::allocateBlock(total);
  if (!block) {
    fail("Failed to allocate %lld bytes for the selection.", static_cast<long long>(total));
    return nullptr;
  }
  std::memcpy(block.get(), dib, headerSize);
  std::memcpy(block.get() + headerSize, dib + paletteOffset, paletteSize);
  if (pixels::isPackedDib(*this)) {
    auto* hdr = reinterpret_cast<BITMAPINFOHEADER*>(block.get());
    hdr->biHeight = static_cast<LONG>(rowOrder == kRowsTopDown ? -h : h);
    hdr->biWidth = static_cast<LONG>(w);
    hdr->biSizeImage = static_cast<DWORD>(newStride * h);
  }
  std::uint8_t* out = block.get() + headerSize + paletteSize;
  const std::int64_t usedBytes = (w * b + 7) / 8;
  for (std::int64_t k = 0; k < h; ++k, out += newStride) {
    const std::uint8_t* in = pixels::rowAt(*this, first + k);
    if (b == 1)
      copyBits(in, stride, rect.left, w, out);
    else if (b == 4)
      copyNibbles(in, stride, rect.left, w, out);
    else
      std::memcpy(out, in + std::int64_t{rect.left} * (b / 8), usedBytes);
  }
  return block.release();
}

int Image::crop(const RECT& rect) {
  std::uint8_t* block = GetSelection(rect);
  if (!block) return 0;
  height = fullHeight = rect.bottom - rect.top + 1;
  width = fullWidth = rect.right - rect.left + 1;
  negative = 0;
  symmetry = 0;
  stride = static_cast<int>(dibStride(width, bitsPerPixel));
  bitsSize = stride * height;
  paletteOffset = headerSize;
  bitsOffset = headerSize + paletteSize;
  std::free(dib);
  dib = block;
  // The picture no longer matches the decoded page.
  if (djvuPage && djvuPageReleaser) djvuPageReleaser(djvuPage);
  djvuPage = nullptr;
  return 1;
}

int Image::insert(const Image& other, int x, int y, const BYTE* colourMap) {
  const int d = bitsPerPixel, e = other.bitsPerPixel;
  if (e > d) return fail("Color depth mismatch. Inserted image has more colors than the original.");
  if (x < 0 || y < 0 || std::int64_t{x} + other.width > width || std::int64_t{y} + other.height > height)
    return fail("Inserted image out of bounds in the original.");
  if (d != 1 && d != 4 && d != 8 && d != 24 && d != 32) return fail("Insertion not supported for this color depth.");
  if (!pixels::rowsUsable(*this) || !pixels::rowsUsable(other)) return fail("There is no picture to insert.");

  // The inserted picture at this picture's depth: its own rows, or a converted copy.
  Block converted;
  InsertSource src{};
  const std::uint8_t* table = nullptr;
  std::int64_t tableBytes = 0;
  if (e < d) {
    // The depth increase only reads `other`; it reports through other's handler.
    converted.reset(const_cast<Image&>(other).increaseColorDepth(d));
    if (!converted) return 0;
    const std::int64_t area = d <= 8 ? (std::int64_t{4} << d) : d == 32 ? 12 : 0;
    table = converted.get() + other.headerSize;
    tableBytes = d <= 8 ? area : 0;
    src.rows = converted.get() + other.headerSize + area;
  } else {
    table = other.dib + other.paletteOffset;
    tableBytes = other.paletteSize;
    src.rows = other.dib + other.bitsOffset;
  }
  src.stride = dibStride(other.width, d);
  if (d <= 8) {
    const std::array<RGBQUAD, 256> entries =
        pixels::paletteEntries(table, tableBytes, e < d ? 4 : other.paletteEntrySize);
    for (int k = 0; k < 256; ++k) src.colours[k] = colourOf(&entries[k].rgbBlue);
  }

  auto target = [this, y](std::int64_t k) { return pixels::rowAt(*this, y + k); };
  switch (d) {
    case 1:
      insertIndexed(other, src, colourMap, pixels::bit,
                    [&](std::int64_t k, std::int64_t i, int v) { pixels::putBit(target(k), x + i, v != 0); });
      break;
    case 4:
      insertIndexed(other, src, colourMap, pixels::nibble,
                    [&](std::int64_t k, std::int64_t i, int v) { pixels::putNibble(target(k), x + i, v); });
      break;
    case 8:
      insertIndexed(
          other, src, colourMap, [](const std::uint8_t* in, std::int64_t i) { return int{in[i]}; },
          [&](std::int64_t k, std::int64_t i, int v) { target(k)[x + i] = static_cast<std::uint8_t>(v); });
      break;
    default: {
      const int n = d / 8;
      for (std::int64_t k = 0; k < other.height; ++k) {
        const std::uint8_t* in = src.rows + k * src.stride;
        std::uint8_t* out = target(k) + std::int64_t{x} * n;
        for (std::int64_t i = 0; i < other.width; ++i, in += n, out += n) {
          if (other.transparent && colourOf(in) == other.transparentColor) continue;
          std::memcpy(out, in, n);
        }
      }
      break;
    }
  }
  return 1;
}

}  // namespace orlim
