// The invalid area both backends keep between a paint request and the paint:
// only what lies inside the client area, grown to cover every request.
#pragma once

#include <algorithm>

#include "platform/win_types.h"

namespace orlim::raster {

// Adds `rect` (the whole client area when null) to `invalid`, which holds an area
// only while `pending`. False, and nothing changed, when no part lies inside.
inline bool addInvalidArea(const RECT* rect, const RECT& client, bool pending, RECT& invalid) {
  RECT area = rect ? *rect : client;
  area.left = std::max<LONG>(area.left, 0);
  area.top = std::max<LONG>(area.top, 0);
  area.right = std::min<LONG>(area.right, client.right);
  area.bottom = std::min<LONG>(area.bottom, client.bottom);
  if (area.left >= area.right || area.top >= area.bottom) return false;
  invalid = pending ? RECT{std::min(invalid.left, area.left), std::min(invalid.top, area.top),
                           std::max(invalid.right, area.right), std::max(invalid.bottom, area.bottom)}
                    : area;
  return true;
}

}  // namespace orlim::raster
