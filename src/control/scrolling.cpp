// Scrolling and the visible region. What the loader, the zoom and the size
// message need: the zoomed size, the ranges, the usable client size, clamping,
// and the visible-region values of the last draw.
#include <algorithm>
#include <cmath>

#include "control/OrlimCtrl.h"

namespace orlim {

namespace {

LONG clampToLong(std::int64_t v) { return static_cast<LONG>(std::clamp<std::int64_t>(v, INT32_MIN, INT32_MAX)); }

}  // namespace

void COrlimCtrl::zoomedSize(std::int64_t& width, std::int64_t& height) const {
  const std::int64_t fw = image.fullWidth, fh = image.fullHeight, z = zoomLevel;
  if (z < 0) {
    width = static_cast<std::int64_t>(std::floor(static_cast<double>(fw) / static_cast<double>(1 - z) + 0.5));
    height = static_cast<std::int64_t>(std::floor(static_cast<double>(fh) / static_cast<double>(1 - z) + 0.5));
  } else {
    width = fw * (z + 1);
    height = fh * (z + 1);
  }
  const std::int64_t rx = image.xResolution, ry = image.yResolution;
  if (rx > 0 && ry > 0 && rx != ry) {
    // Aspect correction in 128 bits, saturated back into 64.
    auto scale = [](std::int64_t v, std::int64_t num, std::int64_t den) {
      const __int128 r = static_cast<__int128>(v) * num / den;
      return static_cast<std::int64_t>(std::min<__int128>(r, INT64_MAX));
    };
    if (ry < rx)
      height = scale(height, rx, ry);
    else
      width = scale(width, ry, rx);
  }
}

void COrlimCtrl::updateScrollBars(BOOL) {
  RECT client{};
  GetClientRect(client);
  if (!hasPicture()) {
    zoomLevel = 0;
    hScrollNeeded = vScrollNeeded = FALSE;
    scrollPosX = scrollPosY = 0;
    hScrollShown = vScrollShown = FALSE;
  }
  clientWidth = client.right - client.left;
  clientHeight = client.bottom - client.top;
  scrollPosX = std::clamp<LONG>(scrollPosX, 0, std::max<LONG>(0, GetScrollRangeX()));
  scrollPosY = std::clamp<LONG>(scrollPosY, 0, std::max<LONG>(0, GetScrollRangeY()));
}

LONG COrlimCtrl::GetScrollRangeX() const {
  if (!hasPicture()) return 0;
  std::int64_t w = 0, h = 0;
  zoomedSize(w, h);
  return clampToLong(std::max<std::int64_t>(0, w - clientWidth));
}

LONG COrlimCtrl::GetScrollRangeY() const {
  if (!hasPicture()) return 0;
  std::int64_t w = 0, h = 0;
  zoomedSize(w, h);
  return clampToLong(std::max<std::int64_t>(0, h - clientHeight));
}

namespace {

// The factor between the held raster and the full-size picture.
std::int64_t rasterReduction(const COrlimCtrl& c) {
  const bool reducedPage =
      (c.fileType == kFileDjvu || c.fileType == kFileIw44) && c.zoomLevel < 0 && c.fancyZoom;
  return reducedPage ? 1 - static_cast<std::int64_t>(c.zoomLevel) : 1;
}

}  // namespace

LONG COrlimCtrl::GetImageVisibleLeft() const {
  return hasPicture() ? clampToLong(rasterReduction(*this) * visibleLeft) : 0;
}

LONG COrlimCtrl::GetImageVisibleTop() const {
  return hasPicture() ? clampToLong(rasterReduction(*this) * visibleTop) : 0;
}

LONG COrlimCtrl::GetImageVisibleRight() const {
  return hasPicture() ? clampToLong(rasterReduction(*this) * (std::int64_t{visibleLeft} + visibleWidth - 1)) : 0;
}

LONG COrlimCtrl::GetImageVisibleBottom() const {
  return hasPicture() ? clampToLong(rasterReduction(*this) * (std::int64_t{visibleTop} + visibleHeight - 1)) : 0;
}

}  // namespace orlim
