// Portable any-map files, binary members only: P4 (bitmap), P5 (gray map) and
// P6 (pixel map). The ASCII members are recognised and refused. Header numbers
// are checked before anything is allocated; samples wider than a byte and
// maximum values other than 255 are scaled to 0..255.
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <vector>

#include "formats/atomic_file.h"
#include "formats/open_file.h"
#include "formats/pixel_block.h"
#include "formats/red_blue.h"
#include "formats/write_progress.h"
#include "image/Image.h"
#include "image/block_gate.h"

namespace orlim {

namespace {

constexpr int kMagicP1 = 'P' * 256 + '1';
constexpr int kMagicP4 = 'P' * 256 + '4';
constexpr int kMagicP5 = 'P' * 256 + '5';
constexpr int kMagicP6 = 'P' * 256 + '6';
constexpr int kLargestMaximum = 65535;

bool isPnmSpace(int c) { return c == '\t' || c == '\n' || c == '\r' || c == ' '; }
bool isDigit(int c) { return c >= '0' && c <= '9'; }

// Skips a comment whose "#" has been read; returns the line end that closes
// it, or EOF.
int skipComment(std::FILE* file) {
  int c;
  do c = std::getc(file);
  while (c != EOF && c != '\n' && c != '\r');
  return c;
}

// What a header says about the raster that follows it.
struct PnmRaster {
  int depth = 0;           // bits per pixel of the image produced
  int maximum = 255;       // largest sample value
  int bytesPerSample = 1;  // 2 when the maximum exceeds 255
  std::int64_t fileRowBytes = 0;
  std::int64_t imageRowBytes = 0;  // bytes of a stored row that carry pixels
};

// Bytes left in the file from the current position, or -1 when unknown.
std::int64_t bytesLeft(std::FILE* file) {
  const long here = std::ftell(file);
  if (here < 0 || std::fseek(file, 0, SEEK_END) != 0) return -1;
  const long end = std::ftell(file);
  std::fseek(file, here, SEEK_SET);
  return end < here ? -1 : end - here;
}

// Converts one file row into the stored form: samples scaled to 0..255,
// colour bytes in blue, green, red order.
void convertRow(const std::uint8_t* in, std::uint8_t* out, const PnmRaster& r, int width) {
  if (r.depth == 1) {
    std::memcpy(out, in, r.fileRowBytes);
    return;
  }
  const int channels = r.depth / 8;
  const std::int64_t samples = std::int64_t{width} * channels;
  if (r.bytesPerSample == 1 && r.maximum == 255) {
    if (channels == 1) {
      std::memcpy(out, in, samples);
      return;
    }
    for (std::int64_t i = 0; i < samples; i += 3) {
      out[i] = in[i + 2];
      out[i + 1] = in[i + 1];
      out[i + 2] = in[i];
    }
    return;
  }
  const unsigned maximum = static_cast<unsigned>(r.maximum);
  for (std::int64_t i = 0; i < samples; ++i) {
    unsigned v = r.bytesPerSample == 2 ? (in[2 * i] << 8) | in[2 * i + 1] : in[i];
    if (v > maximum) v = maximum;
    const std::uint8_t scaled = static_cast<std::uint8_t>((v * 255u + maximum / 2) / maximum);
    // Red and blue change places within each pixel.
    const std::int64_t at = channels == 3 ? i - i % 3 + (2 - i % 3) : i;
    out[at] = scaled;
  }
}

}  // namespace

int Image::readPnmNumber(std::FILE* file) {
  int c = std::getc(file);
  for (;;) {
    if (c == '#') {
      if (skipComment(file) == EOF) return 0;
      c = std::getc(file);
    } else if (isPnmSpace(c)) {
      c = std::getc(file);
    } else {
      break;
    }
  }
  if (!isDigit(c)) return 0;
  std::int64_t value = 0;
  for (;;) {
    int next = std::getc(file);
    if (next == '#') {
      // A comment straight after a digit also ends the number.
      next = skipComment(file);
      if (next == EOF) return 0;
    }
    value = value * 10 + (c - '0');
    // Too big for the record's fields: refused as if no number were there.
    if (value > INT_MAX) return 0;
    c = next;
    if (!isDigit(c)) break;
  }
  return static_cast<int>(value);
}

// Reads and checks width, height and maximum; fills the raster description.
static int readPnmHeader(Image& image, std::FILE* file, const char* path, int magic, PnmRaster& r) {
  r.depth = magic == kMagicP4 ? 1 : magic == kMagicP5 ? 8 : 24;
  const int width = image.readPnmNumber(file);
  if (width <= 0)
    return image.fail("The PNM file %s has no usable width (a number from 1 to %d is needed).", path, INT_MAX);
  const int height = image.readPnmNumber(file);
  if (height <= 0)
    return image.fail("The PNM file %s has no usable height (a number from 1 to %d is needed).", path, INT_MAX);
  if (r.depth != 1) {
    r.maximum = image.readPnmNumber(file);
    if (r.maximum <= 0 || r.maximum > kLargestMaximum)
      return image.fail("The PNM file %s has no usable maximum sample value (a number from 1 to %d is needed).", path,
                        kLargestMaximum);
    r.bytesPerSample = r.maximum > 255 ? 2 : 1;
  }
  image.width = image.fullWidth = width;
  image.height = image.fullHeight = height;
  r.imageRowBytes = (std::int64_t{r.depth} * width + 7) / 8;
  r.fileRowBytes = r.imageRowBytes * r.bytesPerSample;
  BlockShape shape;
  return shapePictureBlock(image, path, width, height, r.depth, r.depth == 24 ? 0 : std::int64_t{4} << r.depth, shape);
}

// Lays out the block for the raster and attaches it, zeroed, with its header
// and colour table.
static int buildPnmBlock(Image& image, const char* path, const PnmRaster& r, int layoutArg) {
  const std::int64_t paletteBytes = r.depth == 24 ? 0 : std::int64_t{4} << r.depth;
  if (!attachPixelBlock(image, path, r.depth, paletteBytes, layoutArg)) return 0;
  image.sourceBitsPerPixel = r.depth;
  RGBQUAD* table = image.palette();
  if (r.depth == 1) {
    table[0] = RGBQUAD{255, 255, 255, 0};
    image.photometric = kPhotometricMinIsWhite;
  } else if (r.depth == 8) {
    for (int i = 0; i < 256; ++i) {
      const auto v = static_cast<BYTE>(i);
      table[i] = RGBQUAD{v, v, v, 0};
    }
    image.photometric = kPhotometricMinIsBlack;
  } else {
    image.photometric = kPhotometricRgb;
  }
  return 1;
}

// Fills the rows, top row of the file into the last stored row.
static int readPnmRows(Image& image, std::FILE* file, const PnmRaster& r) {
  std::vector<std::uint8_t> row(static_cast<std::size_t>(r.fileRowBytes));
  for (std::int64_t y = 0; y < image.height; ++y) {
    const std::size_t got = std::fread(row.data(), 1, row.size(), file);
    if (got != row.size())
      return image.fail("Expected a row of %lld bytes, but got %lld.", static_cast<long long>(r.fileRowBytes),
                        static_cast<long long>(got));
    convertRow(row.data(), image.bits() + (image.height - 1 - y) * image.stride, r, image.width);
  }
  return 1;
}

int Image::readPnm(const char* path, int layoutArg) {
  reset(true);
  File file(std::fopen(path, "rb"));
  if (!file) return fail("Failed to open %s.", path);
  const int first = std::getc(file.get());
  const int second = std::getc(file.get());
  const int magic = (first == EOF || second == EOF) ? 0 : first * 256 + second;
  if (magic < kMagicP1 || magic > kMagicP6) return fail("Unknown PNM format.");
  if (magic < kMagicP4) return fail("Unsupported PNM format.");

  PnmRaster raster;
  if (!readPnmHeader(*this, file.get(), path, magic, raster)) {
    reset(true);
    return 0;
  }
  // A raster the file cannot hold is refused before the block is allocated, with
  // the message the row loop would give at the first short row.
  const std::int64_t left = bytesLeft(file.get());
  if (left >= 0 && left < raster.fileRowBytes * height) {
    const std::int64_t got = left % raster.fileRowBytes;
    reset(true);
    return fail("Expected a row of %lld bytes, but got %lld.", static_cast<long long>(raster.fileRowBytes),
                static_cast<long long>(got));
  }
  if (!buildPnmBlock(*this, path, raster, layoutArg) || !readPnmRows(*this, file.get(), raster)) {
    reset(true);
    return 0;
  }
  rowOrder = kRowsBottomUp;
  negative = symmetry = 0;
  pageCount = 1;
  pageIndex = 0;
  isGray = raster.depth == 8 ? isGrayPalette() : 0;
  return 1;
}

namespace {

// Writes `rows` stored rows of `source` (stride `sourceStride`) as PNM rows of
// `rowBytes` bytes, the top row first, with `transform` applied to each.
template <typename Transform>
bool writeRows(const Image& image, std::FILE* out, const std::uint8_t* source, std::int64_t sourceStride,
               std::int64_t rowBytes, Transform transform) {
  std::vector<std::uint8_t> row(static_cast<std::size_t>(rowBytes));
  RowProgress progress(image, "Saving to file...");
  for (std::int64_t y = 0; y < image.height; ++y) {
    transform(source + y * sourceStride, row.data());
    if (std::fwrite(row.data(), 1, row.size(), out) != row.size()) return false;
    progress.rowWritten();
  }
  return true;
}

}  // namespace

// Brings a min-is-white bitmap or gray picture to min-is-black, as the file needs.
static int makeMinIsBlack(Image& image) {
  if (image.photometric != kPhotometricMinIsWhite) return 1;
  image.progress("Reversing the photometric...", 0);
  return image.ReversePhotometric();
}

static bool writeBitmapRows(Image& image, std::FILE* out) {
  const std::uint8_t* e = image.dib + image.paletteOffset;
  const bool entry0White = image.paletteSize >= 3 && e[0] == 255 && e[1] == 255 && e[2] == 255;
  const std::int64_t rowBytes = (std::int64_t{image.width} + 7) / 8;
  std::fprintf(out, "P4\n%d %d\n", image.width, image.height);
  return writeRows(image, out, image.bits(), image.stride, rowBytes, [&](const std::uint8_t* in, std::uint8_t* o) {
    if (entry0White) {
      std::memcpy(o, in, rowBytes);
    } else {
      for (std::int64_t i = 0; i < rowBytes; ++i) o[i] = static_cast<std::uint8_t>(~in[i]);
    }
  });
}

static bool writeColorRows(const Image& image, std::FILE* out, const std::uint8_t* rows, std::int64_t stride) {
  std::fprintf(out, "P6\n%d %d\n255\n", image.width, image.height);
  const std::int64_t width = image.width;
  return writeRows(image, out, rows, stride, 3 * width,
                   [&](const std::uint8_t* in, std::uint8_t* o) { swapRedBlue(in, o, width); });
}

// Writes the picture in the member its depth calls for. 0 after a reported or
// silent failure, -1 when writing to the file failed.
static int writePnmBody(Image& image, std::FILE* out) {
  const int bits = image.bitsPerPixel;
  if (bits == 1) {
    if (!makeMinIsBlack(image)) return 0;
    return writeBitmapRows(image, out) ? 1 : -1;
  }
  if (bits == 8 && image.isGray) {
    if (!makeMinIsBlack(image)) return 0;
    std::fprintf(out, "P5\n%d %d\n255\n", image.width, image.height);
    const std::int64_t width = image.width;
    return writeRows(image, out, image.bits(), image.stride, width,
                     [&](const std::uint8_t* in, std::uint8_t* o) { std::memcpy(o, in, width); })
               ? 1
               : -1;
  }
  if (bits == 24) return writeColorRows(image, out, image.bits(), image.stride) ? 1 : -1;
  image.progress("Increasing the color depth...", 0);
  PictureBlock copy(image.increaseColorDepth(24));
  if (!copy) return 0;
  return writeColorRows(image, out, copy.get() + image.headerSize, dibStride(image.width, 24)) ? 1 : -1;
}

int Image::writePnm(const char* path) {
  const int bits = bitsPerPixel;
  if (bits != 1 && bits != 4 && bits != 8 && bits != 16 && bits != 24)
    return fail("PNM saving not supported for this color depth.");
  if (!dib) return fail("There is no picture to save as %s.", path);
  if (rowOrder == kRowsBottomUp && !flip(false)) return 0;

  AtomicFile out;
  if (!out.begin(path)) return fail("Failed to open %s.", path);
  // Large writes in few calls: a photo is tens of megabytes of rows.
  std::setvbuf(out.stream(), nullptr, _IOFBF, std::size_t{1} << 20);
  const int written = writePnmBody(*this, out.stream());
  if (written == 0) return 0;
  if (written < 0 || !out.commit()) return fail("Failed to write %s: %s.", path, std::strerror(errno));
  return 1;
}

}  // namespace orlim
