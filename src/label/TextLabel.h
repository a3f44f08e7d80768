// The control's text label settings: what the Text... properties set, what the
// label dialogs edit, and the rendered label itself.
#pragma once

#include <string>

#include "image/Image.h"
#include "platform/win_types.h"

namespace orlim {

struct TextLabel {
  int TextAlign = 0;        // 0 left, 1 centred, 2 right
  int TextOrientation = 0;  // 0 horizontal, 1 reads upward (rotate90), 2 reads downward (rotate270)
  COLORREF TextForegroundColor = 0x000000;
  COLORREF TextBackgroundColor = 0xFFFFFF;
  int foregroundColorIndex = 0;  // written back by the text options dialog; unused by the label
  int backgroundColorIndex = 0;
  int TextTransparentBackground = 0;
  LOGFONTA font = defaultFont();
  int TextPosition = 2;  // 5 on the picture; 2 above, 8 below, 4 left, 6 right
  int TextAnchor = 1;    // 1..9
  int TextOffsetX = 0;
  int TextOffsetY = 0;
  // The text; empty means no text.
  std::string TextContent;
  // Replaces "$filename"; not owned, null before every rendering.
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

}  // namespace orlim
