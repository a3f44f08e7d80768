// The control's window on a Qt desktop: a widget whose client area shows a
// raster Surface (what the control's paints drew, put on the screen as it is)
// and whose scroll bars are real QScrollBars that only the control moves: a
// user's action on a bar reaches the control as a scroll message. Mouse,
// focus and dropped local files become the window messages; the rubber-band
// loop is a nested event loop that draws the tracker's outline as it goes.
#pragma once

#include <QWidget>
#include <memory>
#include <optional>
#include <vector>

#include "platform/Window.h"
#include "platform/raster/SurfaceDeviceContext.h"

class QEventLoop;
class QScrollBar;

namespace orlim {

class QtWindow : public QWidget, public Window {
  Q_OBJECT

 public:
  explicit QtWindow(QWidget* parent = nullptr);
  ~QtWindow() override;

  void SetMessageHandler(WindowMessageHandler* handler) override { handler_ = handler; }
  void GetClientRect(RECT& rect) const override;
  void Invalidate(const RECT* rect, bool erase) override;
  void UpdateWindow() override;
  bool IsPaintPending() const override { return paintPending_; }
  void DragAcceptFiles(bool accept) override;
  DisplayCaps GetDisplayCaps() const override;
  int GetSystemMetrics(int index) const override;
  void ShowScrollBar(int bar, bool show) override;
  void SetScrollInfo(int bar, const SCROLLINFO& info, bool redraw) override;
  void SetScrollPos(int bar, int position, bool redraw) override;
  void GetScrollRange(int bar, int& minimum, int& maximum) const override;
  void SetCursor(int cursor) override;
  void SetCapture() override;
  void ReleaseCapture() override;
  POINT TrackRubberBand(POINT start) override;
  std::unique_ptr<DeviceContext> GetDC(const RECT* clip) override;

  // What the paints left in the client area, as the screen shows it.
  const Surface& surface() const { return *surface_; }
  QScrollBar* scrollBar(int bar) const { return bars_[bar & 1].widget; }
  bool isTracking() const { return trackLoop_ != nullptr; }

 protected:
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void focusOutEvent(QFocusEvent* event) override;
  void hideEvent(QHideEvent* event) override;
  void dragEnterEvent(QDragEnterEvent* event) override;
  void dragMoveEvent(QDragMoveEvent* event) override;
  void dropEvent(QDropEvent* event) override;

 private:
  struct Bar {
    QScrollBar* widget = nullptr;
    bool shown = false;
    SCROLLINFO info;
  };
  // Pixels under the tracker's outline, put back when the outline moves.
  struct SavedStrip {
    QRect area;
    std::vector<std::uint32_t> pixels;
  };
  friend class PresentingDeviceContext;

  void recreateSurface();
  void deliverPaint();
  void createScrollBars();
  void placeScrollBars();
  int scrollBarExtent() const;
  void onScrollAction(int bar, int action);
  void onThumbReleased(int bar);
  void sendScroll(int bar, UINT code, UINT position);
  void drawTrackerOutline(POINT start, POINT end);
  void eraseTrackerOutline();
  void endTracking(POINT at);

  WindowMessageHandler* handler_ = nullptr;
  std::unique_ptr<Surface> surface_;
  Bar bars_[2];
  bool paintPending_ = false;
  bool eraseWaiting_ = false;
  bool painting_ = false;
  RECT invalid_{};
  bool acceptsFiles_ = false;
  bool leftDown_ = false;
  QEventLoop* trackLoop_ = nullptr;
  POINT trackStart_{};
  POINT trackEnd_{};
  std::vector<SavedStrip> outline_;
};

// Qt rectangles and points from the Win32 records and back.
QRect toQRect(const RECT& r);
RECT toRect(const QRect& r);

}  // namespace orlim
