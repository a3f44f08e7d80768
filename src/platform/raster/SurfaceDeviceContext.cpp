#include "platform/raster/SurfaceDeviceContext.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <new>

#include "platform/raster/dib_blit.h"
#include "platform/raster/dib_source.h"
#include "platform/raster/pen_lines.h"

namespace orlim {

using raster::Rgb;

namespace {

Rgb fromColorRef(COLORREF c) { return raster::makeRgb(GetRValue(c), GetGValue(c), GetBValue(c)); }

RECT intersect(const RECT& a, const RECT& b) {
  return {std::max(a.left, b.left), std::max(a.top, b.top), std::min(a.right, b.right), std::min(a.bottom, b.bottom)};
}

}  // namespace

struct SurfaceDeviceContext::PaletteObject {
  std::vector<Rgb> colors;
  bool stock = false;
};

struct SurfaceDeviceContext::PenObject {
  int style = PS_SOLID;
  int width = 1;
  COLORREF color = 0;
  bool stock = false;
};

// --- Surface ---

Surface::Surface(int width, int height, int bitsPerPixel, int dpiX, int dpiY, std::uint32_t background)
    : width_(std::max(width, 0)), height_(std::max(height, 0)), dpiX_(dpiX), dpiY_(dpiY), display_(bitsPerPixel) {
  pixels_.assign(static_cast<std::size_t>(width_) * height_, display_.map(background));
}

// --- construction and objects ---

SurfaceDeviceContext::SurfaceDeviceContext(Surface& surface)
    : SurfaceDeviceContext(surface, POINT{0, 0}, RECT{0, 0, surface.width(), surface.height()}) {}

SurfaceDeviceContext::SurfaceDeviceContext(Surface& surface, POINT origin, const RECT& clip)
    : surface_(surface), origin_(origin), clip_(intersect(clip, RECT{0, 0, surface.width(), surface.height()})) {
  auto defaultPalette = std::make_unique<PaletteObject>();
  defaultPalette->colors = raster::reservedSystemColors();
  defaultPalette->stock = true;
  selectedPalette_ = defaultPalette.get();
  palettes_.push_back(std::move(defaultPalette));
  auto blackPen = std::make_unique<PenObject>();
  blackPen->stock = true;
  selectedPen_ = blackPen.get();
  pens_.push_back(std::move(blackPen));
}

SurfaceDeviceContext::~SurfaceDeviceContext() = default;

int SurfaceDeviceContext::fail(DWORD error) {
  lastError_ = error;
  return 0;
}

SurfaceDeviceContext::PaletteObject* SurfaceDeviceContext::findPalette(HPALETTE handle) const {
  for (const auto& p : palettes_)
    if (reinterpret_cast<HPALETTE>(p.get()) == handle) return p.get();
  return nullptr;
}

SurfaceDeviceContext::PenObject* SurfaceDeviceContext::findPen(HPEN handle) const {
  for (const auto& p : pens_)
    if (reinterpret_cast<HPEN>(p.get()) == handle) return p.get();
  return nullptr;
}

int SurfaceDeviceContext::liveObjectCount() const { return static_cast<int>(palettes_.size() + pens_.size()) - 2; }

// --- device ---

int SurfaceDeviceContext::GetDeviceCaps(int index) const {
  const int bits = surface_.bitsPerPixel();
  switch (index) {
    case HORZRES: return surface_.width();
    case VERTRES: return surface_.height();
    case BITSPIXEL: return bits;
    case PLANES: return 1;
    case LOGPIXELSX: return surface_.dpiX();
    case LOGPIXELSY: return surface_.dpiY();
    case RASTERCAPS: return RC_STRETCHDIB | RC_DIBTODEV | (bits == 8 ? RC_PALETTE : 0);
    case SIZEPALETTE: return bits == 8 ? 256 : 0;
    case NUMRESERVED: return bits == 8 ? 20 : 0;
    case NUMCOLORS: return bits == 8 ? 20 : bits < 8 ? (1 << bits) : -1;
    default: return 0;
  }
}

// The colour a COLORREF names, before the display's mapping.
Rgb SurfaceDeviceContext::resolveColor(COLORREF color) const {
  if ((color >> 24) == 0x01) {
    const std::size_t index = color & 0xFFFF;
    const std::vector<Rgb>& colors = selectedPalette_->colors;
    return index < colors.size() ? colors[index] : colors.front();
  }
  return fromColorRef(color);
}

Rgb SurfaceDeviceContext::displayColor(COLORREF color) const { return surface_.display().map(resolveColor(color)); }

raster::BlitTarget SurfaceDeviceContext::target() const {
  raster::BlitTarget t;
  t.pixels = surface_.pixels().data();
  t.stride = surface_.width();
  t.clipLeft = clip_.left, t.clipTop = clip_.top, t.clipRight = clip_.right, t.clipBottom = clip_.bottom;
  t.originX = origin_.x, t.originY = origin_.y;
  return t;
}

BOOL SurfaceDeviceContext::FillRect(const RECT& rect, COLORREF color) {
  const Rgb c = displayColor(color);
  const std::int64_t left = std::max<std::int64_t>(std::int64_t{rect.left} + origin_.x, clip_.left);
  const std::int64_t right = std::min<std::int64_t>(std::int64_t{rect.right} + origin_.x, clip_.right);
  const std::int64_t top = std::max<std::int64_t>(std::int64_t{rect.top} + origin_.y, clip_.top);
  const std::int64_t bottom = std::min<std::int64_t>(std::int64_t{rect.bottom} + origin_.y, clip_.bottom);
  if (left >= right || top >= bottom) return TRUE;
  // One row is filled pixel by pixel, the others are copies of it.
  std::uint32_t* first = surface_.row(static_cast<int>(top)) + left;
  const auto count = static_cast<std::size_t>(right - left);
  std::fill(first, first + count, c);
  for (std::int64_t y = top + 1; y < bottom; ++y)
    std::memcpy(surface_.row(static_cast<int>(y)) + left, first, count * sizeof(std::uint32_t));
  return TRUE;
}

// --- palettes ---

HPALETTE SurfaceDeviceContext::CreatePalette(const LOGPALETTE* palette) {
  if (!palette || palette->palVersion != kLogPaletteVersion || palette->palNumEntries == 0) {
    fail(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  auto object = std::make_unique<PaletteObject>();
  object->colors.reserve(palette->palNumEntries);
  for (int i = 0; i < palette->palNumEntries; ++i) {
    const PALETTEENTRY& e = palette->palPalEntry[i];
    object->colors.push_back(raster::makeRgb(e.peRed, e.peGreen, e.peBlue));
  }
  palettes_.push_back(std::move(object));
  return reinterpret_cast<HPALETTE>(palettes_.back().get());
}

HPALETTE SurfaceDeviceContext::CreateHalftonePalette() {
  auto object = std::make_unique<PaletteObject>();
  object->colors = raster::halftonePaletteColors();
  palettes_.push_back(std::move(object));
  return reinterpret_cast<HPALETTE>(palettes_.back().get());
}

HPALETTE SurfaceDeviceContext::SelectPalette(HPALETTE palette, BOOL forceBackground) {
  PaletteObject* object = findPalette(palette);
  if (!object) {
    fail(ERROR_INVALID_HANDLE);
    return nullptr;
  }
  PaletteObject* previous = selectedPalette_;
  selectedPalette_ = object;
  backgroundPalette_ = forceBackground != FALSE;
  return reinterpret_cast<HPALETTE>(previous);
}

UINT SurfaceDeviceContext::RealizePalette() {
  // A background palette takes the display's colours as they are.
  if (backgroundPalette_) return 0;
  return surface_.display().realize(selectedPalette_->colors);
}

BOOL SurfaceDeviceContext::DeleteObject(HPALETTE palette) {
  PaletteObject* object = findPalette(palette);
  if (!object) return fail(ERROR_INVALID_HANDLE);
  if (object->stock) return TRUE;
  if (object == selectedPalette_) return fail(ERROR_INVALID_PARAMETER);
  std::erase_if(palettes_, [&](const auto& p) { return p.get() == object; });
  return TRUE;
}

// --- stretching and blits ---

int SurfaceDeviceContext::SetStretchBltMode(int mode) {
  if (mode < BLACKONWHITE || mode > HALFTONE) return fail(ERROR_INVALID_PARAMETER);
  const int previous = stretchMode_;
  stretchMode_ = mode;
  return previous;
}

BOOL SurfaceDeviceContext::SetBrushOrgEx(int x, int y, POINT* previous) {
  if (previous) *previous = brushOrigin_;
  brushOrigin_ = {x, y};
  return TRUE;
}

bool SurfaceDeviceContext::draw(raster::DibSource& source, const raster::StretchRects& r) {
  raster::BlitTarget t = target();
  const bool oneToOne = !r.flipX && !r.flipY && r.destWidth == r.srcWidth && r.destHeight == r.srcHeight;
  const bool averaging = !oneToOne && stretchMode_ == HALFTONE;
  raster::DisplayColors& display = surface_.display();
  if (display.mapsColors()) {
    // A colour table is mapped once; anything else (and averages) pixel by pixel.
    if (source.indexed() && !averaging)
      source.mapColorTable([&](Rgb c) { return display.map(c); });
    else
      t.mapping = &display;
  }
  try {
    if (oneToOne)
      raster::copyDib(t, source, r.xDest, r.yDest, r.destWidth, r.destHeight, r.xSrc, r.ySrc);
    else if (averaging)
      raster::stretchAverage(t, source, r);
    else
      raster::stretchNearest(t, source, r);
  } catch (const std::bad_alloc&) {
    return false;
  }
  return true;
}

int SurfaceDeviceContext::StretchDIBits(int xDest, int yDest, int destWidth, int destHeight, int xSrc, int ySrc,
                                        int srcWidth, int srcHeight, const void* bits, const BITMAPINFO* info,
                                        UINT usage, DWORD rop) {
  if (rop != SRCCOPY) return fail(ERROR_NOT_SUPPORTED);
  raster::DibSource source;
  if (const DWORD error = source.open(info, bits, usage, selectedPalette_->colors)) return fail(error);
  raster::StretchRects r{xDest, yDest, destWidth, destHeight, xSrc, ySrc, srcWidth, srcHeight};
  // A negative size runs from the given corner backwards; opposite signs mirror.
  r.flipX = (r.destWidth < 0) != (r.srcWidth < 0);
  r.flipY = (r.destHeight < 0) != (r.srcHeight < 0);
  if (r.destWidth < 0) r.xDest += r.destWidth, r.destWidth = -r.destWidth;
  if (r.destHeight < 0) r.yDest += r.destHeight, r.destHeight = -r.destHeight;
  if (r.srcWidth < 0) r.xSrc += r.srcWidth, r.srcWidth = -r.srcWidth;
  if (r.srcHeight < 0) r.ySrc += r.srcHeight, r.srcHeight = -r.srcHeight;
  const int lines = static_cast<int>(std::min<std::int64_t>(r.srcHeight, 0x7FFFFFFF));
  if (r.destWidth == 0 || r.destHeight == 0 || r.srcWidth == 0 || r.srcHeight == 0) return lines;
  if (!draw(source, r)) return fail(ERROR_NOT_ENOUGH_MEMORY);
  return lines;
}

int SurfaceDeviceContext::SetDIBitsToDevice(int xDest, int yDest, DWORD width, DWORD height, int xSrc, int ySrc,
                                            UINT startScan, UINT scanLines, const void* bits, const BITMAPINFO* info,
                                            UINT usage) {
  raster::DibSource source;
  if (const DWORD error = source.open(info, bits, usage, selectedPalette_->colors)) return fail(error);
  if (scanLines == 0 || startScan >= source.height()) return 0;
  const std::int64_t lines = std::min<std::int64_t>(scanLines, source.height() - startScan);
  source.limitScans(startScan, lines);
  const raster::StretchRects r{xDest, yDest, width, height, xSrc, ySrc, width, height};
  if (!draw(source, r)) return fail(ERROR_NOT_ENOUGH_MEMORY);
  return static_cast<int>(lines);
}

// --- pens and lines ---

HPEN SurfaceDeviceContext::CreatePen(int style, int width, COLORREF color) {
  const int base = style & PS_STYLE_MASK;
  if (base > PS_INSIDEFRAME) {
    fail(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  auto pen = std::make_unique<PenObject>();
  pen->style = base;
  pen->width = std::max(width, 1);
  pen->color = color;
  pens_.push_back(std::move(pen));
  return reinterpret_cast<HPEN>(pens_.back().get());
}

HPEN SurfaceDeviceContext::SelectObject(HPEN pen) {
  PenObject* object = findPen(pen);
  if (!object) {
    fail(ERROR_INVALID_HANDLE);
    return nullptr;
  }
  PenObject* previous = selectedPen_;
  selectedPen_ = object;
  return reinterpret_cast<HPEN>(previous);
}

BOOL SurfaceDeviceContext::DeleteObject(HPEN pen) {
  PenObject* object = findPen(pen);
  if (!object) return fail(ERROR_INVALID_HANDLE);
  if (object->stock) return TRUE;
  if (object == selectedPen_) return fail(ERROR_INVALID_PARAMETER);
  std::erase_if(pens_, [&](const auto& p) { return p.get() == object; });
  return TRUE;
}

int SurfaceDeviceContext::SetBkMode(int mode) {
  if (mode != TRANSPARENT && mode != OPAQUE) return fail(ERROR_INVALID_PARAMETER);
  const int previous = bkMode_;
  bkMode_ = mode;
  return previous;
}

COLORREF SurfaceDeviceContext::SetBkColor(COLORREF color) {
  const COLORREF previous = bkColor_;
  bkColor_ = color;
  return previous;
}

BOOL SurfaceDeviceContext::Polyline(const POINT* points, int count) {
  if (!points || count < 2) return fail(ERROR_INVALID_PARAMETER);
  raster::LinePen pen;
  pen.style = selectedPen_->style == PS_INSIDEFRAME ? PS_SOLID : selectedPen_->style;
  pen.width = selectedPen_->width;
  pen.color = displayColor(selectedPen_->color);
  pen.opaqueGaps = bkMode_ == OPAQUE;
  pen.gapColor = displayColor(bkColor_);
  raster::drawPolyline(target(), points, count, pen);
  return TRUE;
}

}  // namespace orlim
