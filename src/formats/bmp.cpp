// Windows bitmap files. A BMP file is the packed DIB block with a 14-byte file
// header in front, so reading loads the block and describes it; writing puts the
// file header back. Damaged headers are refused before the block is attached;
// run-length rows, long (V4/V5) and OS/2 1.x info headers, and rows that the
// file header places after a gap are normalised into the plain form every other
// operation expects.
#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>

#include "formats/atomic_file.h"
#include "formats/bmp_rle.h"
#include "formats/open_file.h"
#include "image/Image.h"
#include "image/block_gate.h"
#include "image/resolution.h"

namespace orlim {

namespace {

constexpr int kFileHeaderSize = 14;
constexpr int kCoreHeaderSize = 12;        // OS/2 1.x: 16-bit sizes, 3-byte colour entries
constexpr int kMaskBytes = 12;             // red, green and blue masks in the block
constexpr int kOs2MinimumHeaderSize = 16;  // OS/2 2.x headers may stop after the bit count
constexpr DWORD kAlphaBitFields = 6;       // bit fields with a fourth (alpha) mask in the file

std::uint32_t le16(const std::uint8_t* p) { return p[0] | (p[1] << 8); }
std::uint32_t le32(const std::uint8_t* p) {
  return p[0] | (p[1] << 8) | (p[2] << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}

bool validDepth(int bits) { return bits == 1 || bits == 4 || bits == 8 || bits == 16 || bits == 24 || bits == 32; }

bool isRle(const BITMAPINFOHEADER& h) { return h.biCompression == BI_RLE8 || h.biCompression == BI_RLE4; }

// Colour entries the info header implies: its colour count, else a full table
// for 1, 4 and 8 bits.
std::int64_t impliedEntries(const BITMAPINFOHEADER& h) {
  if (h.biClrUsed != 0) return h.biClrUsed;
  return h.biBitCount <= 8 ? std::int64_t{1} << h.biBitCount : 0;
}

// Where the parts of a loaded block are, and what its normalised form holds.
struct BmpLayout {
  BITMAPINFOHEADER header;       // the info header in its 40-byte form
  std::uint32_t fileHeaderSize;  // the info header's size in the file
  int entrySize;                 // bytes per colour entry in the file: 3 (OS/2 1.x) or 4
  std::int64_t maskBytes;        // masks in the file after the info header (or inside a longer one)
  bool masksInHeader;
  std::int64_t entries;    // colour entries
  std::int64_t rowsStart;  // offset of the rows in the block
  std::int64_t rowsAvailable;
  BlockShape shape;  // the normalised block
  int rows;
};

// The info header in its 40-byte form; an OS/2 1.x header becomes one.
bool readInfoHeader(const std::uint8_t* block, std::int64_t blockSize, BmpLayout& out) {
  const std::uint32_t size = le32(block);
  out.fileHeaderSize = size;
  out.header = BITMAPINFOHEADER{};
  if (size == kCoreHeaderSize && blockSize >= kCoreHeaderSize) {
    out.header.biSize = kInfoHeaderSize;
    out.header.biWidth = static_cast<LONG>(le16(block + 4));
    out.header.biHeight = static_cast<LONG>(le16(block + 6));
    out.header.biPlanes = static_cast<WORD>(le16(block + 8));
    out.header.biBitCount = static_cast<WORD>(le16(block + 10));
    out.entrySize = 3;
    return true;
  }
  if (size < kOs2MinimumHeaderSize || size > blockSize) return false;
  // A short OS/2 2.x header leaves the fields it omits at zero.
  std::memcpy(&out.header, block, std::min<std::size_t>(size, sizeof out.header));
  out.header.biSize = size;
  out.entrySize = 4;
  return true;
}

// The plain block keeps the red, green and blue masks; an alpha mask is dropped.
std::int64_t blockMaskBytes(const BmpLayout& in) { return in.maskBytes ? kMaskBytes : 0; }

}  // namespace

// The pixel offset of the file header, in block coordinates, decides where the
// rows start; a colour table it cuts short keeps the entries before it. An offset
// of 0 or one inside the headers (written by careless tools) is not used.
static int placeBmpRows(const Image& image, const char* path, std::uint32_t pixelOffset, std::int64_t blockSize,
                        BmpLayout& out) {
  const std::int64_t tableStart = std::int64_t{out.fileHeaderSize} + (out.masksInHeader ? 0 : out.maskBytes);
  const std::int64_t natural = tableStart + out.entries * out.entrySize;
  const std::int64_t offset = std::int64_t{pixelOffset} - kFileHeaderSize;
  out.rowsStart = natural;
  if (pixelOffset != 0 && offset >= tableStart) {
    if (offset > blockSize)
      return image.fail("The bitmap %s is damaged: its pixel data offset (%u) lies beyond the end of the file.", path,
                        pixelOffset);
    if (offset < natural) out.entries = (offset - tableStart) / out.entrySize;
    out.rowsStart = offset;
  }
  // A paletted picture needs at least one colour of its table in the file.
  if (tableStart + out.entries * out.entrySize > blockSize || (out.header.biBitCount <= 8 && out.entries == 0))
    return image.fail("The bitmap %s is damaged: its colour table runs past the end of the file.", path);
  out.rowsStart = std::min(out.rowsStart, blockSize);
  out.rowsAvailable = blockSize - out.rowsStart;
  return 1;
}

// Refuses a loaded block whose header does not describe the bytes that are there
// (rows short of the header's promise are left to the caller). Returns 0 after
// the message, 1 with `out` filled when the block can be used.
static int checkBmpBlock(const Image& image, const char* path, const std::uint8_t* block, std::int64_t blockSize,
                         std::uint32_t pixelOffset, BmpLayout& out) {
  if (blockSize < kCoreHeaderSize)
    return image.fail("The bitmap %s is damaged: its file size field leaves no room for the info header.", path);
  if (!readInfoHeader(block, blockSize, out))
    return image.fail("The bitmap %s is damaged: its info header size (%u bytes) is not usable.", path,
                      out.fileHeaderSize);
  const BITMAPINFOHEADER& h = out.header;
  if (h.biWidth <= 0) return image.fail("The bitmap %s is damaged: its width (%d) is not positive.", path, h.biWidth);
  if (h.biHeight == 0 || h.biHeight == INT_MIN)
    return image.fail("The bitmap %s is damaged: its height (%d) is not usable.", path, h.biHeight);
  if (!validDepth(h.biBitCount) || (out.entrySize == 3 && (h.biBitCount == 16 || h.biBitCount == 32)))
    return image.fail("The bitmap %s has %d bits per pixel, which cannot be read.", path, h.biBitCount);
  const bool bitFields = (h.biCompression == BI_BITFIELDS || h.biCompression == kAlphaBitFields) &&
                         (h.biBitCount == 16 || h.biBitCount == 32);
  if ((h.biCompression == BI_RLE8 && h.biBitCount != 8) || (h.biCompression == BI_RLE4 && h.biBitCount != 4) ||
      (!isRle(h) && h.biCompression != BI_RGB && !bitFields))
    return image.fail("The bitmap %s uses compression %u with %d bits per pixel, which cannot be read.", path,
                      h.biCompression, h.biBitCount);
  out.masksInHeader = bitFields && out.fileHeaderSize > kInfoHeaderSize;
  out.maskBytes = !bitFields ? 0 : h.biCompression == kAlphaBitFields ? kMaskBytes + 4 : kMaskBytes;
  if (out.masksInHeader && out.fileHeaderSize < kInfoHeaderSize + kMaskBytes)
    return image.fail("The bitmap %s is damaged: its info header is too short to hold its bit-field masks.", path);
  out.entries = impliedEntries(h);
  if (!placeBmpRows(image, path, pixelOffset, blockSize, out)) return 0;
  out.rows = h.biHeight < 0 ? -h.biHeight : h.biHeight;
  if (!shapePictureBlock(image, path, h.biWidth, out.rows, h.biBitCount, blockMaskBytes(out) + out.entries * 4,
                         out.shape))
    return 0;
  // Runs expand at most 255 pixels per two bytes; a header that asks for far more
  // than its data could describe would only make us allocate for nothing.
  if (isRle(h) && out.shape.rowsBytes > 1024 * (out.rowsAvailable + 1024))
    return image.fail("The bitmap %s is damaged: its run-length data (%lld bytes) cannot fill %d rows of %lld bytes.",
                      path, static_cast<long long>(out.rowsAvailable), out.rows,
                      static_cast<long long>(out.shape.stride));
  return 1;
}

// True when the loaded block is already the plain form: a 40-byte header, masks
// and the whole colour table it implies in 4-byte entries, rows straight after
// them, not run-length coded.
static bool alreadyPlain(const BmpLayout& in) {
  return in.fileHeaderSize == kInfoHeaderSize && in.entrySize == 4 && !isRle(in.header) &&
         in.header.biCompression != kAlphaBitFields && in.entries == impliedEntries(in.header) &&
         in.rowsStart == kInfoHeaderSize + in.maskBytes + in.entries * 4;
}

// Builds the plain block: a 40-byte header, the masks, the colour table in 4-byte
// entries, then uncompressed rows.
static PictureBlock normalizeBmpBlock(const Image& image, const char* path, const std::uint8_t* block,
                                      const BmpLayout& in, std::int64_t& paletteBytes, std::int64_t& rowsBytes) {
  const BITMAPINFOHEADER& h = in.header;
  paletteBytes = blockMaskBytes(in) + in.entries * 4;
  rowsBytes = isRle(h) ? in.shape.rowsBytes : in.rowsAvailable;
  PictureBlock out = newPictureBlock(image, path, kInfoHeaderSize + paletteBytes + rowsBytes);
  if (!out) return nullptr;
  BITMAPINFOHEADER fresh = h;
  fresh.biSize = kInfoHeaderSize;
  if (h.biCompression == kAlphaBitFields) fresh.biCompression = BI_BITFIELDS;
  if (in.entries != impliedEntries(h)) fresh.biClrUsed = static_cast<DWORD>(in.entries);
  std::uint8_t* dst = out.get() + kInfoHeaderSize;
  const std::uint8_t* src = block + in.fileHeaderSize;
  if (in.maskBytes) {
    std::memcpy(dst, in.masksInHeader ? block + kInfoHeaderSize : src, kMaskBytes);
    if (!in.masksInHeader) src += in.maskBytes;
    dst += kMaskBytes;
  }
  for (std::int64_t i = 0; i < in.entries; ++i, src += in.entrySize, dst += 4) {
    std::memcpy(dst, src, 3);
    dst[3] = 0;
  }
  const std::uint8_t* srcRows = block + in.rowsStart;
  if (isRle(h)) {
    if (!expandRle(srcRows, in.rowsAvailable, h.biBitCount, h.biWidth, in.rows, in.shape.stride, dst)) {
      image.fail("The bitmap %s is damaged: its run-length data ends before its last row.", path);
      return nullptr;
    }
    fresh.biCompression = BI_RGB;
    fresh.biSizeImage = static_cast<DWORD>(rowsBytes);
  } else {
    std::memcpy(dst, srcRows, rowsBytes);
  }
  std::memcpy(out.get(), &fresh, sizeof fresh);
  return out;
}

// Bytes of the file after the current position, or -1 when unknown.
static std::int64_t bytesAfter(std::FILE* file) {
  const long here = std::ftell(file);
  if (here < 0 || std::fseek(file, 0, SEEK_END) != 0) return -1;
  const long end = std::ftell(file);
  std::fseek(file, here, SEEK_SET);
  return end < here ? -1 : end - here;
}

// Reads `blockSize` bytes after the file header, checked against the file's
// length before anything is allocated.
static PictureBlock loadBmpBlock(const Image& image, std::FILE* file, const char* path, std::int64_t blockSize,
                                 std::int64_t available) {
  if ((available >= 0 && available < blockSize) || std::fseek(file, kFileHeaderSize, SEEK_SET) != 0) {
    image.fail("Failed to read %lld bytes from %s.", static_cast<long long>(blockSize), path);
    return nullptr;
  }
  PictureBlock block = newPictureBlock(image, path, blockSize);
  if (!block) return nullptr;
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
  std::int64_t blockSize = std::int64_t{le32(fileHeader + 2)} - kFileHeaderSize;
  const std::uint32_t pixelOffset = le32(fileHeader + 10);
  const std::int64_t available = bytesAfter(file.get());
  // Some OS/2 writers put the size of the headers in the size field: one that
  // ends before the pixels, in a file that holds more, is not believed.
  if (available > blockSize && std::int64_t{pixelOffset} - kFileHeaderSize > blockSize) blockSize = available;
  if (blockSize < kCoreHeaderSize)
    return fail("The bitmap %s is damaged: its file size field leaves no room for the info header.", path);

  PictureBlock block = loadBmpBlock(*this, file.get(), path, blockSize, available);
  if (!block) return 0;
  BmpLayout layoutInfo{};
  if (!checkBmpBlock(*this, path, block.get(), blockSize, pixelOffset, layoutInfo)) return 0;
  // A size field short of the rows the header describes, in a file that holds
  // them: the file's own length is believed, as by every other reader.
  if (!isRle(layoutInfo.header) && layoutInfo.rowsAvailable < layoutInfo.shape.rowsBytes && available > blockSize) {
    blockSize = available;
    block = loadBmpBlock(*this, file.get(), path, blockSize, available);
    if (!block || !checkBmpBlock(*this, path, block.get(), blockSize, pixelOffset, layoutInfo)) return 0;
  }
  file.reset();
  if (!isRle(layoutInfo.header) && layoutInfo.rowsAvailable < layoutInfo.shape.rowsBytes)
    return fail(
        "The bitmap %s is damaged: its header promises %d rows of %lld bytes but the file holds only "
        "%lld bytes of rows.",
        path, layoutInfo.rows, static_cast<long long>(layoutInfo.shape.stride),
        static_cast<long long>(layoutInfo.rowsAvailable));

  const BITMAPINFOHEADER& h = layoutInfo.header;
  std::int64_t paletteBytes = blockMaskBytes(layoutInfo) + layoutInfo.entries * 4;
  std::int64_t rowsBytes = layoutInfo.rowsAvailable;
  if (!alreadyPlain(layoutInfo)) {
    block = normalizeBmpBlock(*this, path, block.get(), layoutInfo, paletteBytes, rowsBytes);
    if (!block) return 0;
  }

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
  stride = static_cast<int>(layoutInfo.shape.stride);
  resolutionFromHeader(xResolution, yResolution);
  resolutionUnit = kResolutionUnitInch;
  isGray = isGrayPalette();
  if (!isGray) photometric = paletteSize != 0 ? kPhotometricPalette : kPhotometricRgb;
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
  h.biXPelsPerMeter = pixelsPerMeterFromDpi(image.xResolution);
  h.biYPelsPerMeter = pixelsPerMeterFromDpi(image.yResolution);
  if (image.paletteSize != 0 && image.paletteEntrySize != 0) {
    const std::int64_t colors = image.paletteSize / image.paletteEntrySize;
    if (image.bitsPerPixel < 31 && colors < (std::int64_t{1} << image.bitsPerPixel))
      h.biClrUsed = static_cast<DWORD>(colors);
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
  if (paletteSize > 0 && std::fwrite(dib + paletteOffset, 1, paletteSize, f) != static_cast<std::size_t>(paletteSize))
    return fail("Failed to write the bitmap color map.");
  if (bitsSize > 0 && std::fwrite(dib + bitsOffset, 1, bitsSize, f) != static_cast<std::size_t>(bitsSize))
    return fail("Failed to write the bitmap pixel map.");
  if (!out.commit()) return fail("Could not save %s: %s.", path, std::strerror(errno));
  return 1;
}

}  // namespace orlim
