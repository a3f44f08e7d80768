// The mouse and the selection: panning with the hand cursors, the rubber-band
// selection and what it invalidates, the selection properties and methods, the
// DrawRectangle outline, the conversions between client and picture pixels,
// and dropped files.
#include <algorithm>
#include <cmath>

#include "control/OrlimCtrl.h"

namespace orlim {

namespace {

LONG roundHalfUp(double v) {
  return static_cast<LONG>(std::clamp(std::floor(v + 0.5), double{INT32_MIN}, double{INT32_MAX}));
}

RECT grown(const RECT& r, int margin) {
  return RECT{r.left - margin, r.top - margin, r.right + margin, r.bottom + margin};
}

bool sameRect(const RECT& a, const RECT& b) {
  return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

bool nonEmpty(const RECT& r) { return r.left < r.right && r.top < r.bottom; }

}  // namespace

// ---- coordinates ----

void COrlimCtrl::pictureFactors(double& ex, double& ey) const {
  aspectCorrected(zoomPercent(zoomLevel), image.xResolution, image.yResolution, ex, ey);
}

void COrlimCtrl::clampToPicture(RECT& r) const {
  const LONG maxX = std::max(0, image.fullWidth - 1), maxY = std::max(0, image.fullHeight - 1);
  r.left = std::clamp<LONG>(r.left, 0, maxX);
  r.right = std::clamp<LONG>(r.right, 0, maxX);
  r.top = std::clamp<LONG>(r.top, 0, maxY);
  r.bottom = std::clamp<LONG>(r.bottom, 0, maxY);
}

void COrlimCtrl::clientToImage(RECT& rect, BOOL clamp) const {
  if (!hasPicture()) return;
  double ex = 100, ey = 100;
  pictureFactors(ex, ey);
  const double shiftX = static_cast<double>(scrollPosX) - originX;
  const double shiftY = static_cast<double>(scrollPosY) - originY;
  rect.left = roundHalfUp((rect.left + shiftX) * 100 / ex);
  rect.right = roundHalfUp((rect.right + shiftX) * 100 / ex);
  rect.top = roundHalfUp((rect.top + shiftY) * 100 / ey);
  rect.bottom = roundHalfUp((rect.bottom + shiftY) * 100 / ey);
  if (clamp) clampToPicture(rect);
}

RECT COrlimCtrl::imageToClient(const RECT& rect) const {
  if (!hasPicture()) return rect;
  double ex = 100, ey = 100;
  pictureFactors(ex, ey);
  // The shift is whole, so adding it before rounding gives the same result and
  // keeps far-away rectangles from overflowing.
  const double shiftX = static_cast<double>(originX) - scrollPosX;
  const double shiftY = static_cast<double>(originY) - scrollPosY;
  return RECT{roundHalfUp(ex * rect.left * 0.01 + shiftX), roundHalfUp(ey * rect.top * 0.01 + shiftY),
              roundHalfUp(ex * rect.right * 0.01 + shiftX), roundHalfUp(ey * rect.bottom * 0.01 + shiftY)};
}

void COrlimCtrl::repaintNow() {
  Window* window = GetWindow();
  if (!window) return;
  if (window->IsPaintPending()) {
    window->UpdateWindow();
    return;
  }
  noErase = TRUE;
  InvalidateControl(nullptr, FALSE);
  window->UpdateWindow();
  noErase = FALSE;
}

// ---- selection and outline ----

void COrlimCtrl::SetViewMode(LONG value) {
  const int old = viewMode;
  viewMode = value == kSelectionMode ? kSelectionMode : kPanMode;
  BoundPropertyChanged(dispidViewMode);
  if (old == kSelectionMode && hasSelection) {
    const RECT area = grown(imageToClient(selection), 10);
    InvalidateControl(&area, TRUE);
    hasSelection = FALSE;
    selection = RECT{};
  }
  SetModifiedFlag();
}

void COrlimCtrl::setSelectionCoordinate(LONG RECT::*field, bool horizontal, LONG value, DISPID id) {
  if (!hasPicture() || viewMode != kSelectionMode) return;
  const LONG limit = std::max(0, (horizontal ? image.fullWidth : image.fullHeight) - 1);
  selection.*field = std::clamp<LONG>(value, 0, limit);
  BoundPropertyChanged(id);
  SetModifiedFlag();
}

void COrlimCtrl::SetImageSelectionLeft(LONG value) {
  setSelectionCoordinate(&RECT::left, true, value, dispidImageSelectionLeft);
}
void COrlimCtrl::SetImageSelectionTop(LONG value) {
  setSelectionCoordinate(&RECT::top, false, value, dispidImageSelectionTop);
}
void COrlimCtrl::SetImageSelectionRight(LONG value) {
  setSelectionCoordinate(&RECT::right, true, value, dispidImageSelectionRight);
}
void COrlimCtrl::SetImageSelectionBottom(LONG value) {
  setSelectionCoordinate(&RECT::bottom, false, value, dispidImageSelectionBottom);
}

BOOL COrlimCtrl::SelectionRectangle(LONG left, LONG top, LONG right, LONG bottom) {
  if (!hasPicture()) return FALSE;
  RECT r{left, top, right, bottom};
  clampToPicture(r);
  selection = r;
  viewMode = kSelectionMode;
  hasSelection = nonEmpty(selection);
  repaintNow();
  return TRUE;
}

BOOL COrlimCtrl::DrawRectangle(LONG left, LONG top, LONG right, LONG bottom, LONG color, LONG thickness, LONG style) {
  if (left < 0 && top < 0 && right < 0 && bottom < 0) return FALSE;
  if (left == 0 && top == 0 && right == 0 && bottom == 0) {
    overlayShown = FALSE;
    return TRUE;
  }
  overlayRect = RECT{left, top, right, bottom};
  overlayColor = static_cast<COLORREF>(color);
  overlayShown = TRUE;
  overlayThickness = std::max<LONG>(thickness, 1);
  overlayStyle = style >= PS_DASH && style <= PS_DASHDOTDOT ? style : PS_SOLID;
  repaintNow();
  return TRUE;
}

// ---- buttons and moves ----

bool COrlimCtrl::scrollBarNeeded() const { return hScrollNeeded || vScrollNeeded; }

void COrlimCtrl::setCursor(int cursor) {
  if (Window* window = GetWindow()) window->SetCursor(cursor);
}

void COrlimCtrl::OnLButtonDown(UINT flags, POINT point) {
  if (viewMode == kPanMode) {
    dragStartX = dragX = point.x;
    dragStartY = dragY = point.y;
    dragging = TRUE;
    if (scrollBarNeeded()) setCursor(kCursorClosedHand);
  } else if (hasPicture()) {
    trackSelection(point);
  }
  COleControl::OnLButtonDown(flags, point);
  if (Window* window = GetWindow()) window->ReleaseCapture();
}

void COrlimCtrl::trackSelection(POINT start) {
  Window* window = GetWindow();
  if (!window) return;
  tracker.TrackRubberBand(*window, start, TRUE);
  tracker.NormalizeRect();
  tracker.Draw(*window->GetDC(nullptr));

  const RECT oldSelection = selection;
  const BOOL hadSelection = hasSelection;
  RECT picked = tracker.rect;
  clientToImage(picked, TRUE);
  selection = picked;
  const int margin = zoomLevel > 0 ? 2 * (zoomLevel + 1) : 2;
  bool invalidated = false;
  auto invalidate = [&](const RECT& r) {
    const RECT area = grown(r, margin);
    InvalidateControl(&area, TRUE);
    SetModifiedFlag();
    invalidated = true;
  };
  hasSelection = nonEmpty(selection);
  if (!hasSelection) invalidate(tracker.rect);
  invalidated = false;  // only steps below count for the Paint decision
  if (hadSelection) invalidate(imageToClient(oldSelection));
  if (hasSelection && !sameRect(imageToClient(selection), tracker.rect)) invalidate(tracker.rect);
  if (hasSelection && !invalidated) FireEvent(eventidPaint, {});
}

void COrlimCtrl::OnMouseMove(UINT flags, POINT point) {
  if (scrollBarNeeded()) {
    if (dragging)
      panTo(point);
    else if (viewMode == kPanMode)
      setCursor(kCursorOpenHand);
  }
  COleControl::OnMouseMove(flags, point);
}

void COrlimCtrl::panTo(POINT point) {
  setCursor(kCursorClosedHand);
  dragX = point.x;
  dragY = point.y;
  bool moved = false;
  if (hScrollNeeded) moved |= panAxis(SB_HORZ, std::int64_t{scrollPosX} + dragStartX - point.x);
  if (vScrollNeeded) moved |= panAxis(SB_VERT, std::int64_t{scrollPosY} + dragStartY - point.y);
  dragStartX = dragX;
  dragStartY = dragY;
  if (moved) {
    noErase = TRUE;
    InvalidateControl(nullptr, FALSE);
  }
}

bool COrlimCtrl::panAxis(int bar, std::int64_t wanted) {
  const bool horizontal = bar == SB_HORZ;
  const LONG range = horizontal ? GetScrollRangeX() : GetScrollRangeY();
  const LONG next = static_cast<LONG>(std::clamp<std::int64_t>(wanted, 0, range));
  int& position = horizontal ? scrollPosX : scrollPosY;
  if (next == position) return false;
  position = next;
  if (Window* window = GetWindow()) window->SetScrollPos(bar, next, true);
  BoundPropertyChanged(horizontal ? dispidScrollPosX : dispidScrollPosY);
  return true;
}

void COrlimCtrl::OnLButtonUp(UINT flags, POINT point) {
  dragging = FALSE;
  noErase = FALSE;
  scrollPosX =
      static_cast<int>(std::clamp<std::int64_t>(std::int64_t{scrollPosX} + dragStartX - dragX, 0, GetScrollRangeX()));
  scrollPosY =
      static_cast<int>(std::clamp<std::int64_t>(std::int64_t{scrollPosY} + dragStartY - dragY, 0, GetScrollRangeY()));
  dragStartX = dragX;
  dragStartY = dragY;
  if (viewMode == kPanMode && scrollBarNeeded()) setCursor(kCursorOpenHand);
  COleControl::OnLButtonUp(flags, point);
  if (Window* window = GetWindow()) window->ReleaseCapture();
}

// ---- dropped files ----

void COrlimCtrl::OnDropFiles(const std::vector<std::string>& paths) {
  COleControl::OnDropFiles(paths);
  if (paths.empty() || paths.front().empty()) return;
  // The name as a 260-character buffer holds it, terminator included.
  const std::string path = paths.front().substr(0, 259);
  FireEvent(eventidDropFiles, {Variant::fromString(path)});
  loadPicture(path);
}

}  // namespace orlim
