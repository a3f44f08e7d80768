// renderLabel: the label's text drawn by the platform's rasteriser into a 1-bit
// picture of its own.
#include <climits>
#include <cstdint>
#include <cstring>
#include <new>
#include <vector>

#include "label/TextLabel.h"
#include "platform/TextRasterizer.h"

namespace orlim {

namespace {

constexpr int kLabelTableBytes = 8;  // two entries: background, text

UINT alignmentFlag(int textAlign) {
  if (textAlign == kLabelAlignCenter) return DT_CENTER;
  if (textAlign == kLabelAlignRight) return DT_RIGHT;
  return DT_LEFT;  // also for values only persisted data can hold
}

RGBQUAD entryOf(COLORREF c) { return {GetBValue(c), GetGValue(c), GetRValue(c), 0}; }

// The drawing as DIB rows, bottom row first; a set bit is text.
std::vector<std::uint8_t> bottomUpRows(const MonoBitmap& drawing) {
  const std::int64_t stride = drawing.stride();
  std::vector<std::uint8_t> rows(static_cast<std::size_t>(stride * drawing.height()));
  for (int y = 0; y < drawing.height(); ++y)
    std::memcpy(rows.data() + (drawing.height() - 1 - y) * stride, drawing.row(y), stride);
  return rows;
}

int importLabel(Image& image, const MonoBitmap& drawing, const TextLabel& label) {
  const std::vector<std::uint8_t> rows = bottomUpRows(drawing);
  BITMAPINFOHEADER header{};
  header.biSize = sizeof header;
  header.biWidth = drawing.width();
  header.biHeight = drawing.height();
  header.biPlanes = 1;
  header.biBitCount = 1;
  header.biCompression = BI_RGB;
  header.biSizeImage = static_cast<DWORD>(rows.size());
  const RGBQUAD table[2] = {entryOf(label.TextBackgroundColor), entryOf(label.TextForegroundColor)};
  return image.import(&header, sizeof header, table, kLabelTableBytes, rows.data(), static_cast<int>(rows.size()),
                      kLayoutPackedDib);
}

int orient(Image& image, int orientation) {
  if (orientation == kLabelReadsUpward) return image.rotate90();
  if (orientation == kLabelReadsDownward) return image.rotate270();
  return 1;
}

int drawLabel(TextLabel& label, const LabelClock& clock) {
  Image& image = label.labelImage;
  const std::string text = substituteLabelTokens(label.TextContent, label.labelFileName, clock());

  const TextRasterizer rasterizer(label.font);
  if (!rasterizer.ready()) return 0;
  // Measured with the flags it is drawn with, so that tabs and "&" take the
  // room they are drawn in.
  const UINT format = alignmentFlag(label.TextAlign) | DT_EXPANDTABS | DT_NOPREFIX;
  RECT box{0, 0, 0, 0};
  rasterizer.DrawText(text.c_str(), static_cast<int>(text.size()), box, format | DT_CALCRECT);
  const std::int64_t w = box.right - box.left, h = box.bottom - box.top;
  if (w <= 0 || h <= 0) return 0;
  if (((w + 31) / 32) * 4 * h > INT_MAX - 48) return 0;  // the label's block must fit the record

  MonoBitmap drawing(static_cast<int>(w), static_cast<int>(h));
  RECT area{0, 0, static_cast<LONG>(w), static_cast<LONG>(h)};
  rasterizer.DrawText(text.c_str(), static_cast<int>(text.size()), area, format, &drawing);
  if (!importLabel(image, drawing, label) || !orient(image, label.TextOrientation)) {
    image.reset(true);
    return 0;
  }
  image.transparent = label.TextTransparentBackground;
  image.transparentColor = label.TextBackgroundColor;
  return 1;
}

}  // namespace

int renderLabel(TextLabel& label, const LabelClock& clock) {
  label.labelImage.reset(true);
  if (label.TextContent.empty()) return 0;
  try {
    return drawLabel(label, clock);
  } catch (const std::bad_alloc&) {
    label.labelImage.reset(true);  // no memory for the drawing: no label
    return 0;
  }
}

}  // namespace orlim
