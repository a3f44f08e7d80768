// The window's input side: mouse buttons and moves with their key-state flags,
// cursors, capture, focus loss, dropped local files, and the rubber-band loop.
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QEventLoop>
#include <QFocusEvent>
#include <QMimeData>
#include <QMouseEvent>
#include <QUrl>
#include <algorithm>
#include <string>

#include "QtWindow.h"
#include "platform/RectTracker.h"

namespace orlim {

namespace {

UINT keyStateOf(const QMouseEvent& event) {
  UINT flags = 0;
  if (event.buttons() & Qt::LeftButton) flags |= MK_LBUTTON;
  if (event.buttons() & Qt::RightButton) flags |= MK_RBUTTON;
  if (event.buttons() & Qt::MiddleButton) flags |= MK_MBUTTON;
  if (event.modifiers() & Qt::ShiftModifier) flags |= MK_SHIFT;
  if (event.modifiers() & Qt::ControlModifier) flags |= MK_CONTROL;
  return flags;
}

POINT pointOf(const QMouseEvent& event) {
  const QPoint at = event.position().toPoint();
  return POINT{at.x(), at.y()};
}

// The local files among dropped URLs; other URLs are not files the control can open.
std::vector<std::string> localFilesOf(const QMimeData* data) {
  std::vector<std::string> paths;
  if (!data || !data->hasUrls()) return paths;
  for (const QUrl& url : data->urls())
    if (url.isLocalFile()) paths.push_back(url.toLocalFile().toStdString());
  return paths;
}

}  // namespace

void QtWindow::SetCursor(int cursor) {
  switch (cursor) {
    case kCursorClosedHand: setCursor(Qt::ClosedHandCursor); break;
    case kCursorOpenHand: setCursor(Qt::OpenHandCursor); break;
    default: setCursor(Qt::ArrowCursor); break;
  }
}

void QtWindow::SetCapture() {
  if (isVisible()) grabMouse();
}

void QtWindow::ReleaseCapture() {
  if (mouseGrabber() == this) releaseMouse();
}

void QtWindow::mousePressEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton || !handler_) return;
  leftDown_ = true;
  handler_->OnLButtonDown(keyStateOf(*event), pointOf(*event));
}

void QtWindow::mouseReleaseEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton) return;
  leftDown_ = false;
  // The release that ends a rubber band belongs to the loop, not to the control.
  if (trackLoop_) return endTracking(pointOf(*event));
  if (handler_) handler_->OnLButtonUp(keyStateOf(*event), pointOf(*event));
}

void QtWindow::mouseMoveEvent(QMouseEvent* event) {
  if (trackLoop_) {
    eraseTrackerOutline();
    trackEnd_ = pointOf(*event);
    drawTrackerOutline(trackStart_, trackEnd_);
    return;
  }
  if (handler_) handler_->OnMouseMove(keyStateOf(*event), pointOf(*event));
}

void QtWindow::focusOutEvent(QFocusEvent* event) {
  QWidget::focusOutEvent(event);
  if (trackLoop_) endTracking(trackEnd_);
  if (handler_) handler_->OnKillFocus();
}

void QtWindow::hideEvent(QHideEvent* event) {
  QWidget::hideEvent(event);
  if (trackLoop_) endTracking(trackEnd_);
}

void QtWindow::DragAcceptFiles(bool accept) {
  acceptsFiles_ = accept;
  setAcceptDrops(accept);
}

void QtWindow::dragEnterEvent(QDragEnterEvent* event) {
  if (acceptsFiles_ && !localFilesOf(event->mimeData()).empty()) event->acceptProposedAction();
}

void QtWindow::dragMoveEvent(QDragMoveEvent* event) {
  if (acceptsFiles_ && !localFilesOf(event->mimeData()).empty()) event->acceptProposedAction();
}

void QtWindow::dropEvent(QDropEvent* event) {
  const std::vector<std::string> paths = localFilesOf(event->mimeData());
  if (!acceptsFiles_ || paths.empty()) return;
  event->acceptProposedAction();
  if (handler_) handler_->OnDropFiles(paths);
}

// ---- the rubber band ----

POINT QtWindow::TrackRubberBand(POINT start) {
  // Without the button down there is nothing to follow.
  if (!leftDown_ || trackLoop_) return start;
  QEventLoop loop;
  trackLoop_ = &loop;
  trackStart_ = trackEnd_ = start;
  drawTrackerOutline(trackStart_, trackEnd_);
  loop.exec();
  trackLoop_ = nullptr;
  eraseTrackerOutline();
  return trackEnd_;
}

void QtWindow::endTracking(POINT at) {
  trackEnd_ = at;
  leftDown_ = false;
  if (trackLoop_) trackLoop_->quit();
}

void QtWindow::drawTrackerOutline(POINT start, POINT end) {
  RECT client{};
  GetClientRect(client);
  CRectTracker tracker(RECT{start.x, start.y, end.x, end.y}, CRectTracker::dottedLine);
  tracker.NormalizeRect();
  const RECT& r = tracker.rect;
  // The outline covers the rectangle's four edges; keep what is under them.
  const QRect edges[4] = {QRect(r.left, r.top, r.right - r.left, 1), QRect(r.left, r.bottom - 1, r.right - r.left, 1),
                          QRect(r.left, r.top, 1, r.bottom - r.top), QRect(r.right - 1, r.top, 1, r.bottom - r.top)};
  outline_.clear();
  for (const QRect& edge : edges) {
    SavedStrip strip{edge & toQRect(client), {}};
    for (int y = strip.area.top(); y <= strip.area.bottom(); ++y)
      for (int x = strip.area.left(); x <= strip.area.right(); ++x) strip.pixels.push_back(surface_->pixel(x, y));
    if (!strip.area.isEmpty()) outline_.push_back(std::move(strip));
  }
  SurfaceDeviceContext dc(*surface_, POINT{0, 0}, client);
  tracker.Draw(dc);
  for (const SavedStrip& strip : outline_) update(strip.area);
}

void QtWindow::eraseTrackerOutline() {
  for (const SavedStrip& strip : outline_) {
    auto source = strip.pixels.begin();
    for (int y = strip.area.top(); y <= strip.area.bottom(); ++y)
      for (int x = strip.area.left(); x <= strip.area.right(); ++x) surface_->row(y)[x] = *source++;
    update(strip.area);
  }
  outline_.clear();
}

}  // namespace orlim
