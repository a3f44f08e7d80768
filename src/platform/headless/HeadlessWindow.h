// A window without a screen: a client rectangle the host sizes, an invalidation
// region that waits until the host delivers the paint, a display of chosen depth
// and resolution, and a record of what it was asked.
#pragma once

#include "platform/Window.h"

namespace orlim {

class HeadlessWindow : public Window {
 public:
  HeadlessWindow(int width, int height);

  void SetMessageHandler(WindowMessageHandler* handler) override { handler_ = handler; }
  void GetClientRect(RECT& rect) const override;
  void Invalidate(const RECT* rect, bool erase) override;
  void UpdateWindow() override;
  bool IsPaintPending() const override { return paintPending_; }
  void DragAcceptFiles(bool accept) override { acceptsFiles_ = accept; }
  DisplayCaps GetDisplayCaps() const override { return display_; }

  // --- host side ---
  // Changes the client size and sends the size message.
  void Resize(int width, int height);
  void SetDisplay(int bitsPerPixel, int dpi);
  // Delivers the waiting paint, as a message loop would; true when there was one.
  bool DeliverPendingPaint();
  bool AcceptsDroppedFiles() const { return acceptsFiles_; }
  // How many paints were delivered, and the region of the last one.
  int paintCount() const { return paintCount_; }
  const RECT& lastPaintRegion() const { return lastPaintRegion_; }
  bool lastPaintErased() const { return lastPaintErased_; }

 private:
  WindowMessageHandler* handler_ = nullptr;
  int width_;
  int height_;
  DisplayCaps display_;
  bool acceptsFiles_ = false;
  bool paintPending_ = false;
  bool eraseWaiting_ = false;
  RECT invalid_{};
  int paintCount_ = 0;
  RECT lastPaintRegion_{};
  bool lastPaintErased_ = false;
};

}  // namespace orlim
