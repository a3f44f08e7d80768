// A window without a screen: a client rectangle the host sizes, an invalidation
// region that waits until the host delivers the paint, a display of chosen depth
// and resolution, its own scroll bars (17 pixels, drawn beside the client area),
// a cursor, mouse capture, a rubber-band loop that ends where the host says,
// and a surface holding what the last paints left, so it can be looked at.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/Window.h"
#include "platform/orlim_api.h"
#include "platform/raster/SurfaceDeviceContext.h"

namespace orlim {

class ORLIM_API HeadlessWindow : public Window {
 public:
  // The width and height of a scroll bar.
  static constexpr int kScrollBarSize = 17;

  HeadlessWindow(int width, int height);

  void SetMessageHandler(WindowMessageHandler* handler) override { handler_ = handler; }
  void GetClientRect(RECT& rect) const override;
  void Invalidate(const RECT* rect, bool erase) override;
  void UpdateWindow() override;
  bool IsPaintPending() const override { return paintPending_; }
  void DragAcceptFiles(bool accept) override { acceptsFiles_ = accept; }
  DisplayCaps GetDisplayCaps() const override { return display_; }
  int GetSystemMetrics(int index) const override;
  void ShowScrollBar(int bar, bool show) override;
  void SetScrollInfo(int bar, const SCROLLINFO& info, bool redraw) override;
  void SetScrollPos(int bar, int position, bool redraw) override;
  void GetScrollRange(int bar, int& minimum, int& maximum) const override;
  void SetCursor(int cursor) override { cursor_ = cursor; }
  void SetCapture() override { captured_ = true; }
  void ReleaseCapture() override { captured_ = false; }
  POINT TrackRubberBand(POINT start) override;
  std::unique_ptr<DeviceContext> GetDC(const RECT* clip) override;

  // --- host side ---
  // Changes the window size (bars included) and sends the size message.
  void Resize(int width, int height);
  void SetDisplay(int bitsPerPixel, int dpi);
  // Delivers the waiting paint, as a message loop would; true when there was one.
  bool DeliverPendingPaint();
  bool AcceptsDroppedFiles() const { return acceptsFiles_; }
  // Messages as the user's mouse and keyboard would cause them.
  void SendLButtonDown(UINT flags, POINT point);
  void SendLButtonUp(UINT flags, POINT point);
  void SendMouseMove(UINT flags, POINT point);
  void SendScroll(int bar, UINT code, UINT position);
  void SendKillFocus();
  // Sends the dropped-files message (only when the window accepts them).
  void DropFiles(const std::vector<std::string>& paths);
  // Where the next rubber-band loop ends (the button is released there); when
  // not set, it ends where it started.
  void SetTrackEnd(POINT end) { trackEnd_ = end; }
  // How many paints were delivered, and the region of the last one.
  int paintCount() const { return paintCount_; }
  const RECT& lastPaintRegion() const { return lastPaintRegion_; }
  bool lastPaintErased() const { return lastPaintErased_; }
  int cursor() const { return cursor_; }
  bool hasCapture() const { return captured_; }
  bool scrollBarShown(int bar) const { return bars_[bar & 1].shown; }
  const SCROLLINFO& scrollInfo(int bar) const { return bars_[bar & 1].info; }
  // The whole window as the paints left it, scroll bars included.
  const Surface& surface() const { return *surface_; }

 private:
  struct ScrollBarState {
    bool shown = false;
    SCROLLINFO info;
  };

  void recreateSurface();
  void drawScrollBars();

  WindowMessageHandler* handler_ = nullptr;
  int width_;
  int height_;
  DisplayCaps display_;
  std::unique_ptr<Surface> surface_;
  ScrollBarState bars_[2];
  bool acceptsFiles_ = false;
  bool paintPending_ = false;
  bool eraseWaiting_ = false;
  RECT invalid_{};
  int paintCount_ = 0;
  RECT lastPaintRegion_{};
  bool lastPaintErased_ = false;
  int cursor_ = kCursorArrow;
  bool captured_ = false;
  std::optional<POINT> trackEnd_;
};

}  // namespace orlim
