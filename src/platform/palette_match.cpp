#include "platform/palette_match.h"

namespace orlim {

UINT GetNearestPaletteIndex(const RGBQUAD* entries, int count, COLORREF color) {
  UINT best = 0;
  long bestDistance = -1;
  for (int i = 0; i < count; ++i) {
    const long dr = long{entries[i].rgbRed} - GetRValue(color);
    const long dg = long{entries[i].rgbGreen} - GetGValue(color);
    const long db = long{entries[i].rgbBlue} - GetBValue(color);
    const long distance = dr * dr + dg * dg + db * db;
    if (bestDistance < 0 || distance < bestDistance) {
      bestDistance = distance;
      best = static_cast<UINT>(i);
    }
  }
  return best;
}

}  // namespace orlim
