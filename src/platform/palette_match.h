// The nearest colour of a palette, by the rule of GDI's GetNearestPaletteIndex:
// the entry at the least squared distance in red, green and blue, the first one
// when several are equally near.
#pragma once

#include "platform/win_types.h"

namespace orlim {

// Index into `entries` (of `count` entries) nearest to `colour` (0x00BBGGRR);
// 0 when the palette is empty.
UINT GetNearestPaletteIndex(const RGBQUAD* entries, int count, COLORREF color);

}  // namespace orlim
