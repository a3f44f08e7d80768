// Making a picture from a device-independent bitmap held in three pieces
// (header, colour table, rows), as the clipboard and the text label hand it
// over. The header may come from anywhere, so it is checked against the
// lengths of the pieces before anything is copied.
#include <climits>
#include <cstring>

#include "image/Image.h"
#include "image/block_gate.h"
#include "image/pixel_access.h"

namespace orlim {

namespace {

constexpr const char* kImportSubject = "the bitmap to import";

bool importableDepth(int bits) { return bits == 1 || bits == 4 || bits == 8 || bits == 16 || bits == 24 || bits == 32; }

// Colour table bytes the header implies: its colour count, else the full table of
// its depth, or the three masks of a bit-field picture.
std::int64_t impliedTableBytes(const BITMAPINFOHEADER& h) {
  if (h.biClrUsed != 0) return std::int64_t{h.biClrUsed} * 4;
  if (h.biBitCount <= 8) return std::int64_t{4} << h.biBitCount;
  return h.biCompression == BI_BITFIELDS ? 12 : 0;
}

}  // namespace

// Refuses a header that does not describe the pieces it came with; 1 when usable.
static int checkImportedDib(const Image& im, const BITMAPINFOHEADER& h, const void* colorTable, int colorTableLength,
                            const void* rows, int rowsLength) {
  if (h.biWidth <= 0) return im.fail("Cannot import the bitmap: its width (%d) is not positive.", h.biWidth);
  if (h.biHeight == 0 || h.biHeight == INT_MIN)
    return im.fail("Cannot import the bitmap: its height (%d) is not usable.", h.biHeight);
  if (!importableDepth(h.biBitCount))
    return im.fail("Cannot import the bitmap: %d bits per pixel is not a supported depth.", h.biBitCount);
  const bool bitFields = h.biCompression == BI_BITFIELDS && (h.biBitCount == 16 || h.biBitCount == 32);
  if (h.biCompression != BI_RGB && !bitFields)
    return im.fail("Cannot import the bitmap: its compression (%u) is not supported.", h.biCompression);
  const std::int64_t tableNeeded = impliedTableBytes(h);
  if (colorTableLength < tableNeeded || (colorTableLength > 0 && !colorTable))
    return im.fail("Cannot import the bitmap: its colour table holds %d bytes but its header needs %lld.",
                   colorTable ? colorTableLength : 0, static_cast<long long>(tableNeeded));
  const std::int64_t height = h.biHeight < 0 ? -std::int64_t{h.biHeight} : h.biHeight;
  // Unsigned: a stride and a row count each fit in 32 bits, so their product is exact.
  const std::uint64_t rowsNeeded = static_cast<std::uint64_t>(dibStride(h.biWidth, h.biBitCount)) * height;
  if (rowsLength < 0 || static_cast<std::uint64_t>(rowsLength) < rowsNeeded || !rows)
    return im.fail("Cannot import the bitmap: its rows hold %d bytes but its header needs %llu.", rows ? rowsLength : 0,
                   static_cast<unsigned long long>(rowsNeeded));
  return 1;
}

int Image::import(const void* headerBytes, int headerLength, const void* colorTable, int colorTableLength,
                  const void* rows, int rowsLength, int format) {
  headerSize = headerLength;
  paletteSize = colorTableLength;
  bitsSize = rowsLength;
  negative = 0;
  symmetry = 0;
  if (format != kLayoutPackedDib) return fail("Unknown import format: %d", format);

  if (!headerBytes || headerLength != kInfoHeaderSize) {
    reset(true);
    return fail("Cannot import the bitmap: its header is %d bytes long instead of %d.", headerBytes ? headerLength : 0,
                kInfoHeaderSize);
  }
  BITMAPINFOHEADER h;
  std::memcpy(&h, headerBytes, sizeof h);
  if (!checkImportedDib(*this, h, colorTable, colorTableLength, rows, rowsLength)) {
    reset(true);
    return 0;
  }

  layout = kLayoutPackedDib;
  width = fullWidth = h.biWidth;
  height = fullHeight = h.biHeight < 0 ? -h.biHeight : h.biHeight;
  bitsPerPixel = sourceBitsPerPixel = h.biBitCount;
  rowOrder = h.biHeight < 0 ? kRowsTopDown : kRowsBottomUp;
  paletteOffset = kInfoHeaderSize;
  bitsOffset = headerLength + colorTableLength;
  paletteEntrySize = 4;
  stride = static_cast<int>(dibStride(width, bitsPerPixel));
  colorOrder = kColorOrderBgr;

  const std::int64_t total = std::int64_t{headerLength} + colorTableLength + rowsLength;
  BlockShape shape;
  PictureBlock block;
  if (shapePictureBlock(*this, kImportSubject, width, height, bitsPerPixel, colorTableLength, shape))
    block = newPictureBlock(*this, kImportSubject, total, "import");
  if (!block) {
    reset(true);
    return 0;
  }
  std::memcpy(block.get(), headerBytes, headerLength);
  if (colorTableLength > 0) std::memcpy(block.get() + kInfoHeaderSize, colorTable, colorTableLength);
  std::memcpy(block.get() + bitsOffset, rows, rowsLength);
  std::free(dib);
  dib = block.release();

  resolutionFromHeader(xResolution, yResolution);
  resolutionUnit = kResolutionUnitInch;
  isGray = isGrayPalette();
  if (!isGray) photometric = colorTableLength != 0 ? kPhotometricPalette : kPhotometricRgb;
  return 1;
}

}  // namespace orlim
