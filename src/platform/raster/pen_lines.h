// Lines drawn with a pen into 32-bit surface rows: one-pixel lines with the
// dash patterns of the styled pens, and wide lines with round ends and joins.
#pragma once

#include <cstdint>

#include "platform/raster/dib_blit.h"
#include "platform/win_types.h"

namespace orlim::raster {

struct LinePen {
  int style = 0;  // PS_SOLID .. PS_DASHDOTDOT; wide pens are always drawn solid
  int width = 1;  // pixels, at least 1
  Rgb color = 0;
  bool opaqueGaps = true;  // fill the gaps of a styled line with gapColor
  Rgb gapColor = 0xFFFFFF;
};

// The on and off runs (in pixels) of a styled one-pixel pen; empty for solid.
struct DashPattern {
  int runs[6] = {};
  int count = 0;
  int period = 0;
};
DashPattern dashPattern(int style);

// Draws the lines between consecutive points (logical coordinates, shifted by
// the target's origin and clipped to its clip rectangle). One-pixel lines leave
// out the end point of each segment; the dash pattern runs on from segment to
// segment.
void drawPolyline(const BlitTarget& target, const POINT* points, int count, const LinePen& pen);

}  // namespace orlim::raster
