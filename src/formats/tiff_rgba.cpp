// Pages the row conversions cannot show right (old-style JPEG, subsampled
// YCbCr, CIELab, LogLuv, alpha) decoded by libtiff into RGBA. The band asked
// for each time is one strip or one row of tiles, so nothing is decoded twice
// and no full-page RGBA raster is ever held. The page is asked for in its own
// orientation, so rows come in file order and the reader's orientation rules
// apply to them as to every other page.
#include <tiffio.h>

#include <algorithm>

#include "formats/tiff_page.h"

namespace orlim {

namespace {

// Colour samples and a few extra ones, of at most 16 bits; more is no picture.
constexpr uint16_t kMostRgbaSamples = 8;
constexpr std::uint64_t kMostBytesPerPixel = kMostRgbaSamples * 2;

struct RgbaImageEnd {
  void operator()(TIFFRGBAImage* img) const { TIFFRGBAImageEnd(img); }
};

// One channel premultiplied by alpha, put over white.
inline std::uint8_t overWhite(std::uint32_t channel, std::uint32_t alpha) {
  return static_cast<std::uint8_t>(std::min<std::uint32_t>(255, channel + 255 - alpha));
}

void storeRgbaRow(const std::uint32_t* in, std::uint32_t width, std::uint8_t* out) {
  for (std::uint32_t x = 0; x < width; ++x, out += 3) {
    const std::uint32_t p = in[x], a = TIFFGetA(p);
    out[0] = overWhite(TIFFGetB(p), a);
    out[1] = overWhite(TIFFGetG(p), a);
    out[2] = overWhite(TIFFGetR(p), a);
  }
}

std::uint32_t bandRows(TIFF* tif, const TiffPage& p) {
  std::uint32_t rows = 0;
  if (TIFFIsTiled(tif))
    TIFFGetField(tif, TIFFTAG_TILELENGTH, &rows);
  else
    TIFFGetFieldDefaulted(tif, TIFFTAG_ROWSPERSTRIP, &rows);
  return rows == 0 ? p.height : std::min(rows, p.height);
}

}  // namespace

bool tiffRgbaCanRead(TIFF* tif) {
  // libtiff decodes a whole strip or tile at a time; a page claiming absurd
  // samples or tiles would have it ask for more memory than any picture needs.
  uint16_t samples = 1;
  uint32_t width = 0;
  TIFFGetFieldDefaulted(tif, TIFFTAG_SAMPLESPERPIXEL, &samples);
  TIFFGetField(tif, TIFFTAG_IMAGEWIDTH, &width);
  if (samples > kMostRgbaSamples || TIFFScanlineSize64(tif) > kMostBytesPerPixel * std::uint64_t{width} ||
      (TIFFIsTiled(tif) && TIFFTileSize64(tif) > kLargestStripBuffer))
    return false;
  // Some layouts pass the first check and find no decoder only when begun.
  char message[1024] = "";
  TIFFRGBAImage img;
  if (!TIFFRGBAImageOK(tif, message) || !TIFFRGBAImageBegin(&img, tif, 0, message)) return false;
  TIFFRGBAImageEnd(&img);
  return true;
}

int readTiffRgba(const Image& image, TIFF* tif, const TiffPage& p) {
  char message[1024] = "";
  TIFFRGBAImage img;
  if (!TIFFRGBAImageBegin(&img, tif, 0, message)) return image.fail("TIFF read error!");
  std::unique_ptr<TIFFRGBAImage, RgbaImageEnd> end(&img);
  img.req_orientation = (p.orientation >= 1 && p.orientation <= 8) ? p.orientation : ORIENTATION_TOPLEFT;
  const std::uint32_t band = bandRows(tif, p);
  const std::int64_t bandBytes = std::int64_t{p.width} * band * 4;
  TiffBuffer raster(bandBytes <= INT64_MAX / 2 ? _TIFFmalloc(bandBytes) : nullptr);
  if (!raster) return image.fail("Failed to allocate %lld bytes for a TIFF strip.", static_cast<long long>(bandBytes));
  const auto* pixels = static_cast<const std::uint32_t*>(raster.get());
  for (std::uint32_t y = 0; y < p.height; y += band) {
    const std::uint32_t rows = std::min(band, p.height - y);
    img.row_offset = static_cast<int>(y);
    img.col_offset = 0;
    if (!TIFFRGBAImageGet(&img, static_cast<std::uint32_t*>(raster.get()), p.width, rows))
      return image.fail("TIFF read error!");
    for (std::uint32_t r = 0; r < rows; ++r)
      storeRgbaRow(pixels + std::int64_t{r} * p.width, p.width, storedRowFor(image, std::int64_t{y} + r));
  }
  return 1;
}

}  // namespace orlim
