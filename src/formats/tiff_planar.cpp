// Pages stored with separate planes (PlanarConfiguration 2): every sample has
// strips or tiles of its own. A band of rows is read plane by plane, the planes'
// samples are woven into the contiguous layout, and the rows then go through the
// same conversions as contiguous pages. Samples of 8 or 16 bits are woven as
// they are; other widths are woven as 8-bit levels.
#include <tiffio.h>

#include <algorithm>
#include <cstring>
#include <vector>

#include "formats/tiff_page.h"

namespace orlim {

namespace {

// The buffers of one band: a plane's rows as the file has them, and the
// contiguous row built from all planes.
struct PlaneBand {
  std::int64_t planeLine = 0;   // bytes of one row of one plane
  std::int64_t planeBytes = 0;  // bytes of one plane's band
  int bits = 8;                 // of a sample in the file
  int sampleBytes = 1;          // of a sample in the woven row
  int samples = 1;
  TiffRowFormat format;  // of the woven row
  TiffBuffer planes;     // `samples` bands of `planeBytes` one after the other
  TiffBuffer line;       // one contiguous row

  std::uint8_t* plane(int s) const { return static_cast<std::uint8_t*>(planes.get()) + s * planeBytes; }

  // Row `r` of the band with every plane's samples side by side.
  const std::uint8_t* weave(std::int64_t r, std::uint32_t width) const {
    auto* out = static_cast<std::uint8_t*>(line.get());
    for (int s = 0; s < samples; ++s) {
      const std::uint8_t* in = plane(s) + r * planeLine;
      std::uint8_t* at = out + s * sampleBytes;
      if (bits != sampleBytes * 8) {
        for (std::uint32_t x = 0; x < width; ++x, at += samples)
          *at = static_cast<std::uint8_t>(tiffSampleLevel(in, x, bits));
        continue;
      }
      for (std::uint32_t x = 0; x < width; ++x, in += sampleBytes, at += samples * sampleBytes)
        std::memcpy(at, in, static_cast<std::size_t>(sampleBytes));
    }
    return out;
  }
};

bool allocateBand(PlaneBand& b, const TiffPage& p, std::int64_t planeLine, std::int64_t rows) {
  b.bits = p.bitsPerSample;
  b.sampleBytes = b.bits == 16 ? 2 : 1;
  b.samples = p.samplesPerPixel;
  b.format = p.rows;
  b.format.bitsPerSample = b.sampleBytes * 8;
  b.planeLine = planeLine;
  b.planeBytes = planeLine * rows;
  const std::int64_t lineBytes = std::int64_t{p.width} * b.samples * b.sampleBytes;
  // A band is no bigger than the page's decoded samples, which the block's
  // own size check has bounded already.
  if (b.bits < 1 || b.bits > 32 || planeLine != (std::int64_t{p.width} * b.bits + 7) / 8) return false;
  b.planes.reset(_TIFFmalloc(b.planeBytes * b.samples));
  b.line.reset(_TIFFmalloc(lineBytes));
  return b.planes && b.line;
}

void convertBand(const Image& image, const TiffPage& p, const PlaneBand& b, std::int64_t firstRow, std::int64_t rows) {
  const std::int64_t lineBytes = std::int64_t{p.width} * b.samples * b.sampleBytes;
  for (std::int64_t r = 0; r < rows; ++r)
    convertTiffRow(b.format, b.weave(r, p.width), lineBytes, storedRowFor(image, firstRow + r), image.stride);
}

}  // namespace

int readTiffPlanarStrips(const Image& image, TIFF* tif, const TiffPage& p) {
  const tmsize_t planeLine = TIFFScanlineSize(tif);
  const std::int64_t bandRows = std::min<std::int64_t>(p.rowsPerStrip == 0 ? p.height : p.rowsPerStrip, p.height);
  PlaneBand band;
  if (planeLine <= 0 || !allocateBand(band, p, planeLine, bandRows)) return image.fail("TIFF read error!");
  for (std::int64_t y = 0; y < p.height; y += bandRows) {
    const std::int64_t rows = std::min<std::int64_t>(bandRows, p.height - y);
    for (int s = 0; s < band.samples; ++s) {
      const uint32_t strip = TIFFComputeStrip(tif, static_cast<uint32_t>(y), static_cast<uint16_t>(s));
      if (TIFFReadEncodedStrip(tif, strip, band.plane(s), rows * planeLine) < 0) return image.fail("TIFF read error!");
    }
    convertBand(image, p, band, y, rows);
  }
  return 1;
}

int readTiffPlanarTiles(const Image& image, TIFF* tif, const TiffPage& p) {
  uint32_t tileWidth = 0, tileLength = 0;
  TIFFGetField(tif, TIFFTAG_TILEWIDTH, &tileWidth);
  TIFFGetField(tif, TIFFTAG_TILELENGTH, &tileLength);
  const tmsize_t tileSize = TIFFTileSize(tif), tileRowSize = TIFFTileRowSize(tif), planeLine = TIFFScanlineSize(tif);
  PlaneBand band;
  if (tileWidth == 0 || tileLength == 0 || tileSize <= 0 || tileRowSize <= 0 || planeLine <= 0 ||
      tileSize > kLargestStripBuffer || std::int64_t{tileRowSize} * tileLength > tileSize ||
      !allocateBand(band, p, planeLine, std::min(tileLength, p.height)))
    return image.fail("TIFF read error!");
  TiffBuffer tile(_TIFFmalloc(tileSize));
  if (!tile) return image.fail("Failed to allocate %lld bytes for a TIFF tile.", static_cast<long long>(tileSize));
  auto* tileBytes = static_cast<std::uint8_t*>(tile.get());
  for (uint32_t y = 0; y < p.height; y += tileLength) {
    // Only the tile rows inside the page are kept: a tile may be taller than it.
    const uint32_t rows = std::min(tileLength, p.height - y);
    for (int s = 0; s < band.samples; ++s) {
      std::uint8_t* plane = band.plane(s);
      for (uint32_t x = 0, column = 0; x < p.width; x += tileWidth, ++column) {
        if (TIFFReadTile(tif, tileBytes, x, y, 0, static_cast<uint16_t>(s)) < 0) return image.fail("TIFF read error!");
        const std::int64_t offset = std::int64_t{tileRowSize} * column;
        const std::int64_t bytes = std::min<std::int64_t>(tileRowSize, planeLine - offset);
        for (uint32_t r = 0; r < rows && bytes > 0; ++r)
          std::memcpy(plane + std::int64_t{r} * planeLine + offset, tileBytes + std::int64_t{r} * tileRowSize,
                      static_cast<std::size_t>(bytes));
      }
    }
    convertBand(image, p, band, y, rows);
  }
  return 1;
}

}  // namespace orlim
