// Small helpers shared by the image operations: reading and writing packed
// pixels, allocating blocks with 64-bit size checks, and a bounded view of the
// colour table and of the 32-bit channel masks.
#pragma once

#include <array>
#include <climits>
#include <cstdint>
#include <cstdlib>
#include <memory>

#include "image/Image.h"
#include "image/block_gate.h"

namespace orlim::pixels {

using Block = PictureBlock;

// A zero-filled block of `size` bytes, or null when the size cannot be held in
// the record's 32-bit fields or the memory is not there. Unsigned, so that the
// product of any stride and row count (both below 2^32) is held exactly. Large
// blocks are backed by huge pages where the system offers them: a fresh 72 MB
// picture otherwise costs some 18000 page faults, more time than a quarter turn
// spends moving its pixels.
Block allocateBlock(std::uint64_t size);

inline int bit(const std::uint8_t* row, std::int64_t x) { return (row[x >> 3] >> (7 - (x & 7))) & 1; }
inline void putBit(std::uint8_t* row, std::int64_t x, int value) {
  const std::uint8_t mask = static_cast<std::uint8_t>(0x80u >> (x & 7));
  if (value)
    row[x >> 3] |= mask;
  else
    row[x >> 3] &= static_cast<std::uint8_t>(~mask);
}
inline int nibble(const std::uint8_t* row, std::int64_t x) { return (x & 1) ? row[x >> 1] & 0x0F : row[x >> 1] >> 4; }
inline void putNibble(std::uint8_t* row, std::int64_t x, int value) {
  std::uint8_t& b = row[x >> 1];
  if (x & 1)
    b = static_cast<std::uint8_t>((b & 0xF0) | (value & 0x0F));
  else
    b = static_cast<std::uint8_t>((b & 0x0F) | ((value & 0x0F) << 4));
}

// True when the description promises rows that the block really holds, so that
// the loops may walk `height` rows of `stride` bytes from `bitsOffset`.
inline bool rowsUsable(const Image& im) {
  return im.dib && im.width > 0 && im.height > 0 && im.bitsOffset >= 0 &&
         im.stride >= dibStride(im.width, im.bitsPerPixel) && std::int64_t{im.stride} * im.height <= im.bitsSize;
}

inline std::uint8_t* rowAt(const Image& im, std::int64_t r) { return im.dib + im.bitsOffset + r * im.stride; }

// The colour table as 256 entries; entries the block does not hold read as
// black, so an index beyond a short table never reads outside it.
std::array<RGBQUAD, 256> paletteEntries(const Image& im);
// Same, from a table of `tableBytes` bytes at `table` with `entrySize` steps.
std::array<RGBQUAD, 256> paletteEntries(const std::uint8_t* table, std::int64_t tableBytes, int entrySize);

// The red, green and blue masks of a 32-bit picture; the standard byte masks
// when the picture carries none.
struct ChannelMasks {
  std::uint32_t red = 0x00FF0000u;
  std::uint32_t green = 0x0000FF00u;
  std::uint32_t blue = 0x000000FFu;
  bool standard() const { return red == 0x00FF0000u && green == 0x0000FF00u && blue == 0x000000FFu; }
};
ChannelMasks channelMasks(const Image& im);

struct Channels {
  int blue, green, red;
};
// Takes a pixel apart the bit-field way; channels wider than a byte are held at 255.
inline Channels splitPixel(std::uint32_t pixel, const ChannelMasks& m) {
  auto clamp = [](std::uint32_t v) { return static_cast<int>(v > 255 ? 255 : v); };
  return {clamp(pixel & m.blue), clamp((pixel >> 8) & (m.green >> 8)), clamp((pixel >> 16) & (m.red >> 16))};
}

inline std::uint32_t load32(const std::uint8_t* p) {
  return p[0] | (p[1] << 8) | (p[2] << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}

// Luma of a colour, BT.601 weights on the right bytes (red 77, green 151, blue 29).
inline int grayOf(int blue, int green, int red) { return (29 * blue + 151 * green + 77 * red) >> 8; }

inline bool isPackedDib(const Image& im) { return im.layout == kLayoutPackedDib && im.dib && im.headerSize >= 40; }

}  // namespace orlim::pixels
