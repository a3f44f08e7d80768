// The drawing surface a view paints on, with the Windows GDI calls the view and
// its overlays use. A backend implements it (headless: a software rasteriser
// into a 32-bit surface). Failures return the Windows failure value and leave a
// system error code behind, whose text GetLastErrorText() gives.
#pragma once

#include "platform/gdi_types.h"
#include "platform/orlim_api.h"
#include "platform/win_types.h"

namespace orlim {

class ORLIM_API DeviceContext {
 public:
  virtual ~DeviceContext() = default;

  // BITSPIXEL, LOGPIXELSX, LOGPIXELSY, HORZRES, VERTRES, PLANES, RASTERCAPS,
  // SIZEPALETTE, NUMRESERVED, NUMCOLORS; 0 for an unknown index.
  virtual int GetDeviceCaps(int index) const = 0;

  // Fills left..right-1 by top..bottom-1 with a solid colour (0x00BBGGRR, or a
  // PALETTEINDEX / PALETTERGB reference).
  virtual BOOL FillRect(const RECT& rect, COLORREF color) = 0;

  // --- palettes ---
  // Palettes and pens belong to the context that made them: select them into
  // it and delete them there (after selecting the previous ones back).
  // A logical palette of version 0x300; null on failure.
  virtual HPALETTE CreatePalette(const LOGPALETTE* palette) = 0;
  // The platform's 256-colour halftone palette for this device.
  virtual HPALETTE CreateHalftonePalette() = 0;
  // Selects `palette`; returns the previously selected one (at first the
  // default palette), null on failure.
  virtual HPALETTE SelectPalette(HPALETTE palette, BOOL forceBackground) = 0;
  // Maps the selected palette into the display's colours; returns the number of
  // entries mapped, GDI_ERROR on failure.
  virtual UINT RealizePalette() = 0;

  // --- stretching ---
  // COLORONCOLOR (nearest source pixel) or HALFTONE (average of the source
  // area). BLACKONWHITE, the initial mode, and WHITEONBLACK are accepted and
  // sample like COLORONCOLOR. Returns the previous mode, 0 on failure.
  virtual int SetStretchBltMode(int mode) = 0;
  virtual int GetStretchBltMode() const = 0;
  // The origin of halftone brush patterns; `previous` may be null.
  virtual BOOL SetBrushOrgEx(int x, int y, POINT* previous) = 0;

  // Draws the DIB source rectangle (xSrc, ySrc, srcWidth, srcHeight) stretched
  // onto the destination rectangle. Source coordinates are those of the DIB as
  // a picture whose origin is its lower-left corner: ySrc counts rows up from
  // the bottom row, for bottom-up and top-down storage alike. Opposite signs of
  // the destination and source widths (heights) mirror the picture. Depths 1,
  // 4, 8, 16 (5-5-5 or bit fields), 24 and 32 (BI_RGB or bit fields); only
  // SRCCOPY. Returns the number of source scan lines, 0 on failure.
  virtual int StretchDIBits(int xDest, int yDest, int destWidth, int destHeight, int xSrc, int ySrc, int srcWidth,
                            int srcHeight, const void* bits, const BITMAPINFO* info, UINT usage, DWORD rop) = 0;

  // Copies the DIB source rectangle (xSrc, ySrc, width, height), ySrc counted
  // from the bottom row, one to one to (xDest, yDest). Only the scan lines
  // startScan .. startScan + scanLines - 1 (counted from the bottom row) are
  // drawn. For a bottom-up DIB `bits` holds just those lines (a band, starting
  // with line startScan); for a top-down DIB it is the whole DIB from its top
  // row, so the view's one formula for the source rectangle serves both row
  // orders. Returns the number of scan lines drawn from, 0 on failure.
  virtual int SetDIBitsToDevice(int xDest, int yDest, DWORD width, DWORD height, int xSrc, int ySrc, UINT startScan,
                                UINT scanLines, const void* bits, const BITMAPINFO* info, UINT usage) = 0;

  // --- pens and lines ---
  // PS_SOLID, PS_DASH, PS_DOT, PS_DASHDOT, PS_DASHDOTDOT, PS_NULL,
  // PS_INSIDEFRAME; width 0 or 1 is one pixel. As on Windows, a styled pen
  // wider than one pixel draws solid. Null on failure.
  virtual HPEN CreatePen(int style, int width, COLORREF color) = 0;
  // Selects `pen`; returns the previous one (at first the stock black pen).
  virtual HPEN SelectObject(HPEN pen) = 0;
  // Lines through the points with the selected pen; the last point is not
  // drawn by one-pixel pens. The dash pattern runs on across the corners.
  virtual BOOL Polyline(const POINT* points, int count) = 0;
  // Gaps of styled lines are filled with the background colour when the mode
  // is OPAQUE (the default, white) and left alone when it is TRANSPARENT.
  virtual int SetBkMode(int mode) = 0;
  virtual COLORREF SetBkColor(COLORREF color) = 0;

  // Frees a palette or pen made by this context. Stock objects are left alone.
  virtual BOOL DeleteObject(HPALETTE palette) = 0;
  virtual BOOL DeleteObject(HPEN pen) = 0;

  // --- failures ---
  virtual DWORD GetLastError() const = 0;
  // The system text of GetLastError().
  const char* GetLastErrorText() const { return systemErrorText(GetLastError()); }
};

}  // namespace orlim
