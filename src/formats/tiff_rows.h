// Conversion of one decoded TIFF row into the picture record's stored form.
#pragma once

#include <cstdint>

namespace orlim {

struct TiffRowFormat {
  int samples = 1;        // samples per pixel in the file (4 = CMYK)
  int bitsPerSample = 1;  // 1 to 32
  bool cmyk = false;
  bool palette = false;  // samples are colour-map indexes, not levels
  int depth = 1;         // bits per pixel of the record: 1, 4, 8 or 24
  std::uint32_t width = 0;
};

// Sample `i` of a row of `bits`-wide samples (1 to 32) as an 8-bit level.
// 16-, 24- and 32-bit samples are in host order, as libtiff delivers them; other
// widths are packed from the high bit down. Wider samples keep their high 8
// bits, narrower ones are stretched to 0..255.
unsigned tiffSampleLevel(const std::uint8_t* row, std::int64_t i, int bits);

// Converts the row `in` (`inBytes` long) into `out` (`outBytes` long); reads and
// writes only within both.
void convertTiffRow(const TiffRowFormat& f, const std::uint8_t* in, std::int64_t inBytes, std::uint8_t* out,
                    std::int64_t outBytes);

}  // namespace orlim
