// Scrolling and the visible region: the zoomed size, when the window's scroll
// bars are needed and how they are set up, the scroll-bar messages, the scroll
// properties, and the visible-region values of the last draw.
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

void COrlimCtrl::updateScrollBars(BOOL previousScrollBars) {
  Window* window = GetWindow();
  if (!hasPicture()) {
    zoomLevel = 0;
    hScrollNeeded = vScrollNeeded = FALSE;
    scrollPosX = scrollPosY = 0;
    if (scrollBars && window) {
      if (hScrollShown) window->ShowScrollBar(SB_HORZ, false);
      if (vScrollShown) window->ShowScrollBar(SB_VERT, false);
      hScrollShown = vScrollShown = FALSE;
    }
    RECT client{};
    GetClientRect(client);
    clientWidth = client.right - client.left;
    clientHeight = client.bottom - client.top;
    return;
  }
  RECT client{};
  GetClientRect(client);
  const int barHeight = window ? window->GetSystemMetrics(SM_CYHSCROLL) : 0;
  const int barWidth = window ? window->GetSystemMetrics(SM_CXVSCROLL) : 0;
  // The client size without bars.
  int a = client.right - client.left, c = client.bottom - client.top;
  if (hScrollNeeded && previousScrollBars) c += barHeight;
  if (vScrollNeeded && previousScrollBars) a += barWidth;
  std::int64_t zw = 0, zh = 0;
  zoomedSize(zw, zh);
  if (scrollBars) {
    if (a < zw) {
      hScrollNeeded = TRUE;
      c -= barHeight;
      if (c < zh) {
        vScrollNeeded = TRUE;
        a -= barWidth;
      } else {
        vScrollNeeded = FALSE;
        scrollPosY = 0;
      }
    } else if (c < zh) {
      vScrollNeeded = TRUE;
      a -= barWidth;
      if (a < zw) {
        hScrollNeeded = TRUE;
        c -= barHeight;
      } else {
        hScrollNeeded = FALSE;
        scrollPosX = 0;
      }
    } else {
      // Fits the client area without bars both ways: no bar is needed, whatever
      // an earlier draw or update with the bars shown concluded.
      hScrollNeeded = vScrollNeeded = FALSE;
      scrollPosX = scrollPosY = 0;
    }
  }
  const int lineStep = zoomLevel <= 0 ? 1 : clampToLong(std::int64_t{zoomLevel} + 1);
  showBar(SB_HORZ, hScrollNeeded, hScrollShown, zw, a, scrollPosX);
  pageStepX = clampToLong(zw / 10);
  lineStepX = lineStep;
  showBar(SB_VERT, vScrollNeeded, vScrollShown, zh, c, scrollPosY);
  pageStepY = clampToLong(zh / 10);
  lineStepY = lineStep;
  clientWidth = a;
  clientHeight = c;
  scrollPosX = std::clamp<LONG>(scrollPosX, 0, std::max<LONG>(0, GetScrollRangeX()));
  scrollPosY = std::clamp<LONG>(scrollPosY, 0, std::max<LONG>(0, GetScrollRangeY()));
}

void COrlimCtrl::showBar(int bar, BOOL needed, BOOL& shown, std::int64_t zoomedLength, int page, int position) {
  Window* window = GetWindow();
  if (!window) return;
  if (scrollBars && needed) {
    if (!shown) {
      shown = TRUE;
      window->ShowScrollBar(bar, true);
    }
    SCROLLINFO info;
    info.nMin = 0;
    info.nMax = clampToLong(zoomedLength - 1);
    info.nPage = static_cast<UINT>(std::max(0, page));
    info.nPos = position;
    window->SetScrollInfo(bar, info, true);
  } else if (shown) {
    window->ShowScrollBar(bar, false);
    shown = FALSE;
  }
}

void COrlimCtrl::SetScrollPosX(LONG value) { setScrollPosition(SB_HORZ, value); }

void COrlimCtrl::SetScrollPosY(LONG value) { setScrollPosition(SB_VERT, value); }

void COrlimCtrl::setScrollPosition(int bar, LONG value) {
  Window* window = GetWindow();
  int low = 0, high = 0;
  if (window) window->GetScrollRange(bar, low, high);
  value = std::clamp<LONG>(value, low, std::max(low, high));
  int& position = bar == SB_HORZ ? scrollPosX : scrollPosY;
  if (value == position) return;
  position = value;
  if (window) window->SetScrollPos(bar, value, true);
  BoundPropertyChanged(bar == SB_HORZ ? dispidScrollPosX : dispidScrollPosY);
  InvalidateControl(nullptr, TRUE);
  SetModifiedFlag();
}

void COrlimCtrl::SetScrollBars(BOOL value) {
  value = value ? TRUE : FALSE;
  if (value == scrollBars) return;
  const BOOL previous = scrollBars;
  scrollBars = value;
  updateScrollBars(previous);
  for (DISPID id : {dispidScrollBars, dispidClientWidth, dispidClientHeight}) BoundPropertyChanged(id);
  InvalidateControl(nullptr, TRUE);
  SetModifiedFlag();
}

void COrlimCtrl::OnHScroll(UINT code, UINT position) {
  scrollByRequest(SB_HORZ, code, position);
  COleControl::OnHScroll(code, position);
}

void COrlimCtrl::OnVScroll(UINT code, UINT position) {
  scrollByRequest(SB_VERT, code, position);
  COleControl::OnVScroll(code, position);
}

void COrlimCtrl::scrollByRequest(int bar, UINT code, UINT thumb) {
  noErase = TRUE;
  const bool horizontal = bar == SB_HORZ;
  int& position = horizontal ? scrollPosX : scrollPosY;
  const std::int64_t p = position;
  const std::int64_t range = horizontal ? GetScrollRangeX() : GetScrollRangeY();
  const std::int64_t line = horizontal ? lineStepX : lineStepY, page = horizontal ? pageStepX : pageStepY;
  std::int64_t next = p;
  switch (code) {
    case SB_LINEUP: next = std::max<std::int64_t>(p - line, 0); break;
    case SB_LINEDOWN: next = std::min(p + line, range); break;
    case SB_PAGEUP: next = std::max<std::int64_t>(p - page, 0); break;
    case SB_PAGEDOWN: next = std::min(p + page, range); break;
    case SB_THUMBPOSITION:
    case SB_THUMBTRACK: next = static_cast<int>(thumb); break;
    case SB_TOP: next = 0; break;
    case SB_BOTTOM: next = range; break;
    case SB_ENDSCROLL: noErase = FALSE; break;
    default: break;
  }
  if (next == p) return;
  position = clampToLong(next);
  if (Window* window = GetWindow()) window->SetScrollPos(bar, position, true);
  BoundPropertyChanged(horizontal ? dispidScrollPosX : dispidScrollPosY);
  InvalidateControl(nullptr, TRUE);
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
  const bool reducedPage = (c.fileType == kFileDjvu || c.fileType == kFileIw44) && c.zoomLevel < 0 && c.fancyZoom;
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
