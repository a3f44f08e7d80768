// The window's scroll bars: QScrollBars holding the Win32 model (range, page,
// position) as the control sets it. A user's action becomes the scroll message
// of the same meaning, and the bar then shows what the control made of it.
#include <QScrollBar>
#include <QStyle>
#include <algorithm>

#include "QtWindow.h"

namespace orlim {

namespace {

// The scroll request of a slider action; -1 for those that have none.
int requestOf(int action) {
  switch (action) {
    case QAbstractSlider::SliderSingleStepSub: return SB_LINEUP;
    case QAbstractSlider::SliderSingleStepAdd: return SB_LINEDOWN;
    case QAbstractSlider::SliderPageStepSub: return SB_PAGEUP;
    case QAbstractSlider::SliderPageStepAdd: return SB_PAGEDOWN;
    case QAbstractSlider::SliderToMinimum: return SB_TOP;
    case QAbstractSlider::SliderToMaximum: return SB_BOTTOM;
    case QAbstractSlider::SliderMove: return SB_THUMBTRACK;
    default: return -1;
  }
}

// The last position the page leaves reachable, as the system keeps it.
int lastPosition(const SCROLLINFO& info) {
  const std::int64_t last = std::int64_t{info.nMax} - std::max<std::int64_t>(info.nPage, 1) + 1;
  return static_cast<int>(std::max<std::int64_t>(info.nMin, last));
}

}  // namespace

void QtWindow::createScrollBars() {
  for (int bar : {SB_HORZ, SB_VERT}) {
    auto* widget = new QScrollBar(bar == SB_HORZ ? Qt::Horizontal : Qt::Vertical, this);
    widget->hide();
    widget->setFocusPolicy(Qt::NoFocus);
    connect(widget, &QAbstractSlider::actionTriggered, this, [this, bar](int action) { onScrollAction(bar, action); });
    connect(widget, &QAbstractSlider::sliderReleased, this, [this, bar] { onThumbReleased(bar); });
    bars_[bar].widget = widget;
  }
}

int QtWindow::scrollBarExtent() const { return style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, this); }

int QtWindow::GetSystemMetrics(int index) const {
  return index == SM_CXVSCROLL || index == SM_CYHSCROLL ? scrollBarExtent() : 0;
}

void QtWindow::placeScrollBars() {
  RECT client{};
  GetClientRect(client);
  const int extent = scrollBarExtent();
  bars_[SB_HORZ].widget->setGeometry(0, client.bottom, client.right, extent);
  bars_[SB_VERT].widget->setGeometry(client.right, 0, extent, client.bottom);
  for (const Bar& bar : bars_) bar.widget->setVisible(bar.shown);
}

void QtWindow::ShowScrollBar(int bar, bool show) {
  Bar& state = bars_[bar & 1];
  if (state.shown == show) return;
  state.shown = show;
  placeScrollBars();
  // The client area changed size: what it now covers needs painting.
  Invalidate(nullptr, true);
}

void QtWindow::SetScrollInfo(int bar, const SCROLLINFO& info, bool) {
  Bar& state = bars_[bar & 1];
  state.info = info;
  state.info.nPos = std::clamp(info.nPos, info.nMin, lastPosition(info));
  QSignalBlocker quiet(state.widget);
  state.widget->setRange(info.nMin, lastPosition(info));
  state.widget->setPageStep(static_cast<int>(std::max<UINT>(info.nPage, 1)));
  state.widget->setValue(state.info.nPos);
  state.widget->setSliderPosition(state.info.nPos);
}

void QtWindow::SetScrollPos(int bar, int position, bool redraw) {
  SCROLLINFO info = bars_[bar & 1].info;
  info.nPos = position;
  SetScrollInfo(bar, info, redraw);
}

void QtWindow::GetScrollRange(int bar, int& minimum, int& maximum) const {
  minimum = bars_[bar & 1].info.nMin;
  maximum = bars_[bar & 1].info.nMax;
}

void QtWindow::sendScroll(int bar, UINT code, UINT position) {
  if (!handler_) return;
  if (bar == SB_HORZ)
    handler_->OnHScroll(code, position);
  else
    handler_->OnVScroll(code, position);
}

void QtWindow::onScrollAction(int bar, int action) {
  const int request = requestOf(action);
  if (request < 0) return;
  QScrollBar* widget = bars_[bar].widget;
  sendScroll(bar, static_cast<UINT>(request), static_cast<UINT>(std::max(0, widget->sliderPosition())));
  // A click ends its scroll at once; a thumb drag ends when the thumb is released.
  if (request != SB_THUMBTRACK) sendScroll(bar, SB_ENDSCROLL, 0);
  // The bar shows the position the control chose, not the one Qt worked out.
  widget->setSliderPosition(bars_[bar].info.nPos);
}

void QtWindow::onThumbReleased(int bar) {
  const UINT position = static_cast<UINT>(std::max(0, bars_[bar].widget->sliderPosition()));
  sendScroll(bar, SB_THUMBPOSITION, position);
  sendScroll(bar, SB_ENDSCROLL, 0);
  bars_[bar].widget->setSliderPosition(bars_[bar].info.nPos);
}

}  // namespace orlim
