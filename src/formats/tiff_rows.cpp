// Row conversions of the TIFF reader. Whole-byte layouts the record shares with
// the file are copied; 16-bit samples (in host order, as libtiff delivers them)
// keep their high byte; 2-bit levels widen to 8 bits; colour comes out
// blue-green-red; CMYK becomes RGB by the multiplicative mix of ink and black.
#include "formats/tiff_rows.h"

#include <algorithm>
#include <cstring>

namespace orlim {

namespace {

// Sample `i` of a row of 8- or 16-bit samples, as 8 bits.
inline unsigned sampleAt(const std::uint8_t* in, std::int64_t i, bool wide) {
  if (!wide) return in[i];
  std::uint16_t v;
  std::memcpy(&v, in + 2 * i, 2);
  return v >> 8;
}

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
  const bool wide = f.bitsPerSample == 16;
  const std::int64_t inPixelBits = std::int64_t{f.samples} * f.bitsPerSample;
  std::int64_t pixels = std::min<std::int64_t>(f.width, inBytes * 8 / inPixelBits);
  pixels = std::min<std::int64_t>(pixels, outBytes * 8 / f.depth);
  if (f.samples == 1 && f.bitsPerSample == f.depth) {
    std::memcpy(out, in, static_cast<std::size_t>(std::min(inBytes, outBytes)));
    return;
  }
  if (f.bitsPerSample == 2) {
    convertTwoBit(f, in, pixels, out);
    return;
  }
  const int n = f.samples;
  if (f.depth == 8) {
    for (std::int64_t x = 0; x < pixels; ++x) out[x] = static_cast<std::uint8_t>(sampleAt(in, x * n, wide));
    return;
  }
  if (f.cmyk) {
    for (std::int64_t x = 0; x < pixels; ++x, out += 3) {
      const unsigned k = sampleAt(in, 4 * x + 3, wide);
      out[0] = lightOf(sampleAt(in, 4 * x + 2, wide), k);
      out[1] = lightOf(sampleAt(in, 4 * x + 1, wide), k);
      out[2] = lightOf(sampleAt(in, 4 * x, wide), k);
    }
    return;
  }
  if (!wide) {
    for (std::int64_t x = 0; x < pixels; ++x, in += 3, out += 3) {
      out[0] = in[2];
      out[1] = in[1];
      out[2] = in[0];
    }
    return;
  }
  for (std::int64_t x = 0; x < pixels; ++x, out += 3) {
    out[0] = static_cast<std::uint8_t>(sampleAt(in, x * n + 2, wide));
    out[1] = static_cast<std::uint8_t>(sampleAt(in, x * n + 1, wide));
    out[2] = static_cast<std::uint8_t>(sampleAt(in, x * n, wide));
  }
}

}  // namespace orlim
