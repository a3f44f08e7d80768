// Writing the picture as one TIFF page through libtiff, as a new file or as a
// further page of an existing one. libtiff writes into a temporary file (a copy
// of the old one when appending) that replaces the target only once the page is
// complete, so a failed save leaves the old file as it was.
#include <tiffio.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <vector>

#include "formats/atomic_file.h"
#include "formats/red_blue.h"
#include "formats/tiff_handlers.h"
#include "formats/write_progress.h"
#include "image/Image.h"

namespace orlim {

namespace {

struct Refusal {
  int compression;
  const char* message;
};

constexpr Refusal kNeverWritten[] = {
    {COMPRESSION_NEXT, "NeXT 2-bit RLE encoding is not supported."},
    {COMPRESSION_THUNDERSCAN, "ThunderScan RLE encoding is not supported."},
    {COMPRESSION_PIXARFILM, "Pixar companded 10bit LZW compression is not supported."},
    {COMPRESSION_PIXARLOG, "Pixar companded 11bit ZIP compression is not supported."},
    {COMPRESSION_DCS, "Kodak DCS encoding is not supported."},
    {COMPRESSION_JBIG, "ISO JBIG encoding is not supported."},
};

// The refusal message for `compression` on this picture, or null when accepted.
const char* compressionRefusal(const Image& image, int compression) {
  const bool bitonal = image.bitsPerPixel == 1;
  switch (compression) {
    case COMPRESSION_CCITTRLE: return bitonal ? nullptr : "CCITT RLE encoding is only supported for bi-tonal images.";
    case COMPRESSION_CCITTFAX3: return bitonal ? nullptr : "CCITT G3 encoding is only supported for bi-tonal images.";
    case COMPRESSION_CCITTFAX4: return bitonal ? nullptr : "CCITT G4 encoding is only supported for bi-tonal images.";
    case COMPRESSION_CCITTRLEW: return bitonal ? nullptr : "CCITT RLEW encoding is only supported for bi-tonal images.";
    case COMPRESSION_OJPEG:
    case COMPRESSION_JPEG:
      return (image.bitsPerPixel == 24 || (image.bitsPerPixel == 8 && image.isGray))
                 ? nullptr
                 : "JPEG compression is only supported for 24-bit color and 8-bit gray scale images.";
  }
  for (const Refusal& r : kNeverWritten)
    if (r.compression == compression) return r.message;
  return nullptr;
}

struct TiffCloser {
  void operator()(TIFF* tif) const { TIFFClose(tif); }
};
using TiffFile = std::unique_ptr<TIFF, TiffCloser>;

// Hands the temporary file to libtiff under the target's name, so that its
// messages name the file the user asked for.
TIFF* openForLibtiff(AtomicFile& out, const char* path, const char* mode) {
  const int fd = ::dup(::fileno(out.stream()));
  out.closeStream();
  if (fd < 0) return nullptr;
  ::lseek(fd, 0, SEEK_SET);
  TIFF* tif = TIFFFdOpen(fd, path, mode);
  if (!tif) ::close(fd);
  return tif;
}

}  // namespace

// What the page's tags need beyond the picture's own fields.
struct TiffWriteSettings {
  int compression;
  int quality;
  const char* description;
  const char* software;
  uint16_t samples;
  uint16_t bitsPerSample;
};

static int setColorMap(const Image& image, TIFF* tif) {
  const std::size_t entries = std::size_t{1} << image.bitsPerPixel;
  std::vector<uint16_t> red(entries), green(entries), blue(entries);
  const std::size_t held = static_cast<std::size_t>(image.paletteSize / 4);
  const RGBQUAD* table = image.palette();
  for (std::size_t i = 0; i < entries && i < held; ++i) {
    red[i] = static_cast<uint16_t>(table[i].rgbRed * 256);
    green[i] = static_cast<uint16_t>(table[i].rgbGreen * 256);
    blue[i] = static_cast<uint16_t>(table[i].rgbBlue * 256);
  }
  if (!TIFFSetField(tif, TIFFTAG_COLORMAP, red.data(), green.data(), blue.data()))
    return image.fail("Failed to set TIFF color map.");
  return 1;
}

// The optional tags after the layout; their failures are reported and writing goes on.
static int setDescriptiveTags(const Image& image, TIFF* tif, const TiffWriteSettings& s) {
  if (s.compression == COMPRESSION_JPEG) {
    if (!TIFFSetField(tif, TIFFTAG_JPEGQUALITY, s.quality)) image.fail("Failed to set TIFF JPEG quality.");
    if (!TIFFSetField(tif, TIFFTAG_JPEGCOLORMODE, JPEGCOLORMODE_RAW)) image.fail("Failed to set TIFF JPEG color mode.");
  }
  // libtiff's word-aligned Huffman encoder loses the alignment after the first
  // row of a strip, so those pages get one row per strip.
  const uint32_t rowsPerStrip = s.compression == COMPRESSION_CCITTRLEW ? 1 : TIFFDefaultStripSize(tif, 0);
  if (!TIFFSetField(tif, TIFFTAG_ROWSPERSTRIP, rowsPerStrip)) image.fail("Failed to set TIFF rows per strip.");
  if (image.xResolution > 0 && !TIFFSetField(tif, TIFFTAG_XRESOLUTION, static_cast<float>(image.xResolution)))
    image.fail("Failed to set TIFF horizontal resolution.");
  if (image.yResolution > 0 && !TIFFSetField(tif, TIFFTAG_YRESOLUTION, static_cast<float>(image.yResolution)))
    image.fail("Failed to set TIFF vertical resolution.");
  // A picture whose unit is unknown (0 after a resize) says "no unit" rather than
  // making libtiff refuse the value on every save.
  const int unit = image.resolutionUnit >= RESUNIT_NONE && image.resolutionUnit <= RESUNIT_CENTIMETER
                       ? image.resolutionUnit
                       : RESUNIT_NONE;
  if (!TIFFSetField(tif, TIFFTAG_RESOLUTIONUNIT, static_cast<uint16_t>(unit)))
    image.fail("Failed to set TIFF resolution unit.");
  if (s.description && !TIFFSetField(tif, TIFFTAG_IMAGEDESCRIPTION, s.description))
    image.fail("Failed to set TIFF image description.");
  if (s.software && !TIFFSetField(tif, TIFFTAG_SOFTWARE, s.software)) image.fail("Failed to set TIFF software.");
  return image.paletteSize == 0 || setColorMap(image, tif);
}

// Every tag, in the order the page is described; 0 when a required one fails.
static int setTiffTags(const Image& image, TIFF* tif, const TiffWriteSettings& s) {
  if (!TIFFSetField(tif, TIFFTAG_IMAGEWIDTH, static_cast<uint32_t>(image.width)))
    return image.fail("Failed to set TIFF width.");
  if (!TIFFSetField(tif, TIFFTAG_IMAGELENGTH, static_cast<uint32_t>(image.height)))
    return image.fail("Failed to set TIFF height.");
  if (!TIFFSetField(tif, TIFFTAG_ORIENTATION, ORIENTATION_TOPLEFT)) image.fail("Failed to set TIFF orientation.");
  if (!TIFFSetField(tif, TIFFTAG_SAMPLESPERPIXEL, s.samples))
    return image.fail("Failed to set TIFF samples per pixel.");
  if (!TIFFSetField(tif, TIFFTAG_BITSPERSAMPLE, s.bitsPerSample))
    return image.fail("Failed to set TIFF bits per sample.");
  if (!TIFFSetField(tif, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG))
    image.fail("Failed to set TIFF storage organization.");
  if (!TIFFSetField(tif, TIFFTAG_PHOTOMETRIC, static_cast<uint16_t>(image.photometric)))
    return image.fail("Failed to set TIFF photometric.");
  if (!TIFFSetField(tif, TIFFTAG_COMPRESSION, static_cast<uint16_t>(s.compression)))
    return image.fail("Failed to set TIFF compression.");
  return setDescriptiveTags(image, tif, s);
}

// How rows reach libtiff: uncompressed pages are gathered a strip at a time as
// they will stand in the file and written whole, which spares libtiff a copy of
// every row; any other page goes through the codec one scan line at a time.
struct RowBands {
  bool rawStrips;
  uint32_t rows;  // rows gathered per call
};

static RowBands rowBands(const Image& image, TIFF* tif, tmsize_t lineSize) {
  uint16_t compression = COMPRESSION_NONE;
  uint32_t rowsPerStrip = 0;
  TIFFGetField(tif, TIFFTAG_COMPRESSION, &compression);
  TIFFGetField(tif, TIFFTAG_ROWSPERSTRIP, &rowsPerStrip);
  const uint32_t rows = std::min<uint32_t>(rowsPerStrip, static_cast<uint32_t>(image.height));
  if (compression != COMPRESSION_NONE || rows == 0 || std::int64_t{lineSize} * rows > (std::int64_t{64} << 20))
    return {false, 1};
  return {true, rows};
}

// Writes every row, the picture's top row first. 0 after a reported failure.
static int writeTiffRows(const Image& image, TIFF* tif, uint16_t samples) {
  const tmsize_t lineSize = TIFFScanlineSize(tif);
  if (lineSize <= 0) return image.fail("Failed to write TIFF scan line (row %d).", 1);
  const RowBands bands = rowBands(image, tif, lineSize);
  std::vector<std::uint8_t> buffer(static_cast<std::size_t>(lineSize) * bands.rows);
  const std::size_t copied = static_cast<std::size_t>(std::min<std::int64_t>(lineSize, image.stride));
  const bool swap = samples == 3 && image.colorOrder == kColorOrderBgr;
  RowProgress progress(image, "Creating TIFF image...");
  for (uint32_t first = 0, strip = 0; first < static_cast<uint32_t>(image.height); first += bands.rows, ++strip) {
    const uint32_t rows = std::min<uint32_t>(bands.rows, static_cast<uint32_t>(image.height) - first);
    for (uint32_t k = 0; k < rows; ++k) {
      const std::uint8_t* stored = image.bits() + std::int64_t(image.height - 1 - first - k) * image.stride;
      std::uint8_t* line = buffer.data() + std::size_t{k} * lineSize;
      if (swap)
        swapRedBlue(stored, line, copied / 3);
      else
        std::memcpy(line, stored, copied);
    }
    const tmsize_t written = bands.rawStrips ? TIFFWriteRawStrip(tif, strip, buffer.data(), lineSize * rows)
                                             : TIFFWriteScanline(tif, buffer.data(), first, 0);
    if (written < 0) return image.fail("Failed to write TIFF scan line (row %u).", first + 1);
    for (uint32_t k = 0; k < rows; ++k) progress.rowWritten();
  }
  return 1;
}

// Samples and bits per sample for the picture's depth; 0 when it cannot be saved.
static int sampleLayout(Image& image, uint16_t& samples, uint16_t& bitsPerSample) {
  switch (image.bitsPerPixel) {
    case 1:
    case 4:
      samples = 1;
      bitsPerSample = static_cast<uint16_t>(image.bitsPerPixel);
      return 1;
    case 8:
      samples = 1;
      bitsPerSample = 8;
      if (image.isGray) {
        image.progress("Reversing the photometric...", 0);
        if (image.photometric == kPhotometricMinIsWhite && !image.ReversePhotometric()) return 0;
      }
      return 1;
    case 24:
      samples = 3;
      bitsPerSample = 8;
      return 1;
    default: return image.fail("TIFF saving not supported for this color depth.");
  }
}

int Image::writeTiff(const char* path, int compression, int quality, const char* description, const char* software,
                     int append) {
  if (const char* refusal = compressionRefusal(*this, compression)) return fail("%s", refusal);
  if (!dib) return fail("There is no picture to save as %s.", path);
  if (rowOrder == kRowsTopDown && !flip(false)) return 0;
  TiffWriteSettings settings{compression, quality, description, software, 0, 0};
  if (!sampleLayout(*this, settings.samples, settings.bitsPerSample)) return 0;
  installTiffHandlers(showWarnings);

  AtomicFile out;
  if (!(append ? out.beginCopy(path) : out.begin(path))) return fail("Failed to open %s.", path);
  TiffFile tif(openForLibtiff(out, path, append ? "a" : "w"));
  if (!tif) return fail("Failed to open %s.", path);
  if (!setTiffTags(*this, tif.get(), settings) || !writeTiffRows(*this, tif.get(), settings.samples)) return 0;
  if (!TIFFFlush(tif.get())) return fail("Failed to write %s.", path);
  tif.reset();
  if (!out.commit()) return fail("Failed to write %s: %s.", path, std::strerror(errno));
  return 1;
}

}  // namespace orlim
