// The window a control lives in, as the control sees it: its client rectangle,
// invalidation and immediate update, whether a paint is waiting, the display it
// is painted on, and acceptance of dropped files. A backend delivers the
// window's messages to a WindowMessageHandler (the control).
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "platform/orlim_api.h"
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

// Scroll-bar requests of the scroll messages.
constexpr UINT SB_LINEUP = 0;
constexpr UINT SB_LINEDOWN = 1;
constexpr UINT SB_PAGEUP = 2;
constexpr UINT SB_PAGEDOWN = 3;
constexpr UINT SB_THUMBPOSITION = 4;
constexpr UINT SB_THUMBTRACK = 5;
constexpr UINT SB_TOP = 6;
constexpr UINT SB_BOTTOM = 7;
constexpr UINT SB_ENDSCROLL = 8;

// Which of the window's own scroll bars.
constexpr int SB_HORZ = 0;
constexpr int SB_VERT = 1;

// System metrics: the vertical bar's width, the horizontal bar's height.
constexpr int SM_CXVSCROLL = 2;
constexpr int SM_CYHSCROLL = 3;

// What a scroll bar is told in one call: range, page and position.
struct SCROLLINFO {
  int nMin = 0;
  int nMax = 0;
  UINT nPage = 0;
  int nPos = 0;
};

// The cursors a control shows: the system arrow and its module's cursor resources.
constexpr int kCursorArrow = 0;
constexpr int kCursorClosedHand = 203;
constexpr int kCursorOpenHand = 204;

class DeviceContext;

// The display the window is painted on.
struct DisplayCaps {
  int bitsPerPixel = 24;
  int dpiX = 96;
  int dpiY = 96;
};

// The messages a window delivers to the object that owns it.
class ORLIM_API WindowMessageHandler {
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

class ORLIM_API Window {
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

  // --- the window's own scroll bars ---
  virtual int GetSystemMetrics(int index) const = 0;
  // Shows or hides a bar; a shown bar takes its width from the client area.
  virtual void ShowScrollBar(int bar, bool show) = 0;
  // Range, page and position in one call (a bar never set up reports 0-0).
  virtual void SetScrollInfo(int bar, const SCROLLINFO& info, bool redraw) = 0;
  virtual void SetScrollPos(int bar, int position, bool redraw) = 0;
  virtual void GetScrollRange(int bar, int& minimum, int& maximum) const = 0;

  // --- mouse ---
  // Shows one of the cursors (kCursorArrow, kCursorClosedHand, kCursorOpenHand).
  virtual void SetCursor(int cursor) = 0;
  virtual void SetCapture() = 0;
  virtual void ReleaseCapture() = 0;
  // The rubber-band loop: from `start` follows the mouse until the left button
  // is released and returns the point where it was (client coordinates).
  virtual POINT TrackRubberBand(POINT start) = 0;

  // A device context on the client area, its drawing clipped to `clip` (client
  // coordinates) when given: a paint draws through one clipped to its region.
  virtual std::unique_ptr<DeviceContext> GetDC(const RECT* clip = nullptr) = 0;
};

}  // namespace orlim
