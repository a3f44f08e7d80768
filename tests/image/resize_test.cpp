#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <vector>

#include "fixtures.h"

namespace orlim {
namespace {

using test::makePicture;

std::uint8_t* rowOf(const Image& im, int r) { return im.dib + im.bitsOffset + r * im.stride; }

// The resampling definition computed plainly: footprint and weights recomputed
// for every output pixel, both axes weighted in one pass.
struct PlainWeights {
  std::int64_t first;
  int count;
  std::vector<double> w;
  double sum = 0;
};

PlainWeights plainFootprint(int X, int sourceLength, int newLength, int filter) {
  const double s = double(sourceLength) / double(newLength);
  const double x0 = X * s, x1 = (X + 1) * s;
  PlainWeights p;
  p.first = std::int64_t(std::floor(x0));
  std::int64_t count = std::int64_t(std::ceil(x1)) - p.first;
  if (p.first + count > sourceLength) count = sourceLength - p.first;
  p.count = int(count);
  for (int k = 0; k < p.count; ++k) {
    double c = 1;
    if (k == 0) c = 1 - (x0 - std::floor(x0));
    if (k == p.count - 1) c = 1 - (std::ceil(x1) - x1);
    double window = 1;
    if (filter == 0 && s > 1) window = k == p.count / 2 ? s : 0;
    if (filter != 0 && filter != 2) {
      const double h = (p.count - 1) / 2.0;
      window = std::pow(h - std::fabs(h - k) + 1, 3);
    }
    p.w.push_back(c * window);
    p.sum += c * window;
  }
  return p;
}

std::vector<std::uint8_t> plainResample(const Image& src, int nw, int nh, int filter) {
  const int b = src.bitsPerPixel;
  const std::int64_t ns = dibStride(nw, b);
  std::vector<std::uint8_t> out(ns * nh, 0);
  for (int Y = 0; Y < nh; ++Y)
    for (int X = 0; X < nw; ++X) {
      const PlainWeights fx = plainFootprint(X, src.width, nw, filter);
      const PlainWeights fy = plainFootprint(Y, src.height, nh, filter);
      const int channels = b == 1 || b == 8 ? 1 : 3;
      for (int c = 0; c < channels; ++c) {
        double acc = 0;
        for (int j = 0; j < fy.count; ++j)
          for (int i = 0; i < fx.count; ++i) {
            const std::uint8_t* row = rowOf(src, int(fy.first + j));
            const std::int64_t x = fx.first + i;
            const int v = b == 1 ? (row[x / 8] >> (7 - x % 8)) & 1 : row[x * (b / 8) + c];
            acc += v * fx.w[i] * fy.w[j];
          }
        const double v = acc / (fx.sum * fy.sum);
        std::uint8_t* o = out.data() + Y * ns;
        if (b == 1) {
          if (v > 0.5) o[X / 8] |= 0x80 >> (X % 8);
        } else {
          o[X * (b / 8) + c] = static_cast<std::uint8_t>(v);
        }
      }
    }
  return out;
}

TEST(Resize, SameBytesAsThePlainDefinition) {
  const struct {
    int w, h, nw, nh;
  } sizes[] = {{37, 23, 15, 9}, {7, 5, 19, 13}, {40, 30, 10, 7}, {12, 12, 12, 12}, {9, 31, 20, 4}};
  for (int bits : {1, 8, 24, 32})
    for (int filter : {0, 1, 2})
      for (const auto& s : sizes) {
        Image im;
        makePicture(im, s.w, s.h, bits, kRowsBottomUp, bits * 100 + s.w);
        const std::vector<std::uint8_t> expected = plainResample(im, s.nw, s.nh, filter);
        ASSERT_EQ(im.resize(s.nw, s.nh, filter), 1);
        EXPECT_EQ(test::rowsOf(im), expected)
            << bits << " bits, filter " << filter << ", " << s.w << "x" << s.h << " -> " << s.nw << "x" << s.nh;
      }
}

TEST(Resize, HalvingMeansAndThresholds) {
  Image im;
  makePicture(im, 4, 2, 8);
  const std::uint8_t rows[2][4] = {{10, 11, 200, 0}, {11, 11, 3, 4}};
  for (int r = 0; r < 2; ++r) std::memcpy(rowOf(im, r), rows[r], 4);
  ASSERT_EQ(im.resize(2, 1, 2), 1);
  EXPECT_EQ(rowOf(im, 0)[0], 10);  // (10 + 11 + 11 + 11) / 4 = 10.75
  EXPECT_EQ(rowOf(im, 0)[1], 51);  // 207 / 4

  Image bw;
  makePicture(bw, 4, 2, 1);
  rowOf(bw, 0)[0] = 0xB0;  // 1 0 1 1
  rowOf(bw, 1)[0] = 0x10;  // 0 0 0 1
  ASSERT_EQ(bw.resize(2, 1, 2), 1);
  // Left block: two bits set = 0.5, not above it. Right block: three set.
  EXPECT_EQ(rowOf(bw, 0)[0] & 0xC0, 0x40);

  // Shrinking by 3 with filter 0 takes the middle source pixel of each block.
  Image rgb;
  makePicture(rgb, 9, 6, 24, kRowsBottomUp, 8);
  Image before;
  before.clone(rgb);
  ASSERT_EQ(rgb.resize(3, 2, 0), 1);
  for (int Y = 0; Y < 2; ++Y)
    for (int X = 0; X < 3; ++X)
      EXPECT_EQ(std::memcmp(rowOf(rgb, Y) + 3 * X, rowOf(before, 3 * Y + 1) + 3 * (3 * X + 1), 3), 0) << X << Y;

  // 4 bits are not averaged: the last column and row of each footprint win.
  Image four;
  makePicture(four, 4, 4, 4, kRowsBottomUp, 12);
  Image four0;
  four0.clone(four);
  ASSERT_EQ(four.resize(2, 2, 2), 1);
  for (int Y = 0; Y < 2; ++Y)
    for (int X = 0; X < 2; ++X) {
      const std::uint8_t src = rowOf(four0, 2 * Y + 1)[X];
      const std::uint8_t got = rowOf(four, Y)[0];
      EXPECT_EQ(X ? got & 15 : got >> 4, src & 15) << X << Y;
    }
}

TEST(Resize, IdentityKeepsPixelsAndResetsTheRecord) {
  for (int bits : {8, 24})
    for (int filter : {0, 1, 2}) {
      Image im;
      makePicture(im, 13, 7, bits, kRowsTopDown, 3);
      im.xResolution = im.yResolution = 300;
      im.resolutionUnit = 2;
      im.symmetry = 5;
      im.negative = 1;
      im.pageCount = 4;
      im.pageIndex = 2;
      const auto rows = test::rowsOf(im);
      ASSERT_EQ(im.resize(13, 7, filter), 1);
      EXPECT_EQ(test::rowsOf(im), rows) << bits << " " << filter;
      EXPECT_EQ(im.xResolution, 0);
      EXPECT_EQ(im.resolutionUnit, 0);
      EXPECT_EQ(im.symmetry, 0);
      EXPECT_EQ(im.negative, 0);
      EXPECT_EQ(im.pageCount, 1);
      EXPECT_EQ(im.pageIndex, 0);
      EXPECT_EQ(im.header()->biHeight, -7);
      EXPECT_EQ(im.header()->biXPelsPerMeter, 0);
    }

  test::MessageLog log;
  Image im;
  makePicture(im, 5, 5, 8);
  log.attach(im);
  EXPECT_EQ(im.resize(0, 5, 2), 0);
  EXPECT_EQ(log.last(), "New width or height less than one pixel.");
  EXPECT_EQ(im.resize(5, -1, 2), 0);
  EXPECT_EQ(im.width, 5);
  // Far too large: refused with the size asked for, picture kept.
  EXPECT_EQ(im.resize(0x7FFFFFFF, 0x7FFFFFFF, 2), 0);
  EXPECT_EQ(log.last(), "Failed to allocate 4611686016279905320 bytes for a temporary image.");
  EXPECT_EQ(im.width, 5);
}

// A table shorter than the depth's (a file's colour count) is widened to the
// full table, and the rows go after it.
TEST(Resize, ShortColorTableGrowsToTheFullOne) {
  Image im, full;
  makePicture(im, 8, 8, 8, kRowsBottomUp, 21, 16);
  for (int r = 0; r < 8; ++r)
    for (int x = 0; x < 8; ++x) rowOf(im, r)[x] = static_cast<std::uint8_t>((r + x) % 16);
  full.clone(im);
  ASSERT_EQ(im.resize(4, 4, 2), 1);
  EXPECT_EQ(im.paletteSize, 1024);
  EXPECT_EQ(im.bitsOffset, 40 + 1024);
  EXPECT_EQ(std::memcmp(im.dib + 40, full.dib + 40, 64), 0);
  EXPECT_EQ(im.dib[40 + 64], 0);
  EXPECT_EQ(test::rowsOf(im), plainResample(full, 4, 4, 2));
}

TEST(Resize, QuarterSizeAgreesWithImagemagickBoxFilter) {
  if (!test::haveTool("convert")) GTEST_SKIP() << "imagemagick missing";
  test::TempDir dir;
  Image im;
  makePicture(im, 48, 32, 24, kRowsBottomUp, 77);
  const test::RgbPicture expected = test::imagemagickResult(im, dir, "-filter box -resize 25%");
  ASSERT_EQ(im.resize(12, 8, 2), 1);
  const test::RgbPicture ours = test::seenRgb(im);
  ASSERT_EQ(ours.width, expected.width);
  ASSERT_EQ(ours.height, expected.height);
  int worst = 0;
  for (std::size_t i = 0; i < ours.rgb.size(); ++i) worst = std::max(worst, std::abs(ours.rgb[i] - expected.rgb[i]));
  EXPECT_LE(worst, 1) << "truncated means against rounded ones";
}

TEST(Enlarge, PlacesTheOldPictureByAnchor) {
  Image im;
  makePicture(im, 10, 10, 24);
  Image old;
  old.clone(im);
  ASSERT_EQ(im.Enlarge(20, 10, 9, 0x0000FF), 1);
  EXPECT_EQ(im.width, 20);
  EXPECT_EQ(im.fullWidth, 20);
  EXPECT_EQ(im.stride, 60);
  EXPECT_EQ(im.header()->biWidth, 20);
  EXPECT_EQ(im.header()->biSizeImage, 600u);
  for (int r = 0; r < 10; ++r) {
    for (int x = 0; x < 10; ++x) {
      const std::uint8_t* p = rowOf(im, r) + 3 * x;
      ASSERT_TRUE(p[0] == 0 && p[1] == 0 && p[2] == 255) << x << "," << r;
    }
    EXPECT_EQ(std::memcmp(rowOf(im, r) + 30, rowOf(old, r), 30), 0);
  }

  Image c;
  makePicture(c, 10, 10, 8);
  Image c0;
  c0.clone(c);
  ASSERT_EQ(c.Enlarge(11, 11, 5, 7), 1);
  for (int r = 0; r < 10; ++r) EXPECT_EQ(std::memcmp(rowOf(c, r), rowOf(c0, r), 10), 0);
  EXPECT_EQ(rowOf(c, 10)[0], 7);
  EXPECT_EQ(rowOf(c, 3)[10], 7);

  const struct { int anchor, column, row; } anchors[] = {{1, 0, 4}, {3, 6, 4}, {7, 0, 0}, {9, 6, 0}, {0, 3, 2}};
  for (const auto& a : anchors) {
    Image e;
    makePicture(e, 4, 3, 8, kRowsBottomUp, 2);
    Image e0;
    e0.clone(e);
    ASSERT_EQ(e.Enlarge(10, 7, a.anchor, 0x1FF), 1);
    for (int r = 0; r < 7; ++r)
      for (int x = 0; x < 10; ++x) {
        const bool inside = x >= a.column && x < a.column + 4 && r >= a.row && r < a.row + 3;
        const int want = inside ? rowOf(e0, r - a.row)[x - a.column] : 0xFF;
        ASSERT_EQ(rowOf(e, r)[x], want) << "anchor " << a.anchor << " at " << x << "," << r;
      }
  }

  // 1 and 4 bits: fills of whole bytes, pixels placed one by one.
  Image bw;
  makePicture(bw, 3, 2, 1);
  rowOf(bw, 0)[0] = 0xA0;  // 1 0 1
  rowOf(bw, 1)[0] = 0x40;  // 0 1 0
  ASSERT_EQ(bw.Enlarge(9, 3, 9, 1), 1);
  EXPECT_EQ(rowOf(bw, 0)[0], 0xFE);  // six fill bits, then 1 0 | 1
  EXPECT_EQ(rowOf(bw, 0)[1] & 0x80, 0x80);
  EXPECT_EQ(rowOf(bw, 1)[0], 0xFD);  // six fill bits, then 0 1 | 0
  EXPECT_EQ(rowOf(bw, 1)[1] & 0x80, 0x00);
  EXPECT_EQ(rowOf(bw, 2)[0], 0xFF);
  Image four;
  makePicture(four, 1, 1, 4);
  rowOf(four, 0)[0] = 0x30;
  ASSERT_EQ(four.Enlarge(3, 1, 3, 0x25), 1);
  EXPECT_EQ(rowOf(four, 0)[0], 0x55);
  EXPECT_EQ(rowOf(four, 0)[1] >> 4, 3);
}

TEST(Enlarge, RefusesSmallerSizes) {
  test::MessageLog log;
  Image im;
  makePicture(im, 10, 10, 24);
  log.attach(im);
  EXPECT_EQ(im.Enlarge(9, 20, 5, 0), 0);
  EXPECT_EQ(log.last(), "Enlarge: New dimension(s) smaller than old one(s).");
  EXPECT_EQ(im.DIBEnlarge(im, 20, 9, 5, 0), nullptr);
  EXPECT_EQ(log.last(), "DIBEnlarge: New dimension(s) smaller than old one(s).");
  EXPECT_EQ(im.width, 10);
  EXPECT_EQ(im.Enlarge(0x7FFFFFFF, 0x7FFFFFFF, 5, 0), 0);
  EXPECT_EQ(log.last(), "Failed to allocate 13835058048839712808 bytes for the enlarged image.");
  EXPECT_EQ(im.width, 10);
}

}  // namespace
}  // namespace orlim
