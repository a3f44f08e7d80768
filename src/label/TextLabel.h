// The control's text label settings: what the Text... properties set, what the
// label dialogs edit, and the rendered label itself; with the two steps that
// stamp a label into a picture.
#pragma once

#include <string>

#include "image/Image.h"
#include "label/label_tokens.h"
#include "platform/orlim_api.h"
#include "platform/win_types.h"

namespace orlim {

// TextPosition values: where the label goes, numbered like a telephone keypad
// laid around the picture (5 is the picture itself).
enum LabelPosition : int { kLabelAbove = 2, kLabelLeft = 4, kLabelOnPicture = 5, kLabelRight = 6, kLabelBelow = 8 };

// TextAlign values: how the lines align within the label.
enum LabelAlign : int { kLabelAlignLeft = 0, kLabelAlignCenter = 1, kLabelAlignRight = 2 };

// TextOrientation values.
enum LabelOrientation : int {
  kLabelHorizontal = 0,
  kLabelReadsUpward = 1,    // turned by rotate90
  kLabelReadsDownward = 2,  // turned by rotate270
};

struct ORLIM_API TextLabel {
  int TextAlign = kLabelAlignLeft;
  int TextOrientation = kLabelHorizontal;
  COLORREF TextForegroundColor = 0x000000;
  COLORREF TextBackgroundColor = 0xFFFFFF;
  int foregroundColorIndex = 0;  // written back by the text options dialog; unused by the label
  int backgroundColorIndex = 0;
  int TextTransparentBackground = 0;
  LOGFONTA font = defaultFont();
  int TextPosition = kLabelAbove;
  int TextAnchor = 1;  // 1..9, a telephone keypad laid on the place
  int TextOffsetX = 0;
  int TextOffsetY = 0;
  // The text; empty means no text.
  std::string TextContent;
  // Replaces "$filename"; not owned, null counts as no name.
  const char* labelFileName = nullptr;
  // The rendered 1-bit label.
  Image labelImage;

  static LOGFONTA defaultFont() {
    LOGFONTA f{};
    f.lfHeight = -13;  // 10 points at 96 pixels per inch
    f.lfWeight = 400;
    const char face[] = "Arial";
    for (unsigned i = 0; i < sizeof face; ++i) f.lfFaceName[i] = face[i];
    return f;
  }
};

// Draws the label's text into labelImage: a 1-bit picture, colour entry 0 the
// background and 1 the text, turned by TextOrientation, transparent as asked.
// Returns 1, or 0 with labelImage empty when there is nothing to draw (no text,
// or text that takes no room), no font, or no memory. Tokens are replaced with the
// time `clock` gives, read once.
ORLIM_API int renderLabel(TextLabel& label, const LabelClock& clock = localLabelTime);

// Stamps labelImage into `picture` at TextPosition and TextAnchor, enlarging the
// picture first for a label beside it. Returns 1, or 0 when there is no label or
// picture, or after a message to the picture's errorHandler (illegal position or
// anchor, a failing Enlarge or insert; an enlarged picture stays enlarged).
ORLIM_API int insertLabel(TextLabel& label, Image& picture);

}  // namespace orlim
