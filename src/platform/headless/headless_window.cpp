#include "platform/headless/HeadlessWindow.h"

#include <algorithm>

namespace orlim {

HeadlessWindow::HeadlessWindow(int width, int height) : width_(std::max(0, width)), height_(std::max(0, height)) {}

void HeadlessWindow::GetClientRect(RECT& rect) const { rect = RECT{0, 0, width_, height_}; }

void HeadlessWindow::Invalidate(const RECT* rect, bool erase) {
  RECT area = rect ? *rect : RECT{0, 0, width_, height_};
  // Only the part inside the client area can need painting.
  area.left = std::max<LONG>(area.left, 0);
  area.top = std::max<LONG>(area.top, 0);
  area.right = std::min<LONG>(area.right, width_);
  area.bottom = std::min<LONG>(area.bottom, height_);
  if (area.left >= area.right || area.top >= area.bottom) return;
  if (!paintPending_) {
    invalid_ = area;
  } else {
    invalid_.left = std::min(invalid_.left, area.left);
    invalid_.top = std::min(invalid_.top, area.top);
    invalid_.right = std::max(invalid_.right, area.right);
    invalid_.bottom = std::max(invalid_.bottom, area.bottom);
  }
  paintPending_ = true;
  eraseWaiting_ = eraseWaiting_ || erase;
}

void HeadlessWindow::UpdateWindow() { DeliverPendingPaint(); }

bool HeadlessWindow::DeliverPendingPaint() {
  if (!paintPending_) return false;
  const RECT region = invalid_;
  const bool erase = eraseWaiting_;
  paintPending_ = false;
  eraseWaiting_ = false;
  ++paintCount_;
  lastPaintRegion_ = region;
  lastPaintErased_ = erase;
  if (handler_) handler_->OnPaint(region, erase);
  return true;
}

void HeadlessWindow::Resize(int width, int height) {
  width_ = std::max(0, width);
  height_ = std::max(0, height);
  if (handler_) handler_->OnSize(SIZE_RESTORED, width_, height_);
}

void HeadlessWindow::SetDisplay(int bitsPerPixel, int dpi) {
  display_.bitsPerPixel = bitsPerPixel;
  display_.dpiX = dpi;
  display_.dpiY = dpi;
}

}  // namespace orlim
