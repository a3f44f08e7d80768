// What the TIFF reader's files share about the page being read: its tags, how
// its rows are converted, and where a file row is stored in the block.
#pragma once

#include <tiffio.h>

#include <cstdint>
#include <memory>

#include "formats/tiff_rows.h"
#include "image/Image.h"

namespace orlim {

// A strip bigger than this is read scan line by scan line instead of whole.
constexpr tmsize_t kLargestStripBuffer = tmsize_t{64} << 20;

struct TiffBufferFree {
  void operator()(void* p) const { _TIFFfree(p); }
};
using TiffBuffer = std::unique_ptr<void, TiffBufferFree>;

// The tags of the current directory that the reader uses.
struct TiffPage {
  uint32_t width = 0, height = 0;
  uint16_t orientation = ORIENTATION_TOPLEFT;
  uint16_t resolutionUnit = 0;
  float xResolution = 0, yResolution = 0;
  uint16_t compression = 0, photometric = 0, planar = PLANARCONFIG_CONTIG;
  uint16_t bitsPerSample = 0, samplesPerPixel = 0, inkSet = INKSET_CMYK;
  uint16_t sampleFormat = SAMPLEFORMAT_UINT;
  uint32_t rowsPerStrip = 0;
  uint16_t *red = nullptr, *green = nullptr, *blue = nullptr;
  TiffRowFormat rows;
  // The page goes through libtiff's RGBA interface instead of the row conversions.
  bool throughRgba = false;
};

inline std::uint8_t* storedRowFor(const Image& image, std::int64_t fileRow) {
  return image.bits() + (image.height - 1 - fileRow) * std::int64_t{image.stride};
}

// Separate planes (one strip or tile per sample) gathered into contiguous rows
// and converted like them. Only whole-byte samples come this way.
int readTiffPlanarStrips(const Image& image, TIFF* tif, const TiffPage& p);
int readTiffPlanarTiles(const Image& image, TIFF* tif, const TiffPage& p);

// True when libtiff's RGBA interface can decode the current directory.
bool tiffRgbaCanRead(TIFF* tif);
// Decodes the page through the RGBA interface in the file's own row order into
// the 24-bit block, alpha composited over white.
int readTiffRgba(const Image& image, TIFF* tif, const TiffPage& p);

}  // namespace orlim
