// The window a control lives in, as the control sees it: its client rectangle,
// invalidation and immediate update, whether a paint is waiting, the display it
// is painted on, and acceptance of dropped files. A backend delivers the
// window's messages to a WindowMessageHandler (the control).
#pragma once

#include <string>
#include <vector>

#include "platform/win_types.h"

namespace orlim {

// Mouse key-state flags of the button and move messages.
constexpr UINT MK_LBUTTON = 0x0001;
constexpr UINT MK_RBUTTON = 0x0002;
constexpr UINT MK_SHIFT = 0x0004;
constexpr UINT MK_CONTROL = 0x0008;
constexpr UINT MK_MBUTTON = 0x0010;

// Size message kinds.
constexpr UINT SIZE_RESTORED = 0;

// The display the window is painted on.
struct DisplayCaps {
  int bitsPerPixel = 24;
  int dpiX = 96;
  int dpiY = 96;
};

// The messages a window delivers to the object that owns it.
class WindowMessageHandler {
 public:
  virtual ~WindowMessageHandler() = default;
  virtual void OnCreate() {}
  virtual void OnSize(UINT /*type*/, int /*cx*/, int /*cy*/) {}
  virtual void OnKillFocus() {}
  virtual BOOL OnSetCursor(UINT /*hitTest*/) { return FALSE; }
  virtual void OnLButtonDown(UINT /*flags*/, POINT /*point*/) {}
  virtual void OnLButtonUp(UINT /*flags*/, POINT /*point*/) {}
  virtual void OnMouseMove(UINT /*flags*/, POINT /*point*/) {}
  virtual void OnNcMouseMove(UINT /*hitTest*/, POINT /*point*/) {}
  virtual void OnHScroll(UINT /*code*/, UINT /*position*/) {}
  virtual void OnVScroll(UINT /*code*/, UINT /*position*/) {}
  virtual void OnDropFiles(const std::vector<std::string>& /*paths*/) {}
  // The window needs painting: `invalid` is the union of what was invalidated,
  // `erase` whether any invalidation asked for the background.
  virtual void OnPaint(const RECT& /*invalid*/, bool /*erase*/) {}
};

class Window {
 public:
  virtual ~Window() = default;
  virtual void SetMessageHandler(WindowMessageHandler* handler) = 0;
  virtual void GetClientRect(RECT& rect) const = 0;
  // Adds `rect` (the whole client area when null) to the region to repaint.
  virtual void Invalidate(const RECT* rect, bool erase) = 0;
  // Paints the waiting region now, if any.
  virtual void UpdateWindow() = 0;
  // A paint request is waiting (looked at without taking it).
  virtual bool IsPaintPending() const = 0;
  virtual void DragAcceptFiles(bool accept) = 0;
  virtual DisplayCaps GetDisplayCaps() const = 0;
};

}  // namespace orlim
