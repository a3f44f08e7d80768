// The software device context both backends draw with: a rasteriser into a
// 32-bit surface, so that what a view paints can be compared pixel by pixel,
// put on a screen as it is, or written as PNG by the headless backend (`png_file.h`).
// The surface stands for the display: it has a depth (an 8-bit one shows only
// its realised palette, a 16-bit one 5-6-5 colours), a resolution, and the
// palette state that outlives one paint, as a display's system palette does.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/DeviceContext.h"
#include "platform/orlim_api.h"
#include "platform/raster/display_colors.h"

namespace orlim {

namespace raster {
class DibSource;
struct StretchRects;
struct BlitTarget;
}  // namespace raster

class ORLIM_API Surface {
 public:
  // A surface filled with `background` (0x00RRGGBB).
  Surface(int width, int height, int bitsPerPixel = 32, int dpiX = 96, int dpiY = 96,
          std::uint32_t background = 0xFFFFFF);

  int width() const { return width_; }
  int height() const { return height_; }
  int bitsPerPixel() const { return display_.bitsPerPixel(); }
  int dpiX() const { return dpiX_; }
  int dpiY() const { return dpiY_; }

  // Pixels are 0x00RRGGBB (bytes blue, green, red, 0), rows top to bottom.
  std::uint32_t* row(int y) { return pixels_.data() + static_cast<std::size_t>(y) * width_; }
  const std::uint32_t* row(int y) const { return pixels_.data() + static_cast<std::size_t>(y) * width_; }
  std::uint32_t pixel(int x, int y) const { return row(y)[x]; }
  const std::vector<std::uint32_t>& pixels() const { return pixels_; }
  std::vector<std::uint32_t>& pixels() { return pixels_; }

  // The colours the display can show and how drawn colours reach them.
  raster::DisplayColors& display() { return display_; }
  const raster::DisplayColors& display() const { return display_; }

 private:
  int width_;
  int height_;
  int dpiX_;
  int dpiY_;
  std::vector<std::uint32_t> pixels_;
  raster::DisplayColors display_;
};

class ORLIM_API SurfaceDeviceContext : public DeviceContext {
 public:
  // Draws on the whole surface.
  explicit SurfaceDeviceContext(Surface& surface);
  // Logical (0, 0) is the surface point `origin`; drawing is clipped to `clip`
  // (surface coordinates) and the surface, e.g. a window's client area.
  SurfaceDeviceContext(Surface& surface, POINT origin, const RECT& clip);
  ~SurfaceDeviceContext() override;

  int GetDeviceCaps(int index) const override;
  BOOL FillRect(const RECT& rect, COLORREF color) override;
  HPALETTE CreatePalette(const LOGPALETTE* palette) override;
  HPALETTE CreateHalftonePalette() override;
  HPALETTE SelectPalette(HPALETTE palette, BOOL forceBackground) override;
  UINT RealizePalette() override;
  int SetStretchBltMode(int mode) override;
  int GetStretchBltMode() const override { return stretchMode_; }
  BOOL SetBrushOrgEx(int x, int y, POINT* previous) override;
  int StretchDIBits(int xDest, int yDest, int destWidth, int destHeight, int xSrc, int ySrc, int srcWidth,
                    int srcHeight, const void* bits, const BITMAPINFO* info, UINT usage, DWORD rop) override;
  int SetDIBitsToDevice(int xDest, int yDest, DWORD width, DWORD height, int xSrc, int ySrc, UINT startScan,
                        UINT scanLines, const void* bits, const BITMAPINFO* info, UINT usage) override;
  HPEN CreatePen(int style, int width, COLORREF color) override;
  HPEN SelectObject(HPEN pen) override;
  BOOL Polyline(const POINT* points, int count) override;
  int SetBkMode(int mode) override;
  COLORREF SetBkColor(COLORREF color) override;
  BOOL DeleteObject(HPALETTE palette) override;
  BOOL DeleteObject(HPEN pen) override;
  DWORD GetLastError() const override { return lastError_; }

  // Palettes and pens made here and not deleted yet (the stock ones not counted).
  int liveObjectCount() const;
  POINT brushOrigin() const { return brushOrigin_; }

 private:
  struct PaletteObject;
  struct PenObject;

  PaletteObject* findPalette(HPALETTE handle) const;
  PenObject* findPen(HPEN handle) const;
  std::uint32_t resolveColor(COLORREF color) const;
  std::uint32_t displayColor(COLORREF color) const;
  int fail(DWORD error);
  raster::BlitTarget target() const;
  // Maps the source's colours for this display and draws; false when out of memory.
  bool draw(raster::DibSource& source, const raster::StretchRects& rects);

  Surface& surface_;
  POINT origin_{0, 0};
  RECT clip_{0, 0, 0, 0};
  DWORD lastError_ = ERROR_SUCCESS;
  int stretchMode_ = BLACKONWHITE;
  POINT brushOrigin_{0, 0};
  int bkMode_ = OPAQUE;
  COLORREF bkColor_ = RGB(255, 255, 255);
  std::vector<std::unique_ptr<PaletteObject>> palettes_;  // [0] is the stock default palette
  std::vector<std::unique_ptr<PenObject>> pens_;          // [0] is the stock black pen
  PaletteObject* selectedPalette_ = nullptr;
  bool backgroundPalette_ = false;
  PenObject* selectedPen_ = nullptr;
};

}  // namespace orlim
