// The pixel work of the DIB blits: one-to-one copies, nearest-pixel stretching
// and area-averaging stretching from a DibSource into 32-bit surface rows.
// All coordinates are 64-bit so that no combination of int arguments overflows.
#pragma once

#include <cstdint>

#include "platform/raster/dib_source.h"
#include "platform/raster/display_colors.h"

namespace orlim::raster {

// Where the blits write, in surface pixels: rows of `stride` pixels, the clip
// rectangle (inside the surface) and the surface position of logical (0, 0).
struct BlitTarget {
  Rgb* pixels = nullptr;
  std::int64_t stride = 0;
  std::int64_t clipLeft = 0, clipTop = 0, clipRight = 0, clipBottom = 0;
  std::int64_t originX = 0, originY = 0;
  // Set when every written colour must go through the display's mapping.
  DisplayColors* mapping = nullptr;
};

// A destination and a source rectangle with positive sizes; the source's y is
// its bottom row counted from the DIB's bottom row. flipX / flipY mirror.
struct StretchRects {
  std::int64_t xDest = 0, yDest = 0, destWidth = 0, destHeight = 0;
  std::int64_t xSrc = 0, ySrc = 0, srcWidth = 0, srcHeight = 0;
  bool flipX = false, flipY = false;
};

// Copies (xSrc, ySrc, width, height) one to one to (xDest, yDest); rows and
// columns outside the DIB or its given scan lines are skipped.
void copyDib(const BlitTarget& target, const DibSource& source, std::int64_t xDest, std::int64_t yDest,
             std::int64_t width, std::int64_t height, std::int64_t xSrc, std::int64_t ySrc);

// Each destination pixel takes the source pixel under its centre (ties go to
// the lower one, so halving takes every other pixel from the first).
void stretchNearest(const BlitTarget& target, const DibSource& source, const StretchRects& rects);

// Each destination pixel takes the average of the source area it covers, every
// source pixel weighted by the part of it inside that area.
void stretchAverage(const BlitTarget& target, const DibSource& source, const StretchRects& rects);

}  // namespace orlim::raster
