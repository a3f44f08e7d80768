// Construction, the simple properties with their range rules, persistence, and
// the window messages that only touch state.
#include <algorithm>
#include <cmath>
#include <cstring>

#include "control/OrlimCtrl.h"
#include "module/OrlimModule.h"
#include "platform/Application.h"

namespace orlim {

void showControlError(const std::string& text) { AfxMessageBox(text.c_str(), MB_OK | MB_ICONERROR); }

COrlimCtrl::COrlimCtrl() {
  image.errorHandler = [](const char* text) { showControlError(text ? text : ""); };
  image.showWarnings = 0;
  installProcessHooks();
}

COrlimCtrl::~COrlimCtrl() { image.reset(true); }

namespace {

// -floor(x + 0.5), kept inside the range of a long.
LONG negatedRound(double x) {
  const double r = -std::floor(x + 0.5);
  if (!(r >= -2147483648.0)) return INT32_MIN;  // also NaN
  if (r > 2147483647.0) return INT32_MAX;
  return static_cast<LONG>(r);
}

}  // namespace

void COrlimCtrl::textPropertyChanged(DISPID id) {
  BoundPropertyChanged(id);
  SetModifiedFlag();
}

void COrlimCtrl::SetAutoFit(LONG value) {
  autoFit = value;
  BoundPropertyChanged(dispidAutoFit);
  SetModifiedFlag();
}

void COrlimCtrl::SetDither(BOOL value) {
  dither = value ? TRUE : FALSE;
  BoundPropertyChanged(dispidDither);
  SetModifiedFlag();
}

void COrlimCtrl::SetFancyZoom(BOOL value) {
  fancyZoom = value ? TRUE : FALSE;
  BoundPropertyChanged(dispidFancyZoom);
  SetModifiedFlag();
}

void COrlimCtrl::SetDjvuLayer(LONG value) {
  if (value < kLayerColor || value > kLayerForeground) return;
  djvuLayer = value;
  // Only a DjVu document page has layers; other pictures just keep the value.
  if (fileType != kFileDjvu) return;
  if (djvuKind == kDjvuLayered) {
    reRenderCurrent();
    InvalidateControl();
  }
  BoundPropertyChanged(dispidDjvuLayer);
  SetModifiedFlag();
}

void COrlimCtrl::SetShowWarnings(BOOL value) {
  showWarnings = value ? TRUE : FALSE;
  image.showWarnings = showWarnings;
}

void COrlimCtrl::SetTextAlign(LONG value) {
  if (value < 0 || value > 2) return;
  textLabel.TextAlign = value;
  textPropertyChanged(dispidTextAlign);
}

void COrlimCtrl::SetTextOrientation(LONG value) {
  if (value < 0 || value > 2) return;
  textLabel.TextOrientation = value;
  textPropertyChanged(dispidTextOrientation);
}

void COrlimCtrl::SetTextForegroundColor(LONG value) {
  textLabel.TextForegroundColor = static_cast<COLORREF>(value);
  textPropertyChanged(dispidTextForegroundColor);
}

void COrlimCtrl::SetTextBackgroundColor(LONG value) {
  textLabel.TextBackgroundColor = static_cast<COLORREF>(value);
  textPropertyChanged(dispidTextBackgroundColor);
}

void COrlimCtrl::SetTextPosition(LONG value) {
  if (value != 2 && value != 4 && value != 5 && value != 6 && value != 8) return;
  textLabel.TextPosition = value;
  textPropertyChanged(dispidTextPosition);
}

void COrlimCtrl::SetTextFont() { SetModifiedFlag(); }

void COrlimCtrl::SetTextFontName(const std::string& value) {
  // The face name field holds 31 characters and its terminator.
  if (value.size() >= static_cast<std::size_t>(LF_FACESIZE) || value.find('\0') != std::string::npos) return;
  std::memset(textLabel.font.lfFaceName, 0, sizeof textLabel.font.lfFaceName);
  std::memcpy(textLabel.font.lfFaceName, value.data(), value.size());
  textPropertyChanged(dispidTextFontName);
}

LONG COrlimCtrl::GetTextFontSize() const {
  const int dpi = deviceDpiY > 0 ? deviceDpiY : 96;
  return negatedRound(static_cast<double>(textLabel.font.lfHeight) * 72.0 / dpi);
}

void COrlimCtrl::SetTextFontSize(LONG value) {
  if (value < 1 || value > 2160) return;
  const int dpi = deviceDpiY > 0 ? deviceDpiY : 96;
  textLabel.font.lfHeight = negatedRound(static_cast<double>(value) * dpi / 72.0);
  textPropertyChanged(dispidTextFontSize);
}

void COrlimCtrl::SetTextFontWeight(LONG value) {
  if (value < 0 || value > 1000) return;
  textLabel.font.lfWeight = value;
  textPropertyChanged(dispidTextFontWeight);
}

void COrlimCtrl::SetTextFontItalic(BOOL value) {
  textLabel.font.lfItalic = value ? 1 : 0;
  textPropertyChanged(dispidTextFontItalic);
}

void COrlimCtrl::SetTextFontUnderline(BOOL value) {
  textLabel.font.lfUnderline = value ? 1 : 0;
  textPropertyChanged(dispidTextFontUnderline);
}

void COrlimCtrl::SetTextFontStrikeout(BOOL value) {
  textLabel.font.lfStrikeOut = value ? 1 : 0;
  textPropertyChanged(dispidTextFontStrikeout);
}

void COrlimCtrl::SetTextContent(const std::string& value) {
  textLabel.TextContent = value;
  textPropertyChanged(dispidTextContent);
}

void COrlimCtrl::SetTextTransparentBackground(BOOL value) {
  textLabel.TextTransparentBackground = value ? TRUE : FALSE;
  textPropertyChanged(dispidTextTransparentBackground);
}

void COrlimCtrl::SetTextAnchor(LONG value) {
  if (value < 1 || value > 9) return;
  textLabel.TextAnchor = value;
  textPropertyChanged(dispidTextAnchor);
}

void COrlimCtrl::SetTextOffsetX(LONG value) {
  if (value < 0) return;
  textLabel.TextOffsetX = value;
  textPropertyChanged(dispidTextOffsetX);
}

void COrlimCtrl::SetTextOffsetY(LONG value) {
  if (value < 0) return;
  textLabel.TextOffsetY = value;
  textPropertyChanged(dispidTextOffsetY);
}

void COrlimCtrl::Clear() { clearView(TRUE); }

void COrlimCtrl::Refresh() {
  InvalidateControl(nullptr, TRUE);
  SetModifiedFlag();
}

// ---- persistence ----

void COrlimCtrl::DoPropExchange(CPropExchange& px) {
  px.SetVersion(0x00010000);
  COleControl::DoPropExchange(px);
  LONG autoFitValue = autoFit;
  PX_Long(px, "AutoFit", autoFitValue, 0);
  autoFit = autoFitValue;
  PX_Bool(px, "FancyZoom", fancyZoom, TRUE);
  PX_Bool(px, "Dither", dither, TRUE);
  PX_Bool(px, "ScrollBars", scrollBars, TRUE);
  PX_String(px, "InitialOpenDir", moduleState().initialOpenDir, "");
  LONG zoom = zoomLevel;
  PX_Long(px, "ZoomLevel", zoom, 0);
  zoomLevel = zoom;
  PX_Bool(px, "ShowWarnings", showWarnings, FALSE);
  if (px.IsLoading()) image.showWarnings = showWarnings;
}

// ---- window messages ----

void COrlimCtrl::OnCreate() {
  COleControl::OnCreate();
  if (Window* window = GetWindow()) window->DragAcceptFiles(true);
}

void COrlimCtrl::OnSize(UINT type, int cx, int cy) {
  COleControl::OnSize(type, cx, cy);
  updateScrollBars(scrollBars);
  for (DISPID id : {dispidScrollBars, dispidScrollPosX, dispidScrollPosY, dispidScrollRangeX, dispidScrollRangeY,
                    dispidClientWidth, dispidClientHeight})
    BoundPropertyChanged(id);
}

void COrlimCtrl::OnKillFocus() {
  COleControl::OnKillFocus();
  forceErase = TRUE;
}

// The mouse-move handling chooses the cursors; the set-cursor message only says
// that the cursor is taken care of.
BOOL COrlimCtrl::OnSetCursor(UINT) { return TRUE; }

void COrlimCtrl::OnPaint(const RECT& invalid, bool erase) {
  // The device of this paint decides the depth pictures are rendered for and the
  // point size of label fonts.
  if (Window* window = GetWindow()) {
    const DisplayCaps caps = window->GetDisplayCaps();
    deviceBitsPerPixel = caps.bitsPerPixel;
    deviceDpiY = caps.dpiY;
  }
  COleControl::OnPaint(invalid, erase);  // draws (view.cpp)
}

}  // namespace orlim
