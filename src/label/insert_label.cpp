// insertLabel: the rendered label stamped into the picture, beside it (after
// enlarging it) or on it, in the picture's own colours.
#include <algorithm>
#include <array>

#include "image/pixel_access.h"
#include "label/TextLabel.h"
#include "label/label_placement.h"
#include "platform/palette_match.h"

namespace orlim {

namespace {

// For each of the label's two colours, the nearest entry of an indexed
// picture's table; all 0 for deeper pictures, which take the colours as they are.
std::array<BYTE, 256> labelColorMap(const Image& label, const Image& picture) {
  std::array<BYTE, 256> map{};
  if (picture.bitsPerPixel > 8 || picture.paletteEntrySize < 3) return map;
  const std::array<RGBQUAD, 256> table = pixels::paletteEntries(picture);
  const int count = std::min(1 << picture.bitsPerPixel, picture.paletteSize / picture.paletteEntrySize);
  const std::array<RGBQUAD, 256> labelTable = pixels::paletteEntries(label);
  for (int k = 0; k < 2; ++k) {
    const RGBQUAD& e = labelTable[k];
    map[k] = static_cast<BYTE>(GetNearestPaletteIndex(table.data(), count, RGB(e.rgbRed, e.rgbGreen, e.rgbBlue)));
  }
  return map;
}

// The label in the picture's row order for the time of the insertion; insert
// copies stored rows as they are.
struct MatchedRowOrder {
  Image& label;
  bool flipped;
  MatchedRowOrder(Image& l, int rowOrder)
      : label(l), flipped(rowOrder == kRowsTopDown ? l.rowOrder != kRowsTopDown : l.rowOrder == kRowsTopDown) {
    if (flipped) label.flip(false);
  }
  ~MatchedRowOrder() {
    if (flipped) label.flip(false);
  }
};

}  // namespace

int insertLabel(TextLabel& label, Image& picture) {
  Image& image = label.labelImage;
  if (!image.dib || !picture.dib) return 0;
  LabelPlacement place;
  if (const char* refusal =
          placeLabel(label, picture.width, picture.height, image.width, image.height, picture.rowOrder, place))
    return picture.fail("%s", refusal);

  const std::array<BYTE, 256> colorMap = labelColorMap(image, picture);
  const COLORREF fill = picture.bitsPerPixel <= 8 ? colorMap[0] : label.TextBackgroundColor;
  if (place.enlargeAnchor && !picture.Enlarge(place.newWidth, place.newHeight, place.enlargeAnchor, fill)) return 0;
  const MatchedRowOrder matched(image, picture.rowOrder);
  return picture.insert(image, place.x, place.y, colorMap.data());
}

}  // namespace orlim
