// Windows bitmap files. A BMP file is the packed DIB block with a 14-byte file
// header in front, so reading loads the block and describes it; writing puts the
// file header back. Damaged headers are refused before the block is attached;
// run-length rows and long (V4/V5) info headers are normalised into the plain form
// every other operation expects.
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <memory>

#include "formats/atomic_file.h"
#include "formats/bmp_rle.h"
#include "image/Image.h"

namespace orlim {

namespace {

constexpr int kFileHeaderSize = 14;
constexpr int kInfoHeaderSize = 40;

struct FreeDeleter {
  void operator()(std::uint8_t* p) const { std::free(p); }
};
using Block = std::unique_ptr<std::uint8_t, FreeDeleter>;

std::uint32_t le32(const std::uint8_t* p) {
  return p[0] | (p[1] << 8) | (p[2] << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}

struct FileCloser {
  void operator()(std::FILE* f) const { std::fclose(f); }
};
using File = std::unique_ptr<std::FILE, FileCloser>;

bool validDepth(int bits) {
  return bits == 1 || bits == 4 || bits == 8 || bits == 16 || bits == 24 || bits == 32;
}

// Bytes of colour table (or bit-field masks) that follow the info header in the
// file. With a 40-byte header the masks follow it; longer headers hold them inside.
std::int64_t tableBytesInFile(const BITMAPINFOHEADER& h) {
  if (h.biClrUsed != 0) return std::int64_t{h.biClrUsed} * 4;
  if (h.biBitCount <= 8) return std::int64_t{4} << h.biBitCount;
  if (h.biSize == kInfoHeaderSize && h.biCompression == BI_BITFIELDS &&
      (h.biBitCount == 16 || h.biBitCount == 32))
    return 12;
  return 0;
}

// What the loaded block looks like before it becomes the image's block.
struct BmpLayout {
  BITMAPINFOHEADER header;
  std::int64_t tableBytes;  // colour table (or masks) after the header in the file
  std::int64_t rowsAvailable;
  std::int64_t stride;
  std::int64_t rowsNeeded;
  int rows;
};

}  // namespace

// Refuses a loaded block whose header does not describe the bytes that are there.
// Returns 0 after the message, 1 with `out` filled when the block can be used.
static int checkBmpBlock(const Image& image, const char* path, const std::uint8_t* block,
                         std::int64_t blockSize, BmpLayout& out) {
  if (blockSize < kInfoHeaderSize)
    return image.fail("The bitmap %s is damaged: its file size field leaves no room for the info header.", path);
  std::memcpy(&out.header, block, sizeof out.header);
  const BITMAPINFOHEADER& h = out.header;
  if (h.biSize < kInfoHeaderSize || h.biSize > blockSize)
    return image.fail("The bitmap %s is damaged: its info header size (%u bytes) is not usable.", path, h.biSize);
  if (h.biWidth <= 0)
    return image.fail("The bitmap %s is damaged: its width (%d) is not positive.", path, h.biWidth);
  if (h.biHeight == 0 || h.biHeight == INT_MIN)
    return image.fail("The bitmap %s is damaged: its height (%d) is not usable.", path, h.biHeight);
  if (!validDepth(h.biBitCount))
    return image.fail("The bitmap %s has %d bits per pixel, which cannot be read.", path, h.biBitCount);
  const bool rle = h.biCompression == BI_RLE8 || h.biCompression == BI_RLE4;
  const bool plain = h.biCompression == BI_RGB ||
                     (h.biCompression == BI_BITFIELDS && (h.biBitCount == 16 || h.biBitCount == 32));
  if ((h.biCompression == BI_RLE8 && h.biBitCount != 8) || (h.biCompression == BI_RLE4 && h.biBitCount != 4) ||
      (!rle && !plain))
    return image.fail("The bitmap %s uses compression %u with %d bits per pixel, which cannot be read.", path,
                      h.biCompression, h.biBitCount);
  out.tableBytes = tableBytesInFile(h);
  if (std::int64_t{h.biSize} + out.tableBytes > blockSize)
    return image.fail("The bitmap %s is damaged: its colour table runs past the end of the file.", path);
  out.rowsAvailable = blockSize - h.biSize - out.tableBytes;
  out.rows = h.biHeight < 0 ? -h.biHeight : h.biHeight;
  out.stride = dibStride(h.biWidth, h.biBitCount);
  out.rowsNeeded = out.stride * out.rows;
  if (out.rowsNeeded > INT_MAX - 2048)
    return image.fail("The bitmap %s is too large: %lld bytes of pixel rows.", path,
                      static_cast<long long>(out.rowsNeeded));
  // Runs expand at most 255 pixels per two bytes; a header that asks for far more
  // than its data could describe would only make us allocate for nothing.
  if (rle && out.rowsNeeded > 1024 * (out.rowsAvailable + 1024))
    return image.fail("The bitmap %s is damaged: its run-length data (%lld bytes) cannot fill %d rows of %lld bytes.",
                      path, static_cast<long long>(out.rowsAvailable), out.rows, static_cast<long long>(out.stride));
  if (!rle && out.rowsAvailable < out.rowsNeeded)
    return image.fail("The bitmap %s is damaged: its header promises %d rows of %lld bytes but the file holds only "
                      "%lld bytes of rows.",
                      path, out.rows, static_cast<long long>(out.stride), static_cast<long long>(out.rowsAvailable));
  return 1;
}

// Builds the plain block for a file with a long info header or run-length rows:
// a 40-byte header, the masks or colour table, then uncompressed rows.
static Block normaliseBmpBlock(const Image& image, const char* path, const std::uint8_t* block,
                               const BmpLayout& in, std::int64_t& paletteBytes, std::int64_t& rowsBytes) {
  const BITMAPINFOHEADER& h = in.header;
  const bool rle = h.biCompression == BI_RLE8 || h.biCompression == BI_RLE4;
  const bool masksInHeader = h.biSize > kInfoHeaderSize && h.biCompression == BI_BITFIELDS;
  const std::int64_t maskBytes = masksInHeader ? 12 : 0;
  if (masksInHeader && h.biSize < kInfoHeaderSize + 12) {
    image.fail("The bitmap %s is damaged: its info header is too short to hold its bit-field masks.", path);
    return nullptr;
  }
  paletteBytes = maskBytes + in.tableBytes;
  rowsBytes = rle ? in.rowsNeeded : in.rowsAvailable;
  const std::int64_t total = kInfoHeaderSize + paletteBytes + rowsBytes;
  Block out(static_cast<std::uint8_t*>(std::calloc(1, total)));
  if (!out) {
    image.fail("Failed to allocate %lld bytes for the image.", static_cast<long long>(total));
    return nullptr;
  }
  BITMAPINFOHEADER fresh = h;
  fresh.biSize = kInfoHeaderSize;
  std::uint8_t* dst = out.get() + kInfoHeaderSize;
  if (masksInHeader) std::memcpy(dst, block + kInfoHeaderSize, 12);
  std::memcpy(dst + maskBytes, block + h.biSize, in.tableBytes);
  const std::uint8_t* srcRows = block + h.biSize + in.tableBytes;
  std::uint8_t* dstRows = dst + paletteBytes;
  if (rle) {
    if (!expandRle(srcRows, in.rowsAvailable, h.biBitCount, h.biWidth, in.rows, in.stride, dstRows)) {
      image.fail("The bitmap %s is damaged: its run-length data ends before its last row.", path);
      return nullptr;
    }
    fresh.biCompression = BI_RGB;
    fresh.biSizeImage = static_cast<DWORD>(rowsBytes);
  } else {
    std::memcpy(dstRows, srcRows, rowsBytes);
  }
  std::memcpy(out.get(), &fresh, sizeof fresh);
  return out;
}

// Reads the block that follows the file header, checking its length against the
// file before anything is allocated.
static Block loadBmpBlock(const Image& image, std::FILE* file, const char* path, std::int64_t blockSize) {
  const long here = std::ftell(file);
  std::int64_t available = -1;
  if (here >= 0 && std::fseek(file, 0, SEEK_END) == 0) {
    available = std::ftell(file) - here;
    std::fseek(file, here, SEEK_SET);
  }
  if (available >= 0 && available < blockSize) {
    image.fail("Failed to read %lld bytes from %s.", static_cast<long long>(blockSize), path);
    return nullptr;
  }
  Block block(static_cast<std::uint8_t*>(std::calloc(1, blockSize > 0 ? blockSize : 1)));
  if (!block) {
    image.fail("Failed to allocate %lld bytes for the image.", static_cast<long long>(blockSize));
    return nullptr;
  }
  if (static_cast<std::int64_t>(std::fread(block.get(), 1, blockSize, file)) != blockSize) {
    image.fail("Failed to read %lld bytes from %s.", static_cast<long long>(blockSize), path);
    return nullptr;
  }
  return block;
}

int Image::readBmp(const char* path, int /*layout: the file holds its own header*/) {
  reset(true);
  File file(std::fopen(path, "rb"));
  if (!file) return fail("Could not open %s: %s.", path, std::strerror(errno));
  std::uint8_t fileHeader[kFileHeaderSize];
  if (std::fread(fileHeader, 1, sizeof fileHeader, file.get()) != sizeof fileHeader)
    return fail("Failed to read the bitmap header for %s.", path);
  if (fileHeader[0] != 'B' || fileHeader[1] != 'M') return fail("Not a proper bitmap header!");
  const std::int64_t blockSize = std::int64_t{le32(fileHeader + 2)} - kFileHeaderSize;
  if (blockSize < kInfoHeaderSize)
    return fail("The bitmap %s is damaged: its file size field leaves no room for the info header.", path);

  Block block = loadBmpBlock(*this, file.get(), path, blockSize);
  if (!block) return 0;
  file.reset();

  BmpLayout layoutInfo{};
  if (!checkBmpBlock(*this, path, block.get(), blockSize, layoutInfo)) return 0;
  const BITMAPINFOHEADER& h = layoutInfo.header;
  std::int64_t paletteBytes = layoutInfo.tableBytes;
  std::int64_t rowsBytes = layoutInfo.rowsAvailable;
  const bool normalise = h.biSize != kInfoHeaderSize || h.biCompression == BI_RLE8 || h.biCompression == BI_RLE4;
  if (normalise) {
    block = normaliseBmpBlock(*this, path, block.get(), layoutInfo, paletteBytes, rowsBytes);
    if (!block) return 0;
  }
  if (rowsBytes > INT_MAX) return fail("The bitmap %s is too large.", path);

  dib = block.release();
  this->layout = kLayoutPackedDib;
  headerSize = paletteOffset = kInfoHeaderSize;
  paletteSize = static_cast<int>(paletteBytes);
  bitsOffset = headerSize + paletteSize;
  bitsSize = static_cast<int>(rowsBytes);
  width = fullWidth = h.biWidth;
  height = fullHeight = layoutInfo.rows;
  bitsPerPixel = sourceBitsPerPixel = h.biBitCount;
  paletteEntrySize = 4;
  colorOrder = kColorOrderBgr;
  stride = static_cast<int>(layoutInfo.stride);
  resolutionFromHeader(xResolution, yResolution);
  resolutionUnit = 2;
  isGray = isGrayPalette();
  if (!isGray) photometric = paletteSize != 0 ? 3 : 2;
  rowOrder = h.biHeight < 0 ? kRowsTopDown : kRowsBottomUp;
  negative = symmetry = 0;
  pageCount = 1;
  pageIndex = 0;
  return 1;
}

namespace {

void putLe16(std::uint8_t* p, std::uint32_t v) {
  p[0] = v & 0xFF;
  p[1] = (v >> 8) & 0xFF;
}
void putLe32(std::uint8_t* p, std::uint32_t v) {
  putLe16(p, v & 0xFFFF);
  putLe16(p + 2, v >> 16);
}

}  // namespace

// An info header for a picture that carries none of its own.
static BITMAPINFOHEADER freshInfoHeader(const Image& image) {
  BITMAPINFOHEADER h{};
  h.biSize = kInfoHeaderSize;
  h.biWidth = image.width;
  h.biHeight = image.height;
  h.biPlanes = 1;
  h.biBitCount = static_cast<WORD>(image.bitsPerPixel);
  h.biSizeImage = static_cast<DWORD>(image.bitsSize);
  h.biXPelsPerMeter = static_cast<LONG>(image.xResolution * 100 * 0.39370078740157477);
  h.biYPelsPerMeter = static_cast<LONG>(image.yResolution * 100 * 0.39370078740157477);
  if (image.paletteSize != 0 && image.paletteEntrySize != 0) {
    const std::int64_t colours = image.paletteSize / image.paletteEntrySize;
    if (image.bitsPerPixel < 31 && colours < (std::int64_t{1} << image.bitsPerPixel))
      h.biClrUsed = static_cast<DWORD>(colours);
  }
  return h;
}

int Image::writeBmp(const char* path) {
  if (!dib) return fail("There is no picture to save as %s.", path);
  std::uint8_t fileHeader[kFileHeaderSize] = {'B', 'M'};
  putLe32(fileHeader + 2, static_cast<std::uint32_t>(kFileHeaderSize + kInfoHeaderSize + paletteSize + bitsSize));
  putLe32(fileHeader + 10, static_cast<std::uint32_t>(kFileHeaderSize + kInfoHeaderSize + paletteSize));
  BITMAPINFOHEADER info;
  if (layout == kLayoutPackedDib)
    std::memcpy(&info, dib, sizeof info);
  else
    info = freshInfoHeader(*this);

  AtomicFile out;
  if (!out.begin(path)) return fail("Could not create %s: %s.", path, std::strerror(errno));
  std::FILE* f = out.stream();
  if (std::fwrite(fileHeader, 1, sizeof fileHeader, f) != sizeof fileHeader)
    return fail("Failed to write the bitmap file header.");
  if (std::fwrite(&info, 1, sizeof info, f) != sizeof info) return fail("Failed to write the bitmap info header.");
  if (paletteSize > 0 &&
      std::fwrite(dib + paletteOffset, 1, paletteSize, f) != static_cast<std::size_t>(paletteSize))
    return fail("Failed to write the bitmap color map.");
  if (bitsSize > 0 && std::fwrite(dib + bitsOffset, 1, bitsSize, f) != static_cast<std::size_t>(bitsSize))
    return fail("Failed to write the bitmap pixel map.");
  if (!out.commit()) return fail("Could not save %s: %s.", path, std::strerror(errno));
  return 1;
}

}  // namespace orlim
