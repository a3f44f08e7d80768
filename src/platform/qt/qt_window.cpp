// The window's paint side: invalidation, the surface the control draws into,
// and its presentation with QPainter::drawImage.
#include <QEventLoop>
#include <QImage>
#include <QPaintEvent>
#include <QPainter>
#include <QResizeEvent>
#include <QScreen>
#include <algorithm>
#include <cmath>

#include "QtWindow.h"
#include "platform/raster/invalid_area.h"

namespace orlim {

QRect toQRect(const RECT& r) { return QRect(r.left, r.top, r.right - r.left, r.bottom - r.top); }
RECT toRect(const QRect& r) { return RECT{r.left(), r.top(), r.left() + r.width(), r.top() + r.height()}; }

// A device context on the surface that shows what it drew once it is released,
// unless it belongs to a paint, which the screen shows anyway.
class PresentingDeviceContext : public SurfaceDeviceContext {
 public:
  PresentingDeviceContext(QtWindow& window, const RECT& clip)
      : SurfaceDeviceContext(*window.surface_, POINT{0, 0}, clip), window_(window), clip_(clip) {}
  ~PresentingDeviceContext() override {
    if (!window_.painting_) window_.update(toQRect(clip_));
  }

 private:
  QtWindow& window_;
  RECT clip_;
};

QtWindow::QtWindow(QWidget* parent) : QWidget(parent) {
  setAttribute(Qt::WA_OpaquePaintEvent);
  setMouseTracking(true);
  setFocusPolicy(Qt::StrongFocus);
  createScrollBars();
  recreateSurface();
}

QtWindow::~QtWindow() {
  if (trackLoop_) trackLoop_->quit();
}

DisplayCaps QtWindow::GetDisplayCaps() const {
  DisplayCaps caps;
  if (const QScreen* shown = screen()) {
    caps.bitsPerPixel = shown->depth();
    caps.dpiX = static_cast<int>(std::lround(shown->logicalDotsPerInchX()));
    caps.dpiY = static_cast<int>(std::lround(shown->logicalDotsPerInchY()));
  }
  return caps;
}

void QtWindow::recreateSurface() {
  const DisplayCaps caps = GetDisplayCaps();
  outline_.clear();
  surface_ =
      std::make_unique<Surface>(std::max(1, width()), std::max(1, height()), caps.bitsPerPixel, caps.dpiX, caps.dpiY);
}

void QtWindow::GetClientRect(RECT& rect) const {
  const int w = width() - (bars_[SB_VERT].shown ? scrollBarExtent() : 0);
  const int h = height() - (bars_[SB_HORZ].shown ? scrollBarExtent() : 0);
  rect = RECT{0, 0, std::max(0, w), std::max(0, h)};
}

void QtWindow::Invalidate(const RECT* rect, bool erase) {
  RECT client{};
  GetClientRect(client);
  if (!raster::addInvalidArea(rect, client, paintPending_, invalid_)) return;
  paintPending_ = true;
  eraseWaiting_ = eraseWaiting_ || erase;
  update(toQRect(invalid_));
}

void QtWindow::UpdateWindow() {
  if (!paintPending_) return;
  const QRect area = toQRect(invalid_);
  deliverPaint();
  if (isVisible()) repaint(area);
}

void QtWindow::deliverPaint() {
  const RECT region = invalid_;
  const bool erase = eraseWaiting_;
  paintPending_ = false;
  eraseWaiting_ = false;
  if (!handler_) return;
  // An outline being dragged stays on top of what the paint draws.
  const bool outlined = !outline_.empty();
  if (outlined) eraseTrackerOutline();
  painting_ = true;
  handler_->OnPaint(region, erase);
  painting_ = false;
  if (outlined) drawTrackerOutline(trackStart_, trackEnd_);
}

std::unique_ptr<DeviceContext> QtWindow::GetDC(const RECT* clip) {
  RECT area{};
  GetClientRect(area);
  if (clip) {
    area.left = std::max(area.left, clip->left);
    area.top = std::max(area.top, clip->top);
    area.right = std::min(area.right, clip->right);
    area.bottom = std::min(area.bottom, clip->bottom);
  }
  return std::make_unique<PresentingDeviceContext>(*this, area);
}

void QtWindow::paintEvent(QPaintEvent* event) {
  if (paintPending_) deliverPaint();
  // The surface's pixels are 0x00RRGGBB, the layout of an opaque RGB32 image.
  const QImage shown(reinterpret_cast<const uchar*>(surface_->pixels().data()), surface_->width(), surface_->height(),
                     surface_->width() * 4, QImage::Format_RGB32);
  QPainter painter(this);
  RECT client{};
  GetClientRect(client);
  const QRect area = event->rect() & toQRect(client);
  painter.drawImage(area, shown, area);
}

void QtWindow::resizeEvent(QResizeEvent*) {
  recreateSurface();
  placeScrollBars();
  Invalidate(nullptr, true);  // a resized window is redrawn whole
  if (handler_) handler_->OnSize(SIZE_RESTORED, width(), height());
}

}  // namespace orlim
