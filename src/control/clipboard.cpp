// The clipboard: the shown picture goes there as a packed device-independent
// bitmap (CF_DIB) at full resolution, and a CF_DIB found there can replace it.
// A block on the clipboard may come from any program, so its header is checked
// against the block's real length before the shown picture is given up.
#include "platform/Clipboard.h"

#include <climits>
#include <cmath>
#include <cstring>
#include <new>

#include "control/OrlimCtrl.h"
#include "image/resolution.h"
#include "platform/Application.h"

namespace orlim {

namespace {

constexpr int kDibHeaderLength = 40;

// Dots per inch to pixels per metre.

std::int64_t rowStride(std::int64_t width, int bits) { return (width * bits + 31) / 32 * 4; }

// The header of a picture whose block does not start with one.
BITMAPINFOHEADER builtHeader(const Image& picture, std::int64_t dstStride) {
  BITMAPINFOHEADER h{};
  h.biSize = kDibHeaderLength;
  h.biWidth = picture.width;
  h.biHeight = picture.height;
  h.biPlanes = 1;
  h.biBitCount = static_cast<WORD>(picture.bitsPerPixel);
  h.biCompression = BI_RGB;
  h.biSizeImage = static_cast<DWORD>(dstStride * picture.height);
  h.biXPelsPerMeter = pixelsPerMeterFromDpi(picture.xResolution);
  h.biYPelsPerMeter = pixelsPerMeterFromDpi(picture.yResolution);
  if (picture.paletteSize != 0 && picture.paletteEntrySize != 0) {
    const std::int64_t colors = picture.paletteSize / picture.paletteEntrySize;
    if (picture.bitsPerPixel < 32 && colors < (std::int64_t{1} << picture.bitsPerPixel))
      h.biClrUsed = static_cast<DWORD>(colors);
  }
  return h;
}

// Where the pieces of a clipboard DIB lie, as its header describes them.
struct DibPieces {
  std::int64_t tableLength = 0;
  std::int64_t rowsLength = 0;
};

std::int64_t colorTableLength(const BITMAPINFOHEADER& h) {
  if (h.biClrUsed != 0) return std::int64_t{h.biClrUsed} * 4;
  if (h.biBitCount == 1 || h.biBitCount == 4 || h.biBitCount == 8) return std::int64_t{4} << h.biBitCount;
  if ((h.biBitCount == 16 || h.biBitCount == 32) && h.biCompression == BI_BITFIELDS) return 12;
  return 0;
}

// Checks that the block holds everything its header promises; 0 after a message.
int measureClipboardDib(const Image& reporter, const ClipboardBlock& block, DibPieces& pieces) {
  if (block.size() < kDibHeaderLength)
    return reporter.fail("Cannot paste: the clipboard's bitmap holds %zu bytes, too few for its header.", block.size());
  BITMAPINFOHEADER h;
  std::memcpy(&h, block.data(), sizeof h);
  if (h.biSize != kDibHeaderLength)
    return reporter.fail("Cannot paste: the clipboard's bitmap has a %u-byte header; only 40-byte headers are read.",
                         h.biSize);
  pieces.tableLength = colorTableLength(h);
  // A width or height the import cannot take leaves no rows to measure; the
  // import names the fault.
  const std::int64_t height = std::llabs(static_cast<long long>(h.biHeight));
  const std::int64_t stride = h.biWidth > 0 ? rowStride(h.biWidth, h.biBitCount) : 0;
  if (stride > 0 && height > (INT64_MAX / 2) / stride)
    return reporter.fail("Cannot paste: the clipboard's bitmap claims %d x %d pixels.", h.biWidth, h.biHeight);
  pieces.rowsLength = stride * height;
  const std::int64_t needed = kDibHeaderLength + pieces.tableLength + pieces.rowsLength;
  if (needed > static_cast<std::int64_t>(block.size()))
    return reporter.fail("Cannot paste: the clipboard's bitmap needs %lld bytes but holds only %zu.",
                         static_cast<long long>(needed), block.size());
  if (needed > INT_MAX)
    return reporter.fail("Cannot paste: the clipboard's bitmap of %lld bytes is too large.",
                         static_cast<long long>(needed));
  return 1;
}

}  // namespace

bool COrlimCtrl::packClipboardDib(ClipboardBlock& block) const {
  if (!hasPicture()) return false;
  const int bits = image.bitsPerPixel;
  const std::int64_t rowBytes = (std::int64_t{image.width} * bits + 7) / 8;
  const std::int64_t dstStride = rowStride(image.width, bits);
  const std::int64_t size = std::int64_t{image.height} * dstStride + image.paletteSize + kDibHeaderLength;
  if (size > INT_MAX || rowBytes > image.stride) return false;
  try {
    block.assign(static_cast<std::size_t>(size), 0);
  } catch (const std::bad_alloc&) {
    return false;
  }
  std::uint8_t* out = block.data();
  if (image.layout == kLayoutPackedDib && image.headerSize >= kDibHeaderLength) {
    std::memcpy(out, image.dib, kDibHeaderLength);
  } else {
    const BITMAPINFOHEADER h = builtHeader(image, dstStride);
    std::memcpy(out, &h, sizeof h);
  }
  out += kDibHeaderLength;
  if (image.paletteSize > 0) std::memcpy(out, image.dib + image.paletteOffset, image.paletteSize);
  out += image.paletteSize;
  const std::uint8_t* row = image.bits();
  for (int y = 0; y < image.height; ++y, row += image.stride, out += dstStride) std::memcpy(out, row, rowBytes);
  return true;
}

BOOL COrlimCtrl::CopyToClipboard() {
  if (!hasPicture()) return FALSE;
  ClipboardSession clipboard(GetWindow());
  if (!clipboard.isOpen()) return FALSE;  // nothing was copied
  fullResolutionForWork();
  bool copied = false;
  {
    CWaitCursor wait;
    ClipboardBlock block;
    // Other formats already there stay: the clipboard is not emptied first.
    copied = packClipboardDib(block) && clipboard->SetClipboardData(CF_DIB, std::move(block));
  }
  restoreDisplayResolution();
  return copied ? TRUE : FALSE;
}

BOOL COrlimCtrl::PasteFromClipboard() {
  CWaitCursor wait;
  ClipboardSession clipboard(GetWindow());
  ClipboardBlock block;
  if (!clipboard.isOpen() || !clipboard->IsClipboardFormatAvailable(CF_DIB) ||
      !clipboard->GetClipboardData(CF_DIB, block))
    return FALSE;

  // The picture is imported beside the shown one, which stays until this worked.
  Image pasted;
  pasted.errorHandler = image.errorHandler;
  DibPieces pieces;
  if (!measureClipboardDib(pasted, block, pieces)) return FALSE;
  const std::uint8_t* table = block.data() + kDibHeaderLength;
  if (!pasted.import(block.data(), kDibHeaderLength, table, static_cast<int>(pieces.tableLength),
                     table + pieces.tableLength, static_cast<int>(pieces.rowsLength), kLayoutPackedDib))
    return FALSE;

  clearView(TRUE);
  if (!image.clone(pasted)) return FALSE;
  image.showWarnings = showWarnings;
  fileType = kFileBmp;
  notifyImageProperties();
  scrollPosX = scrollPosY = 0;
  applyAutoFit();
  updateScrollBars(scrollBars);
  for (DISPID id : {dispidScrollPosX, dispidScrollPosY, dispidScrollRangeX, dispidScrollRangeY})
    BoundPropertyChanged(id);
  InvalidateControl(nullptr, TRUE);
  SetModifiedFlag();
  return TRUE;
}

}  // namespace orlim
