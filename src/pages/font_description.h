// The five lines the Add Text dialog shows about its font.
#pragma once

#include <array>
#include <string>

#include "platform/win_types.h"

namespace orlim {

// "Name: ...", "Style: ..." (" Regular", " Bold", " Italic" appended),
// "Size: N" in points at `pixelsPerInch` (or "Size: N/A"), "Underline: Yes|No",
// "Strikeout: Yes|No".
struct FontDescription {
  std::string name, style, size, underline, strikeout;
};

FontDescription describeFont(const LOGFONTA& font, int pixelsPerInch);

}  // namespace orlim
