#include "pages/font_description.h"

#include <cmath>
#include <cstdlib>
#include <cstring>

namespace orlim {

FontDescription describeFont(const LOGFONTA& font, int pixelsPerInch) {
  FontDescription d;
  d.name = "Name: " + std::string(font.lfFaceName, strnlen(font.lfFaceName, LF_FACESIZE));
  if (font.lfHeight == 0 || pixelsPerInch == 0) {
    d.size = "Size: N/A";
  } else {
    const double points = std::fabs(static_cast<double>(font.lfHeight)) * 72.0 / pixelsPerInch;
    d.size = "Size: " + std::to_string(static_cast<long long>(std::floor(points + 0.5)));
  }
  const bool bold = font.lfWeight > 699;
  d.style = "Style: ";
  if (!font.lfItalic && !bold) d.style += " Regular";
  if (bold) d.style += " Bold";
  if (font.lfItalic) d.style += " Italic";
  d.underline = font.lfUnderline ? "Underline: Yes" : "Underline: No";
  d.strikeout = font.lfStrikeOut ? "Strikeout: Yes" : "Strikeout: No";
  return d;
}

}  // namespace orlim
