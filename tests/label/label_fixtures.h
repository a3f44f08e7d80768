// Labels and pictures with known pixels for the label tests.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "image/fixtures.h"
#include "label/TextLabel.h"

namespace orlim::test {

// An uneven pattern, so that a label shifted, turned or mirrored does not match itself.
inline bool patternInk(int x, int y) { return (x * 7 + y * 3) % 5 == 0 || (x < 3 && y < 2); }

// Puts a w x h label (bottom-up, as renderLabel makes it) drawn with patternInk
// (seen coordinates) into label.labelImage, coloured by the label's colours.
inline void setPatternLabel(TextLabel& label, int w, int h) {
  const int stride = static_cast<int>(dibStride(w, 1));
  std::vector<std::uint8_t> rows(static_cast<std::size_t>(stride) * h, 0);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x)
      if (patternInk(x, y)) rows[(h - 1 - y) * stride + x / 8] |= 0x80 >> (x % 8);
  BITMAPINFOHEADER header{40, w, h, 1, 1, BI_RGB, static_cast<DWORD>(rows.size()), 0, 0, 0, 0};
  const COLORREF bg = label.TextBackgroundColor, fg = label.TextForegroundColor;
  const RGBQUAD table[2] = {{GetBValue(bg), GetGValue(bg), GetRValue(bg), 0},
                            {GetBValue(fg), GetGValue(fg), GetRValue(fg), 0}};
  label.labelImage.reset(true);
  ASSERT_EQ(label.labelImage.import(&header, 40, table, 8, rows.data(), static_cast<int>(rows.size()), 5), 1);
  label.labelImage.transparent = label.TextTransparentBackground;
  label.labelImage.transparentColor = bg;
}

// 0x00RRGGBB of a COLORREF, as seenPixel reports colours.
inline std::uint32_t seenColor(COLORREF c) {
  return (std::uint32_t{GetRValue(c)} << 16) | (GetGValue(c) << 8) | GetBValue(c);
}

// Every seen pixel of the picture: the label's where it lies at (left, top) as
// seen, the `before` picture's at (x - shiftX, y - shiftY) where that lies inside
// it, else `fill`. Returns the number of mismatches (reports the first).
inline int countMismatches(const Image& picture, const Image& label, int left, int top, const Image& before, int shiftX,
                           int shiftY, std::uint32_t fill) {
  int mismatches = 0;
  for (int y = 0; y < picture.height; ++y)
    for (int x = 0; x < picture.width; ++x) {
      std::uint32_t expected = fill;
      const int lx = x - left, ly = y - top, bx = x - shiftX, by = y - shiftY;
      if (lx >= 0 && ly >= 0 && lx < label.width && ly < label.height)
        expected = seenPixel(label, lx, ly);
      else if (bx >= 0 && by >= 0 && bx < before.width && by < before.height)
        expected = seenPixel(before, bx, by);
      if (seenPixel(picture, x, y) != expected && mismatches++ == 0)
        ADD_FAILURE() << "first mismatch at " << x << "," << y << ": " << std::hex << seenPixel(picture, x, y)
                      << " expected " << expected;
    }
  return mismatches;
}

}  // namespace orlim::test
