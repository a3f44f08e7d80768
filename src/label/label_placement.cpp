#include "label/label_placement.h"

#include <climits>
#include <cstdint>

#include "label/TextLabel.h"

namespace orlim {

namespace {

// Enlarge anchors: the old picture at the bottom left (7), at the top left (1), at the
// top right (3).
constexpr int kOldAtBottomLeft = 7;
constexpr int kOldAtTopLeft = 1;
constexpr int kOldAtTopRight = 3;

// The same place seen upside down: what a bottom-up anchor is for top-down rows.
int verticalMirror(int anchor) {
  switch (anchor) {
    case 1: return 7;
    case 2: return 8;
    case 3: return 9;
    case 7: return 1;
    case 8: return 2;
    case 9: return 3;
    default: return anchor;
  }
}

// Column of a label above or below the picture.
std::int64_t besideColumn(int anchor, std::int64_t w, std::int64_t lw, std::int64_t ox) {
  if (anchor == 4) return ox;
  if (anchor == 6) return w - lw - ox;
  return (w - lw) / 2;
}

// Row, counted from the bottom, of a label left or right of the picture.
std::int64_t besideRow(int anchor, std::int64_t h, std::int64_t lh, std::int64_t oy) {
  if (anchor == 2) return h - lh - oy;
  if (anchor == 8) return oy;
  return (h - lh) / 2;
}

// Column and row from the bottom of a label on the picture: a telephone keypad
// laid on it, 1 2 3 along the top and 7 8 9 along the bottom.
bool keypadPlace(int anchor, std::int64_t w, std::int64_t h, std::int64_t lw, std::int64_t lh, std::int64_t ox,
                 std::int64_t oy, std::int64_t& x, std::int64_t& y) {
  if (anchor < 1 || anchor > 9) return false;
  const int column = (anchor - 1) % 3, row = (anchor - 1) / 3;
  x = column == 0 ? ox : column == 1 ? (w - lw) / 2 : w - lw - ox;
  y = row == 0 ? h - lh - oy : row == 1 ? (h - lh) / 2 : oy;
  return true;
}

bool fitsInt(std::int64_t v) { return v >= INT_MIN && v <= INT_MAX; }

}  // namespace

const char* placeLabel(const TextLabel& label, int width, int height, int labelWidth, int labelHeight, int rowOrder,
                       LabelPlacement& place) {
  const std::int64_t w = width, h = height, lw = labelWidth, lh = labelHeight;
  const std::int64_t ox = label.TextOffsetX, oy = label.TextOffsetY;
  const int a = label.TextAnchor;
  std::int64_t newWidth = w, newHeight = h, x = 0, y = 0;  // y counted from the bottom as seen
  int anchor = 0;
  switch (label.TextPosition) {
    case kLabelAbove: newHeight = h + lh, anchor = kOldAtBottomLeft, x = besideColumn(a, w, lw, ox), y = h; break;
    case kLabelBelow: newHeight = h + lh, anchor = kOldAtTopLeft, x = besideColumn(a, w, lw, ox), y = 0; break;
    case kLabelLeft: newWidth = w + lw, anchor = kOldAtTopRight, x = 0, y = besideRow(a, h, lh, oy); break;
    case kLabelRight: newWidth = w + lw, anchor = kOldAtTopLeft, x = w, y = besideRow(a, h, lh, oy); break;
    case kLabelOnPicture:
      if (!keypadPlace(a, w, h, lw, lh, ox, oy, x, y)) return "Illegal TextAnchor value!";
      break;
    default: return "Illegal TextPosition value!";
  }
  if (rowOrder == kRowsTopDown) {
    y = newHeight - lh - y;
    anchor = verticalMirror(anchor);
  }
  if (!fitsInt(newWidth) || !fitsInt(newHeight) || !fitsInt(x) || !fitsInt(y))
    return "The picture is too large to take the text label.";
  place = {static_cast<int>(newWidth), static_cast<int>(newHeight), anchor, static_cast<int>(x), static_cast<int>(y)};
  return nullptr;
}

}  // namespace orlim
