// Drawing the control: background, palette, the visible part of the picture
// scaled by the device blit, centring, the selection tracker and the outline,
// and the Paint event. Each draw records its geometry, which scrolling and the
// mouse read back.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <vector>

#include "control/OrlimCtrl.h"
#include "platform/Application.h"

namespace orlim {

namespace {

int roundHalfUp(double v) {
  return static_cast<int>(std::clamp(std::floor(v + 0.5), double{INT32_MIN}, double{INT32_MAX}));
}

// The diagnostic box of a failed blit: title, the system's text, detail.
void showBlitError(const DeviceContext& dc, const char* title, const std::string& detail) {
  const std::string text = std::string(title) + "\n\n" + dc.GetLastErrorText() + "\n\n" + detail;
  AfxMessageBox(text.c_str(), MB_OK | MB_ICONERROR);
}

std::string formatText(const char* format, std::initializer_list<long long> values) {
  std::string out;
  const char* p = format;
  auto value = values.begin();
  while (*p) {
    if (p[0] == '%' && p[1] == 'd' && value != values.end()) {
      out += std::to_string(*value++);
      p += 2;
    } else {
      out += *p++;
    }
  }
  return out;
}

}  // namespace

// The palette a draw selects, and the one it replaced.
struct COrlimCtrl::DrawPalette {
  HPALETTE palette = nullptr;
  HPALETTE previous = nullptr;
};

COrlimCtrl::DrawPalette COrlimCtrl::selectDrawPalette(DeviceContext& dc) const {
  DrawPalette chosen;
  if (hasPicture() && image.bitsPerPixel <= 8) {
    // The picture's own colours; entries its table lacks are black.
    const int entries = 1 << image.bitsPerPixel;
    const int present = std::min(entries, image.paletteSize / 4);
    std::vector<std::uint8_t> block(sizeof(LOGPALETTE) + sizeof(PALETTEENTRY) * entries, 0);
    auto* logical = reinterpret_cast<LOGPALETTE*>(block.data());
    logical->palVersion = kLogPaletteVersion;
    logical->palNumEntries = static_cast<WORD>(entries);
    const RGBQUAD* table = image.palette();
    for (int i = 0; i < present; ++i)
      logical->palPalEntry[i] = PALETTEENTRY{table[i].rgbRed, table[i].rgbGreen, table[i].rgbBlue, 0};
    chosen.palette = dc.CreatePalette(logical);
  } else if (dc.GetDeviceCaps(BITSPIXEL) <= 8) {
    chosen.palette = dc.CreateHalftonePalette();
  }
  if (chosen.palette) {
    chosen.previous = dc.SelectPalette(chosen.palette, FALSE);
    dc.RealizePalette();
  }
  return chosen;
}

void COrlimCtrl::releaseDrawPalette(DeviceContext& dc, const DrawPalette& chosen) const {
  if (!chosen.palette) return;
  dc.SelectPalette(chosen.previous, FALSE);
  dc.DeleteObject(chosen.palette);
}

void COrlimCtrl::drawPercentages(double& fx, double& fy) const {
  double base = 100;
  if (fileType == kFileDjvu || fileType == kFileIw44) {
    if (zoomLevel >= 0)
      base = 100.0 * (zoomLevel + 1.0);
    else
      base = fancyZoom ? 100 : 100.0 / (1.0 - zoomLevel);
  } else if (fileType >= kFileDjvu && fileType <= kFileTiff) {
    base = zoomPercent(zoomLevel);
  }
  aspectCorrected(base, image.xResolution, image.yResolution, fx, fy);
}

void COrlimCtrl::computeDrawGeometry(const RECT& client, double fx, double fy) {
  const int W = image.width, H = image.height;
  const int zw = roundHalfUp(W * fx * 0.01), zh = roundHalfUp(H * fy * 0.01);
  const int cw = client.right - client.left, ch = client.bottom - client.top;
  hScrollNeeded = cw < zw;
  if (!hScrollNeeded) scrollPosX = 0;
  vScrollNeeded = ch < zh;
  if (!vScrollNeeded) scrollPosY = 0;
  originX = zw < cw ? (cw - zw) / 2 : 0;
  originY = zh < ch ? (ch - zh) / 2 : 0;
  const int sx = hScrollNeeded ? scrollPosX : 0, sy = vScrollNeeded ? scrollPosY : 0;
  visibleLeft = roundHalfUp(sx * 100.0 / fx);
  visibleTop = roundHalfUp(sy * 100.0 / fy);
  visibleWidth = std::min(W, roundHalfUp(cw * 100.0 / fx));
  visibleHeight = std::min(H, roundHalfUp(ch * 100.0 / fy));
  drawWidth = std::min(zw, cw);
  drawHeight = std::min(zh, ch);
}

void COrlimCtrl::blitPicture(DeviceContext& dc, const RECT& bounds, double fx, double fy) {
  const int srcY = image.height - (visibleHeight + visibleTop);
  const auto* info = reinterpret_cast<const BITMAPINFO*>(image.header());
  if (fx != 100 || fy != 100) {
    int previousMode = 0;
    if (deviceBitsPerPixel > 8) {
      previousMode = dc.SetStretchBltMode(COLORONCOLOR);
    } else {
      previousMode = dc.SetStretchBltMode(HALFTONE);
      dc.SetBrushOrgEx(0, 0, nullptr);
    }
    const int lines = dc.StretchDIBits(originX, originY, drawWidth, drawHeight, visibleLeft, srcY, visibleWidth,
                                       visibleHeight, image.bits(), info, DIB_RGB_COLORS, SRCCOPY);
    dc.SetStretchBltMode(previousMode);
    if (lines == 0) showBlitError(dc, "Stretch DIB error:", "");
    return;
  }
  const int lines = dc.SetDIBitsToDevice(originX, originY, visibleWidth, visibleHeight, visibleLeft, srcY, 0,
                                         srcY + visibleHeight, image.bits(), info, DIB_RGB_COLORS);
  if (lines == 0) reportCopyFailure(dc, bounds, srcY);
}

void COrlimCtrl::reportCopyFailure(DeviceContext& dc, const RECT& bounds, int srcY) const {
  const auto address = [](const void* p) { return static_cast<long long>(reinterpret_cast<std::intptr_t>(p)); };
  showBlitError(dc, "DIB to device error:",
                formatText("Xpos = %d\nYpos = %d\nWSsub = %d\nHSsub = %d\nXOsrc = %d\nYOsrc = %d\npix = %d\nhdr = %d",
                           {originX, originY, visibleWidth, visibleHeight, visibleLeft, srcY, address(image.bits()),
                            address(image.header())}));
  dc.FillRect(bounds, RGB(255, 0, 0));
  const BITMAPINFOHEADER& h = *image.header();
  showBlitError(dc, "Bitmapinfoheader:",
                formatText("%d\n%d\n%d\n%d\n%d\n%d\n%d\n%d\n%d\n%d\n",
                           {h.biSize, h.biWidth, h.biHeight, h.biPlanes, h.biBitCount, h.biCompression, h.biSizeImage,
                            h.biXPelsPerMeter, h.biYPelsPerMeter, h.biClrUsed}));
}

void COrlimCtrl::drawOverlays(DeviceContext& dc) {
  if (viewMode == kSelectionMode && hasSelection) {
    tracker.rect = imageToClient(selection);
    tracker.Draw(dc);
  }
  if (!overlayShown) return;
  HPEN pen = dc.CreatePen(overlayStyle, overlayThickness, overlayColor);
  HPEN old = dc.SelectObject(pen);
  RECT r = imageToClient(overlayRect);
  r.left = std::max<LONG>(r.left, originX);
  r.top = std::max<LONG>(r.top, originY);
  r.right = std::min<LONG>(r.right, originX + drawWidth - 1);
  r.bottom = std::min<LONG>(r.bottom, originY + drawHeight - 1);
  const POINT outline[5] = {
      {r.left, r.top}, {r.right, r.top}, {r.right, r.bottom}, {r.left, r.bottom}, {r.left, r.top}};
  dc.Polyline(outline, 5);
  dc.SelectObject(old);
  dc.DeleteObject(pen);
}

void COrlimCtrl::OnDraw(DeviceContext& dc, const RECT& bounds, const RECT&) {
  if (!hasPicture() || !noErase || forceErase) dc.FillRect(bounds, TranslateColor(GetBackColor()));
  forceErase = FALSE;
  deviceBitsPerPixel = dc.GetDeviceCaps(BITSPIXEL);
  deviceDpiY = dc.GetDeviceCaps(LOGPIXELSY);
  const DrawPalette palette = selectDrawPalette(dc);
  if (hasPicture()) {
    double fx = 100, fy = 100;
    drawPercentages(fx, fy);
    computeDrawGeometry(bounds, fx, fy);
    blitPicture(dc, bounds, fx, fy);
    drawOverlays(dc);
    FireEvent(eventidPaint, {});
  }
  releaseDrawPalette(dc, palette);
}

}  // namespace orlim
