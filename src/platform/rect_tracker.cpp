#include <utility>

#include "platform/RectTracker.h"

namespace orlim {

BOOL CRectTracker::TrackRubberBand(Window& window, POINT start, BOOL allowInvert) {
  window.SetCapture();
  const POINT end = window.TrackRubberBand(start);
  window.ReleaseCapture();
  rect = RECT{start.x, start.y, end.x, end.y};
  if (!allowInvert) NormalizeRect();
  return rect.left != rect.right && rect.top != rect.bottom;
}

void CRectTracker::NormalizeRect() {
  if (rect.left > rect.right) std::swap(rect.left, rect.right);
  if (rect.top > rect.bottom) std::swap(rect.top, rect.bottom);
}

void CRectTracker::Draw(DeviceContext& dc) const {
  if (!(style & (solidLine | dottedLine))) return;
  HPEN pen = dc.CreatePen((style & dottedLine) ? PS_DOT : PS_SOLID, 0, RGB(0, 0, 0));
  HPEN old = dc.SelectObject(pen);
  const int bkMode = dc.SetBkMode(TRANSPARENT);
  RECT r = rect;
  if (r.left > r.right) std::swap(r.left, r.right);
  if (r.top > r.bottom) std::swap(r.top, r.bottom);
  // The outline lies inside the rectangle, its right and bottom edges on the last pixels.
  const POINT corners[5] = {
      {r.left, r.top}, {r.right - 1, r.top}, {r.right - 1, r.bottom - 1}, {r.left, r.bottom - 1}, {r.left, r.top}};
  dc.Polyline(corners, 5);
  dc.SetBkMode(bkMode);
  dc.SelectObject(old);
  dc.DeleteObject(pen);
}

}  // namespace orlim
