// Row conversions of the TIFF reader. Whole-byte layouts the record shares with
// the file are copied; wider samples keep their high byte and narrower ones
// (2-bit gray, odd widths such as 3, 5, 12 or 14 bits) are stretched to 8-bit
// levels; colour comes out blue-green-red; CMYK becomes RGB by the
// multiplicative mix of ink and black.
#include "formats/tiff_rows.h"

#include <algorithm>
#include <bit>
#include <cstring>

#include "formats/red_blue.h"

namespace orlim {

unsigned tiffSampleLevel(const std::uint8_t* row, std::int64_t i, int bits) {
  switch (bits) {
    case 8: return row[i];
    case 16: {
      std::uint16_t v;
      std::memcpy(&v, row + 2 * i, 2);
      return v >> 8;
    }
    case 24: return row[3 * i + (std::endian::native == std::endian::little ? 2 : 0)];
    case 32: {
      std::uint32_t v;
      std::memcpy(&v, row + 4 * i, 4);
      return v >> 24;
    }
    default: break;
  }
  // Packed from the high bit down, across at most five bytes.
  const std::int64_t firstBit = i * bits;
  const std::uint8_t* at = row + (firstBit >> 3);
  const int spanBits = static_cast<int>(firstBit & 7) + bits;
  const int spanBytes = (spanBits + 7) / 8;
  std::uint64_t gathered = 0;
  for (int b = 0; b < spanBytes; ++b) gathered = (gathered << 8) | at[b];
  const auto v =
      static_cast<std::uint32_t>((gathered >> (spanBytes * 8 - spanBits)) & ((std::uint64_t{1} << bits) - 1));
  if (bits > 8) return v >> (bits - 8);
  const std::uint32_t top = (1u << bits) - 1;
  return (v * 255 + top / 2) / top;
}

namespace {

// The light an ink lets through under black, as libtiff and imagemagick mix
// them: (255 - ink)(255 - black) / 255, rounded, like the JPEG reader.
inline std::uint8_t lightOf(unsigned ink, unsigned black) {
  return static_cast<std::uint8_t>(((255u - ink) * (255u - black) + 127u) / 255u);
}

void convertTwoBit(const TiffRowFormat& f, const std::uint8_t* in, std::int64_t pixels, std::uint8_t* out) {
  const unsigned scale = f.palette ? 1 : 85;
  for (std::int64_t x = 0; x < pixels; ++x) {
    const unsigned v = (in[x >> 2] >> (6 - 2 * (x & 3))) & 3;
    out[x] = static_cast<std::uint8_t>(v * scale);
  }
}

}  // namespace

void convertTiffRow(const TiffRowFormat& f, const std::uint8_t* in, std::int64_t inBytes, std::uint8_t* out,
                    std::int64_t outBytes) {
  if (inBytes <= 0 || outBytes <= 0) return;
  const int bits = f.bitsPerSample;
  const std::int64_t inPixelBits = std::int64_t{f.samples} * f.bitsPerSample;
  std::int64_t pixels = std::min<std::int64_t>(f.width, inBytes * 8 / inPixelBits);
  pixels = std::min<std::int64_t>(pixels, outBytes * 8 / f.depth);
  if (f.samples == 1 && f.bitsPerSample == f.depth) {
    std::memcpy(out, in, static_cast<std::size_t>(std::min(inBytes, outBytes)));
    return;
  }
  if (f.samples == 1 && f.bitsPerSample == 2) {
    convertTwoBit(f, in, pixels, out);
    return;
  }
  const int n = f.samples;
  if (f.depth == 8) {
    for (std::int64_t x = 0; x < pixels; ++x) out[x] = static_cast<std::uint8_t>(tiffSampleLevel(in, x * n, bits));
    return;
  }
  if (f.cmyk) {
    for (std::int64_t x = 0; x < pixels; ++x, out += 3) {
      const unsigned k = tiffSampleLevel(in, 4 * x + 3, bits);
      out[0] = lightOf(tiffSampleLevel(in, 4 * x + 2, bits), k);
      out[1] = lightOf(tiffSampleLevel(in, 4 * x + 1, bits), k);
      out[2] = lightOf(tiffSampleLevel(in, 4 * x, bits), k);
    }
    return;
  }
  if (bits == 8) {
    swapRedBlue(in, out, pixels);
    return;
  }
  for (std::int64_t x = 0; x < pixels; ++x, out += 3) {
    out[0] = static_cast<std::uint8_t>(tiffSampleLevel(in, x * n + 2, bits));
    out[1] = static_cast<std::uint8_t>(tiffSampleLevel(in, x * n + 1, bits));
    out[2] = static_cast<std::uint8_t>(tiffSampleLevel(in, x * n, bits));
  }
}

}  // namespace orlim
