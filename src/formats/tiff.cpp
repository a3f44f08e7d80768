// Reading one page of a TIFF file through libtiff: tags checked against what
// the picture record can hold, pixels converted row by row into bottom-up,
// blue-green-red storage, then the file's orientation undone with the
// geometric transforms. Depths the record has no form for are brought to one:
// wider samples keep their high byte, narrower ones widen to 8 bits. Pages
// the conversions cannot show right go through libtiff's RGBA interface
// (tiff_rgba.cpp); separate planes are woven together first (tiff_planar.cpp).
#include <tiffio.h>

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <memory>

#include "formats/pixel_block.h"
#include "formats/tiff_handlers.h"
#include "formats/tiff_page.h"
#include "formats/tiff_rows.h"
#include "image/Image.h"
#include "image/resolution.h"

namespace orlim {

namespace {

struct TiffCloser {
  void operator()(TIFF* tif) const { TIFFClose(tif); }
};
using TiffFile = std::unique_ptr<TIFF, TiffCloser>;

bool isCcitt(uint16_t compression) {
  return compression == COMPRESSION_CCITTRLE || compression == COMPRESSION_CCITTFAX3 ||
         compression == COMPRESSION_CCITTFAX4;
}

int countPages(TIFF* tif) {
  int pages = 1;
  while (TIFFReadDirectory(tif)) ++pages;
  return pages;
}

// Depth of the record's pixels for the file's samples; 0 when there is no form
// for them. Gray and colour levels of any width up to 32 bits become 8-bit
// levels; colour-map indexes only fit when they are 1, 2, 4 or 8 bits wide.
int targetDepth(const TiffRowFormat& f) {
  const bool levels = f.bitsPerSample >= 1 && f.bitsPerSample <= 32;
  if (f.samples == 1 || f.samples == 2) {
    if (f.samples == 1 && (f.bitsPerSample == 1 || f.bitsPerSample == 4)) return f.bitsPerSample;
    if (f.samples == 1 && f.bitsPerSample == 2) return 8;
    if (f.palette) return f.bitsPerSample == 8 ? 8 : 0;
    return levels ? 8 : 0;
  }
  return levels ? 24 : 0;
}

// Why the row conversions cannot show a page right.
enum class Shortfall {
  None,
  Samples,  // the photometric or the sample count: said with both
  Bits,     // the samples' width or kind: said with bits and samples
};

bool isCmykPage(const TiffPage& p) {
  return p.samplesPerPixel == 4 && p.photometric == PHOTOMETRIC_SEPARATED && p.inkSet == INKSET_CMYK;
}

// Colour encodings whose samples are not levels of gray, red, green and blue.
bool isEncodedColor(const TiffPage& p) {
  switch (p.photometric) {
    case PHOTOMETRIC_CIELAB:
    case PHOTOMETRIC_ICCLAB:
    case PHOTOMETRIC_ITULAB:
    case PHOTOMETRIC_LOGL:
    case PHOTOMETRIC_LOGLUV: return true;
    case PHOTOMETRIC_YCBCR:  // only the new JPEG codec turns YCbCr into RGB itself, and in one plane
      return p.compression != COMPRESSION_JPEG || p.planar == PLANARCONFIG_SEPARATE;
    default: return p.compression == COMPRESSION_OJPEG;
  }
}

bool hasAlpha(TIFF* tif) {
  uint16_t count = 0;
  uint16_t* kinds = nullptr;
  if (!TIFFGetField(tif, TIFFTAG_EXTRASAMPLES, &count, &kinds)) return false;
  for (uint16_t i = 0; i < count; ++i)
    if (kinds[i] == EXTRASAMPLE_ASSOCALPHA || kinds[i] == EXTRASAMPLE_UNASSALPHA) return true;
  return false;
}

Shortfall directShortfall(TIFF* tif, const TiffPage& p) {
  if ((p.samplesPerPixel > 3 && !isCmykPage(p)) || isEncodedColor(p)) return Shortfall::Samples;
  // Floating-point and complex samples are no levels the conversions know.
  const bool integerSamples =
      p.sampleFormat == SAMPLEFORMAT_UINT || p.sampleFormat == SAMPLEFORMAT_INT || p.sampleFormat == SAMPLEFORMAT_VOID;
  if (p.rows.depth == 0 || !integerSamples || hasAlpha(tif)) return Shortfall::Bits;
  return Shortfall::None;
}

}  // namespace

// Bits per sample and samples per pixel, with the defaults the control allows
// for files that leave them out.
static int readSampleTags(const Image& image, TIFF* tif, TiffPage& p) {
  if (!TIFFGetField(tif, TIFFTAG_BITSPERSAMPLE, &p.bitsPerSample)) {
    if (!isCcitt(p.compression)) return image.fail("Failed to get TIFF bits per sample.");
    p.bitsPerSample = 1;
  }
  if (!TIFFGetField(tif, TIFFTAG_ROWSPERSTRIP, &p.rowsPerStrip)) {
    // Tiled pages have no strips to count rows in.
    if (p.compression == COMPRESSION_JPEG && !TIFFIsTiled(tif)) return image.fail("Failed to get TIFF rows per strip.");
    p.rowsPerStrip = p.height;
  }
  if (!TIFFGetField(tif, TIFFTAG_SAMPLESPERPIXEL, &p.samplesPerPixel)) {
    const bool plainIndexed = (p.compression == COMPRESSION_NONE || p.compression == COMPRESSION_PACKBITS) &&
                              p.photometric <= PHOTOMETRIC_PALETTE && p.photometric != PHOTOMETRIC_RGB &&
                              (p.bitsPerSample == 4 || p.bitsPerSample == 8);
    if (!isCcitt(p.compression) && !plainIndexed) return image.fail("Failed to get TIFF samples per pixel.");
    p.samplesPerPixel = 1;
  }
  if (p.samplesPerPixel > 3) TIFFGetField(tif, TIFFTAG_INKSET, &p.inkSet);
  TIFFGetField(tif, TIFFTAG_SAMPLEFORMAT, &p.sampleFormat);
  return 1;
}

static int readTiffTags(const Image& image, TIFF* tif, TiffPage& p) {
  if (!TIFFGetField(tif, TIFFTAG_IMAGELENGTH, &p.height)) return image.fail("Failed to get TIFF height.");
  if (!TIFFGetField(tif, TIFFTAG_IMAGEWIDTH, &p.width)) return image.fail("Failed to get TIFF width.");
  TIFFGetField(tif, TIFFTAG_ORIENTATION, &p.orientation);
  TIFFGetField(tif, TIFFTAG_RESOLUTIONUNIT, &p.resolutionUnit);
  TIFFGetField(tif, TIFFTAG_XRESOLUTION, &p.xResolution);
  TIFFGetField(tif, TIFFTAG_YRESOLUTION, &p.yResolution);
  if (!TIFFGetField(tif, TIFFTAG_COMPRESSION, &p.compression)) return image.fail("Failed to get TIFF compression.");
  if (!TIFFGetField(tif, TIFFTAG_PHOTOMETRIC, &p.photometric)) return image.fail("Failed to get TIFF photometric.");
  TIFFGetField(tif, TIFFTAG_PLANARCONFIG, &p.planar);
  if (!readSampleTags(image, tif, p)) return 0;
  if (p.photometric == PHOTOMETRIC_PALETTE && !TIFFGetField(tif, TIFFTAG_COLORMAP, &p.red, &p.green, &p.blue))
    return image.fail("Failed to get TIFF color map for palette image.");
  if (p.width == 0 || p.height == 0 || p.width > INT_MAX || p.height > INT_MAX)
    return image.fail("Unsupported TIFF size. (Width = %u, Height = %u)", p.width, p.height);
  return 1;
}

// A page the row conversions cannot show right is decoded by libtiff into RGBA
// when it can; otherwise it is refused.
static int planRgba(const Image& image, TIFF* tif, TiffPage& p, Shortfall why) {
  if (!tiffRgbaCanRead(tif)) {
    if (why == Shortfall::Samples)
      return image.fail("Unsupported TIFF format. (Samples/pixel = %d, Photometric = %d)", p.samplesPerPixel,
                        p.photometric);
    return image.fail("Unsupported TIFF format. (Bits/sample = %d, Samples/pixel = %d)", p.bitsPerSample,
                      p.samplesPerPixel);
  }
  p.throughRgba = true;
  p.photometric = PHOTOMETRIC_RGB;
  p.rows.depth = 24;
  return 1;
}

// Settles how rows are converted; YCbCr JPEG pages are asked of libtiff as RGB.
static int planRows(const Image& image, TIFF* tif, TiffPage& p) {
  TiffRowFormat& f = p.rows;
  f.samples = p.samplesPerPixel;
  f.bitsPerSample = p.bitsPerSample;
  f.cmyk = isCmykPage(p);
  f.palette = p.photometric == PHOTOMETRIC_PALETTE;
  f.width = p.width;
  f.depth = p.samplesPerPixel > 4 ? 0 : targetDepth(f);
  const Shortfall why = directShortfall(tif, p);
  if (why != Shortfall::None) return planRgba(image, tif, p, why);
  if (p.compression == COMPRESSION_JPEG && p.photometric == PHOTOMETRIC_YCBCR && p.samplesPerPixel == 3) {
    if (!TIFFSetField(tif, TIFFTAG_JPEGCOLORMODE, JPEGCOLORMODE_RGB))
      return image.fail("Failed to set TIFF JPEG color mode.");
    p.photometric = PHOTOMETRIC_RGB;
  }
  // CMYK pixels become RGB ones, and the record says so, so that a save
  // describes what it writes.
  if (f.cmyk) p.photometric = PHOTOMETRIC_RGB;
  return 1;
}

// Colour table for the record's depth: gray ramps by photometric, or the
// file's colour map (16-bit maps reduced to their high byte).
static void fillTiffColorTable(Image& image, const TiffPage& p) {
  RGBQUAD* table = image.palette();
  const int entries = image.paletteSize / 4;
  if (entries == 0) return;
  if (p.photometric == PHOTOMETRIC_MINISWHITE || p.photometric == PHOTOMETRIC_MINISBLACK) {
    for (int i = 0; i < entries; ++i) {
      const int level = i * 255 / (entries - 1);
      const auto v = static_cast<BYTE>(p.photometric == PHOTOMETRIC_MINISWHITE ? 255 - level : level);
      table[i] = RGBQUAD{v, v, v, 0};
    }
    return;
  }
  if (p.photometric != PHOTOMETRIC_PALETTE) return;
  const int mapEntries = 1 << p.bitsPerSample;
  bool sixteenBit = false;
  for (int i = 0; i < mapEntries; ++i)
    if (p.red[i] > 255 || p.green[i] > 255 || p.blue[i] > 255) sixteenBit = true;
  const int shift = sixteenBit ? 8 : 0;
  for (int i = 0; i < mapEntries && i < entries; ++i)
    table[i] = RGBQUAD{static_cast<BYTE>(p.blue[i] >> shift), static_cast<BYTE>(p.green[i] >> shift),
                       static_cast<BYTE>(p.red[i] >> shift), 0};
}

// Lays out, attaches and describes the zeroed block for the page.
static int buildTiffBlock(Image& image, const char* path, const TiffPage& p, int pages, int page, int layoutArg) {
  const int depth = p.rows.depth;
  const std::int64_t paletteBytes = depth == 24 ? 0 : std::int64_t{4} << depth;
  image.width = image.fullWidth = static_cast<int>(p.width);
  image.height = image.fullHeight = static_cast<int>(p.height);
  if (!attachPixelBlock(image, path, depth, paletteBytes, layoutArg)) return 0;
  image.sourceBitsPerPixel = (p.rows.cmyk ? 3 : p.samplesPerPixel) * p.bitsPerSample;
  image.resolutionUnit = p.resolutionUnit;
  image.xResolution = roundedResolution(p.xResolution);
  image.yResolution = roundedResolution(p.yResolution);
  image.photometric = p.photometric;
  image.negative = image.symmetry = 0;
  image.pageCount = pages;
  image.pageIndex = page;
  image.rowOrder = kRowsBottomUp;
  if (layoutArg == kLayoutPackedDib) {
    const double f = p.resolutionUnit == RESUNIT_INCH         ? kPixelsPerMeterPerDpi
                     : p.resolutionUnit == RESUNIT_CENTIMETER ? 100.0
                                                              : 0.0;
    BITMAPINFOHEADER* h = image.header();
    h->biXPelsPerMeter = roundedResolution(p.xResolution * f);
    h->biYPelsPerMeter = roundedResolution(p.yResolution * f);
  }
  fillTiffColorTable(image, p);
  return 1;
}

// Scan line by scan line; `stopOnError` ends at the first line libtiff cannot give.
static int readTiffScanlines(const Image& image, TIFF* tif, const TiffRowFormat& f, bool stopOnError) {
  const tmsize_t lineSize = TIFFScanlineSize(tif);
  if (lineSize <= 0) return image.fail("TIFF read error!");
  TiffBuffer line(_TIFFmalloc(lineSize));
  if (!line) return image.fail("Failed to allocate %lld bytes for a TIFF scan line.", static_cast<long long>(lineSize));
  for (std::int64_t r = 0; r < image.height; ++r) {
    if (TIFFReadScanline(tif, line.get(), static_cast<uint32_t>(r), 0) < 0) {
      if (stopOnError) return image.fail("TIFF read error!");
      continue;
    }
    convertTiffRow(f, static_cast<const std::uint8_t*>(line.get()), lineSize, storedRowFor(image, r), image.stride);
  }
  return 1;
}

// Whole encoded strips, each cut into its rows. A strip the codec gives up on
// part way (a ThunderScan page's short last strip) still shows the rows it
// decoded, as libtiff's own RGBA reading does: it is decoded once more into a
// cleared buffer, so that the rest is blank rather than the strip before.
static int readTiffStrips(const Image& image, TIFF* tif, const TiffPage& p) {
  const tmsize_t lineSize = TIFFScanlineSize(tif);
  const tmsize_t stripSize = TIFFStripSize(tif);
  if (lineSize <= 0 || stripSize <= 0) return image.fail("TIFF read error!");
  TiffBuffer strip(_TIFFmalloc(stripSize));
  if (!strip) return image.fail("Failed to allocate %lld bytes for a TIFF strip.", static_cast<long long>(stripSize));
  const auto* bytes = static_cast<const std::uint8_t*>(strip.get());
  const uint32_t strips = TIFFNumberOfStrips(tif);
  for (uint32_t i = 0; i < strips; ++i) {
    const std::int64_t firstRow = std::int64_t{i} * p.rowsPerStrip;
    if (firstRow >= image.height) break;
    const bool decoded = TIFFReadEncodedStrip(tif, i, strip.get(), stripSize) >= 0;
    if (!decoded) {
      // libtiff has said what went wrong; the second time it stays quiet.
      std::memset(strip.get(), 0, static_cast<std::size_t>(stripSize));
      const TIFFErrorHandler shown = TIFFSetErrorHandler(nullptr);
      TIFFReadEncodedStrip(tif, i, strip.get(), stripSize);
      TIFFSetErrorHandler(shown);
    }
    std::int64_t rows = std::min<std::int64_t>(p.rowsPerStrip, image.height - firstRow);
    rows = std::min<std::int64_t>(rows, stripSize / lineSize);
    for (std::int64_t r = 0; r < rows; ++r)
      convertTiffRow(p.rows, bytes + r * lineSize, lineSize, storedRowFor(image, firstRow + r), image.stride);
    if (!decoded) return image.fail("TIFF read error!");
  }
  return 1;
}

// Tiles are gathered into bands of whole rows in the file's layout; the tile
// width is a multiple of 16, so each tile starts on a byte of the row.
static int readTiffTiles(const Image& image, TIFF* tif, const TiffPage& p) {
  uint32_t tileWidth = 0, tileLength = 0;
  TIFFGetField(tif, TIFFTAG_TILEWIDTH, &tileWidth);
  TIFFGetField(tif, TIFFTAG_TILELENGTH, &tileLength);
  const tmsize_t tileSize = TIFFTileSize(tif), tileRowSize = TIFFTileRowSize(tif), lineSize = TIFFScanlineSize(tif);
  if (tileWidth == 0 || tileLength == 0 || tileSize <= 0 || tileRowSize <= 0 || lineSize <= 0 ||
      tileSize > kLargestStripBuffer || std::int64_t{lineSize} * tileLength > kLargestStripBuffer ||
      std::int64_t{tileRowSize} * tileLength > tileSize)
    return image.fail("TIFF read error!");
  TiffBuffer tile(_TIFFmalloc(tileSize)), band(_TIFFmalloc(lineSize * tileLength));
  if (!tile || !band)
    return image.fail("Failed to allocate %lld bytes for a TIFF tile.", static_cast<long long>(tileSize));
  auto* tileBytes = static_cast<std::uint8_t*>(tile.get());
  auto* bandBytes = static_cast<std::uint8_t*>(band.get());
  for (uint32_t y = 0; y < p.height; y += tileLength) {
    std::memset(bandBytes, 0, static_cast<std::size_t>(lineSize * tileLength));
    for (uint32_t x = 0, column = 0; x < p.width; x += tileWidth, ++column) {
      if (TIFFReadTile(tif, tileBytes, x, y, 0, 0) < 0) return image.fail("TIFF read error!");
      const std::int64_t offset = std::int64_t{tileRowSize} * column;
      const std::int64_t bytes = std::min<std::int64_t>(tileRowSize, lineSize - offset);
      for (uint32_t r = 0; r < tileLength && bytes > 0; ++r)
        std::memcpy(bandBytes + std::int64_t{r} * lineSize + offset, tileBytes + std::int64_t{r} * tileRowSize, bytes);
    }
    const std::int64_t rows = std::min<std::int64_t>(tileLength, p.height - y);
    for (std::int64_t r = 0; r < rows; ++r)
      convertTiffRow(p.rows, bandBytes + r * lineSize, lineSize, storedRowFor(image, y + r), image.stride);
  }
  return 1;
}

static void readTiffPixels(const Image& image, TIFF* tif, const TiffPage& p) {
  if (p.throughRgba) {
    readTiffRgba(image, tif, p);
    return;
  }
  if (p.planar == PLANARCONFIG_SEPARATE && p.samplesPerPixel > 1) {
    if (TIFFIsTiled(tif))
      readTiffPlanarTiles(image, tif, p);
    else
      readTiffPlanarStrips(image, tif, p);
    return;
  }
  if (TIFFIsTiled(tif)) {
    readTiffTiles(image, tif, p);
    return;
  }
  if (p.rows.cmyk) {
    readTiffScanlines(image, tif, p.rows, true);
    return;
  }
  const bool stripsFit = TIFFStripSize(tif) <= kLargestStripBuffer;
  if (p.rowsPerStrip != 0 && stripsFit)
    readTiffStrips(image, tif, p);
  else
    readTiffScanlines(image, tif, p.rows, p.samplesPerPixel >= 3 || p.rowsPerStrip != 0);
}

// Brings the picture to top-left orientation and sets the storage order the
// orientation leaves. `transpose` exchanges stored rows and columns, which on
// bottom-up rows is the anti-diagonal reflection of the picture as seen; the
// left-top and left-bottom pages therefore need a mirror after it.
static void applyTiffOrientation(Image& image, int orientation) {
  struct Step {
    int (Image::*transform)();
    bool topDown;
    const char* message;
  };
  static const Step kSteps[9] = {
      {nullptr, false, nullptr},
      {nullptr, false, nullptr},
      {&Image::mirror, false, "Failed to change orientation (TOPRIGHT -> TOPLEFT)."},
      {&Image::mirror, true, "Failed to change orientation (BOTRIGHT -> BOTLEFT)."},
      {nullptr, true, nullptr},
      {&Image::rotate90, true, "Failed to change orientation (LEFTTOP -> TOPLEFT)."},
      {&Image::transpose, true, "Failed to change orientation (RIGHTTOP -> BOTLEFT)."},
      {&Image::rotate270, true, "Failed to change orientation (RIGHTBOT -> BOTLEFT)."},
      {&Image::rotate90, false, "Failed to change orientation (LEFTBOT -> TOPLEFT)."},
  };
  const Step& step = kSteps[(orientation >= 2 && orientation <= 8) ? orientation : 1];
  if (step.transform && !(image.*step.transform)()) image.fail("%s", step.message);
  if (step.topDown) {
    image.rowOrder = kRowsTopDown;
    image.header()->biHeight = -image.height;
  }
}

int Image::readTiff(const char* path, int page, int layoutArg) {
  reset(true);
  installTiffHandlers(showWarnings);
  TiffFile tif(TIFFOpen(path, "r"));
  if (!tif) return fail("Failed to open %s.", path);
  const int pages = countPages(tif.get());
  if (page < 0 || !TIFFSetDirectory(tif.get(), static_cast<tdir_t>(page))) {
    page = 0;
    TIFFSetDirectory(tif.get(), 0);
  }
  TiffPage p;
  if (!readTiffTags(*this, tif.get(), p) || !planRows(*this, tif.get(), p) ||
      !buildTiffBlock(*this, path, p, pages, page, layoutArg)) {
    tif.reset();
    reset(true);
    return 0;
  }
  readTiffPixels(*this, tif.get(), p);
  isGray = isGrayPalette();
  tif.reset();
  applyTiffOrientation(*this, p.orientation);
  return 1;
}

}  // namespace orlim
