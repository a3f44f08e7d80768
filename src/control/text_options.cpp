// TextOptions: the text label dialogs over the control's label settings. The
// dialog gets the settings, the picture's colours when it is paletted, and the
// edit-uses-font flag the control keeps; OK copies everything back.
#include <algorithm>

#include "control/OrlimCtrl.h"
#include "image/pixel_access.h"
#include "pages/TextOptionsDialog.h"

namespace orlim {

namespace {

// The colour table of a picture of 8 or fewer bits (both as read and as held),
// whose chosen label colours should be ones it can hold; empty otherwise.
std::vector<RGBQUAD> pictureColors(const Image& image) {
  if (!image.dib || image.sourceBitsPerPixel > 8 || image.bitsPerPixel > 8 || image.bitsPerPixel < 1 ||
      image.paletteEntrySize < 3)
    return {};
  const std::array<RGBQUAD, 256> table = pixels::paletteEntries(image);
  const int count = std::min(1 << image.bitsPerPixel, image.paletteSize / image.paletteEntrySize);
  return std::vector<RGBQUAD>(table.begin(), table.begin() + std::max(count, 0));
}

void loadDialog(TextOptionsDialog& dialog, const TextLabel& label, const Image& image) {
  dialog.textColor = label.TextForegroundColor;
  dialog.backgroundColor = label.TextBackgroundColor;
  dialog.alignment = label.TextAlign;
  dialog.orientation = label.TextOrientation;
  dialog.position = label.TextPosition;
  dialog.anchor = label.TextAnchor;
  dialog.horizontalPadding = label.TextOffsetX;
  dialog.verticalPadding = label.TextOffsetY;
  dialog.transparentBackground = label.TextTransparentBackground;
  dialog.font = label.font;
  dialog.text = label.TextContent;
  dialog.pictureWidth = image.fullWidth;
  dialog.pictureHeight = image.fullHeight;
  dialog.palette = pictureColors(image);
  dialog.floating = false;  // so OK always goes on to the position dialog
}

void storeDialog(const TextOptionsDialog& dialog, TextLabel& label) {
  label.TextForegroundColor = dialog.textColor;
  label.TextBackgroundColor = dialog.backgroundColor;
  label.foregroundColorIndex = dialog.textColorIndex;
  label.backgroundColorIndex = dialog.backgroundColorIndex;
  if (dialog.alignment >= 0) label.TextAlign = dialog.alignment;
  if (dialog.orientation >= 0) label.TextOrientation = dialog.orientation;
  label.TextPosition = dialog.position;
  label.TextAnchor = dialog.anchor;
  label.TextOffsetX = dialog.horizontalPadding;
  label.TextOffsetY = dialog.verticalPadding;
  label.TextTransparentBackground = dialog.transparentBackground;
  label.font = dialog.font;
  label.TextContent = dialog.text;  // an empty text leaves no text
}

}  // namespace

LONG COrlimCtrl::TextOptions(BOOL) {
  TextOptionsDialog dialog;
  loadDialog(dialog, textLabel, image);
  dialog.editUsesFont = textEditUsesFont;
  const int result = dialog.DoModal(GetWindow());
  if (result == IDOK) {
    storeDialog(dialog, textLabel);
    textEditUsesFont = dialog.editUsesFont;
  }
  return result;
}

}  // namespace orlim
