#include "platform/palette_match.h"

#include <gtest/gtest.h>

namespace orlim {
namespace {

TEST(GetNearestPaletteIndex, LeastSquaredDistanceFirstOnTies) {
  // Entry 1 is nearer by the sum of differences, entry 2 by the sum of squares.
  const RGBQUAD table[] = {{0, 0, 0, 0}, {0, 0, 130, 0}, {40, 40, 40, 0}, {40, 40, 40, 0}};
  EXPECT_EQ(GetNearestPaletteIndex(table, 4, RGB(120, 0, 0)), 1u);
  EXPECT_EQ(GetNearestPaletteIndex(table, 4, RGB(40, 40, 40)), 2u);  // 2 and 3 equal: the first
  EXPECT_EQ(GetNearestPaletteIndex(table, 4, RGB(60, 60, 60)), 2u);
  EXPECT_EQ(GetNearestPaletteIndex(table, 1, RGB(60, 60, 60)), 0u);
  EXPECT_EQ(GetNearestPaletteIndex(table, 0, RGB(60, 60, 60)), 0u);
  // Blue and red are not mixed up: COLORREF holds red in the low byte.
  const RGBQUAD redBlue[] = {{255, 0, 0, 0}, {0, 0, 255, 0}};  // blue, red
  EXPECT_EQ(GetNearestPaletteIndex(redBlue, 2, RGB(250, 0, 0)), 1u);
  EXPECT_EQ(GetNearestPaletteIndex(redBlue, 2, RGB(0, 0, 250)), 0u);
}

}  // namespace
}  // namespace orlim
