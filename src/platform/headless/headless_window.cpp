#include <algorithm>

#include "platform/headless/HeadlessWindow.h"
#include "platform/raster/invalid_area.h"

namespace orlim {

namespace {

// Scroll-bar colours (0x00RRGGBB): the track and the thumb.
constexpr std::uint32_t kTrackColor = 0xC0C0C0;
constexpr std::uint32_t kThumbColor = 0x808080;

// Fills the part of `r` inside the surface. In a window a few pixels wide the
// bars' rectangles come out inverted (right of left, bottom above top): nothing
// of them is drawn.
void fillSurface(Surface& surface, const RECT& r, std::uint32_t color) {
  const LONG left = std::max<LONG>(r.left, 0), right = std::min<LONG>(r.right, surface.width());
  const LONG top = std::max<LONG>(r.top, 0), bottom = std::min<LONG>(r.bottom, surface.height());
  if (left >= right || top >= bottom) return;
  const std::uint32_t shown = surface.display().map(color);
  for (LONG y = top; y < bottom; ++y) std::fill(surface.row(y) + left, surface.row(y) + right, shown);
}

// The thumb's start and length along a track of `length` pixels.
void thumbSpan(const SCROLLINFO& info, int length, int& start, int& size) {
  const std::int64_t span = std::max<std::int64_t>(1, std::int64_t{info.nMax} - info.nMin + 1);
  const std::int64_t page = std::min<std::int64_t>(info.nPage, span);
  size = static_cast<int>(std::max<std::int64_t>(8, page == 0 ? 8 : length * page / span));
  size = std::min(size, length);
  const std::int64_t travel = std::max<std::int64_t>(1, span - std::max<std::int64_t>(page, 1));
  const std::int64_t pos = std::clamp<std::int64_t>(std::int64_t{info.nPos} - info.nMin, 0, travel);
  start = static_cast<int>((length - size) * pos / travel);
}

}  // namespace

HeadlessWindow::HeadlessWindow(int width, int height) : width_(std::max(0, width)), height_(std::max(0, height)) {
  recreateSurface();
}

void HeadlessWindow::recreateSurface() {
  surface_ = std::make_unique<Surface>(width_, height_, display_.bitsPerPixel, display_.dpiX, display_.dpiY);
  drawScrollBars();
}

void HeadlessWindow::GetClientRect(RECT& rect) const {
  const int w = width_ - (bars_[SB_VERT].shown ? kScrollBarSize : 0);
  const int h = height_ - (bars_[SB_HORZ].shown ? kScrollBarSize : 0);
  rect = RECT{0, 0, std::max(0, w), std::max(0, h)};
}

void HeadlessWindow::Invalidate(const RECT* rect, bool erase) {
  RECT client{};
  GetClientRect(client);
  // Only the part inside the client area can need painting.
  if (!raster::addInvalidArea(rect, client, paintPending_, invalid_)) return;
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
  recreateSurface();
  Invalidate(nullptr, true);  // a resized window is redrawn whole
  if (handler_) handler_->OnSize(SIZE_RESTORED, width_, height_);
}

void HeadlessWindow::SetDisplay(int bitsPerPixel, int dpi) {
  display_.bitsPerPixel = bitsPerPixel;
  display_.dpiX = dpi;
  display_.dpiY = dpi;
  recreateSurface();
  Invalidate(nullptr, true);  // a new display mode repaints everything
}

int HeadlessWindow::GetSystemMetrics(int index) const {
  return index == SM_CXVSCROLL || index == SM_CYHSCROLL ? kScrollBarSize : 0;
}

void HeadlessWindow::ShowScrollBar(int bar, bool show) {
  ScrollBarState& state = bars_[bar & 1];
  if (state.shown == show) return;
  state.shown = show;
  drawScrollBars();
  // The client area changed size: what it now covers needs painting.
  Invalidate(nullptr, true);
}

void HeadlessWindow::SetScrollInfo(int bar, const SCROLLINFO& info, bool redraw) {
  SCROLLINFO& stored = bars_[bar & 1].info;
  stored = info;
  // As the system does, the position is kept within what the page leaves.
  const std::int64_t last =
      std::max<std::int64_t>(info.nMin, std::int64_t{info.nMax} - std::max<std::int64_t>(info.nPage, 1) + 1);
  stored.nPos = static_cast<int>(std::clamp<std::int64_t>(info.nPos, info.nMin, last));
  if (redraw) drawScrollBars();
}

void HeadlessWindow::SetScrollPos(int bar, int position, bool redraw) {
  SCROLLINFO info = bars_[bar & 1].info;
  info.nPos = position;
  SetScrollInfo(bar, info, redraw);
}

void HeadlessWindow::GetScrollRange(int bar, int& minimum, int& maximum) const {
  minimum = bars_[bar & 1].info.nMin;
  maximum = bars_[bar & 1].info.nMax;
}

POINT HeadlessWindow::TrackRubberBand(POINT start) {
  const POINT end = trackEnd_.value_or(start);
  trackEnd_.reset();
  return end;
}

std::unique_ptr<DeviceContext> HeadlessWindow::GetDC(const RECT* clip) {
  RECT client{};
  GetClientRect(client);
  RECT area = client;
  if (clip) {
    area.left = std::max(area.left, clip->left);
    area.top = std::max(area.top, clip->top);
    area.right = std::min(area.right, clip->right);
    area.bottom = std::min(area.bottom, clip->bottom);
  }
  return std::make_unique<SurfaceDeviceContext>(*surface_, POINT{0, 0}, area);
}

void HeadlessWindow::SendLButtonDown(UINT flags, POINT point) {
  if (handler_) handler_->OnLButtonDown(flags, point);
}

void HeadlessWindow::SendLButtonUp(UINT flags, POINT point) {
  if (handler_) handler_->OnLButtonUp(flags, point);
}

void HeadlessWindow::SendMouseMove(UINT flags, POINT point) {
  if (handler_) handler_->OnMouseMove(flags, point);
}

void HeadlessWindow::SendScroll(int bar, UINT code, UINT position) {
  if (!handler_) return;
  if (bar == SB_HORZ)
    handler_->OnHScroll(code, position);
  else
    handler_->OnVScroll(code, position);
}

void HeadlessWindow::SendKillFocus() {
  if (handler_) handler_->OnKillFocus();
}

void HeadlessWindow::DropFiles(const std::vector<std::string>& paths) {
  if (acceptsFiles_ && handler_) handler_->OnDropFiles(paths);
}

void HeadlessWindow::drawScrollBars() {
  RECT client{};
  GetClientRect(client);
  const ScrollBarState& h = bars_[SB_HORZ];
  const ScrollBarState& v = bars_[SB_VERT];
  int start = 0, size = 0;
  if (h.shown) {
    fillSurface(*surface_, RECT{0, client.bottom, client.right, height_}, kTrackColor);
    thumbSpan(h.info, client.right, start, size);
    fillSurface(*surface_, RECT{start, client.bottom + 2, start + size, height_ - 2}, kThumbColor);
  }
  if (v.shown) {
    fillSurface(*surface_, RECT{client.right, 0, width_, client.bottom}, kTrackColor);
    thumbSpan(v.info, client.bottom, start, size);
    fillSurface(*surface_, RECT{client.right + 2, start, width_ - 2, start + size}, kThumbColor);
  }
  if (h.shown && v.shown) fillSurface(*surface_, RECT{client.right, client.bottom, width_, height_}, kTrackColor);
}

}  // namespace orlim
