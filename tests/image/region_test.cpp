#include <gtest/gtest.h>

#include <cstring>

#include "fixtures.h"

namespace orlim {
namespace {

using test::makePicture;

std::uint8_t* rowOf(const Image& im, int r) { return im.dib + im.bitsOffset + r * im.stride; }

void setEntry(Image& im, int i, COLORREF c) {
  std::uint8_t* e = im.dib + im.paletteOffset + 4 * i;
  e[0] = GetBValue(c);
  e[1] = GetGValue(c);
  e[2] = GetRValue(c);
}

TEST(Regions, CropMatchesImagemagick) {
  if (!test::haveTool("convert")) GTEST_SKIP() << "imagemagick missing";
  const struct {
    int bits, rowOrder;
  } cases[] = {{1, kRowsBottomUp},  {4, kRowsBottomUp}, {8, kRowsBottomUp}, {24, kRowsBottomUp},
               {32, kRowsBottomUp}, {1, kRowsTopDown},  {4, kRowsTopDown},  {24, kRowsTopDown}};
  for (const auto& c : cases) {
    test::TempDir dir;
    Image im;
    makePicture(im, 43, 17, c.bits, c.rowOrder, 60 + c.bits);
    const RECT rect{3, 5, 20, 11};  // 18 x 7 pixels from column 3, row 5 as seen
    const std::string what = std::to_string(c.bits) + " bits, order " + std::to_string(c.rowOrder);
    if (c.bits == 32) {
      // Imagemagick reads 32-bit rows with an alpha byte; compare against the 24-bit form instead.
      const test::RgbPicture before = test::seenRgb(im);
      ASSERT_EQ(im.crop(rect), 1);
      test::RgbPicture expected{18, 7, {}};
      for (int y = 5; y <= 11; ++y)
        expected.rgb.insert(expected.rgb.end(), before.rgb.begin() + (y * 43 + 3) * 3,
                            before.rgb.begin() + (y * 43 + 21) * 3);
      test::expectSamePicture(expected, test::seenRgb(im), what);
      continue;
    }
    const test::RgbPicture expected = test::imagemagickResult(im, dir, "-crop 18x7+3+5 +repage");
    ASSERT_EQ(im.crop(rect), 1) << what;
    EXPECT_EQ(im.width, 18);
    EXPECT_EQ(im.fullHeight, 7);
    EXPECT_EQ(im.header()->biWidth, 18);
    EXPECT_EQ(im.header()->biHeight, c.rowOrder == kRowsTopDown ? -7 : 7);
    EXPECT_EQ(im.header()->biSizeImage, static_cast<DWORD>(im.bitsSize));
    test::expectSamePicture(expected, test::seenRgb(im), what);
  }
}

int releasedPages = 0;
void countRelease(djvu_halfcoded_image*) { ++releasedPages; }

TEST(Regions, CropResetsTheRecordAndReleasesThePage) {
  Image im;
  makePicture(im, 10, 10, 8);
  const auto rows = test::rowsOf(im);
  im.symmetry = 3;
  im.negative = 1;
  im.djvuPage = reinterpret_cast<djvu_halfcoded_image*>(&im);
  const auto saved = Image::djvuPageReleaser;
  Image::djvuPageReleaser = countRelease;
  releasedPages = 0;
  ASSERT_EQ(im.crop(RECT{0, 0, 9, 9}), 1);
  Image::djvuPageReleaser = saved;
  EXPECT_EQ(releasedPages, 1);
  EXPECT_EQ(im.djvuPage, nullptr);
  EXPECT_EQ(im.symmetry, 0);
  EXPECT_EQ(im.negative, 0);
  EXPECT_EQ(test::rowsOf(im), rows);

  // Bottom-up: the top two rows seen are the last two stored rows.
  Image small;
  makePicture(small, 10, 10, 8);
  for (int r = 0; r < 10; ++r)
    for (int x = 0; x < 10; ++x) rowOf(small, r)[x] = static_cast<std::uint8_t>(r * 10 + x);
  ASSERT_EQ(small.crop(RECT{2, 0, 4, 1}), 1);
  ASSERT_EQ(small.width, 3);
  ASSERT_EQ(small.height, 2);
  EXPECT_EQ(small.stride, 4);
  const std::uint8_t want[2][3] = {{82, 83, 84}, {92, 93, 94}};
  for (int r = 0; r < 2; ++r) EXPECT_EQ(std::memcmp(rowOf(small, r), want[r], 3), 0) << r;
}

TEST(Regions, SelectionOfBitsShiftsToTheFirstBit) {
  Image im;
  makePicture(im, 40, 1, 1, kRowsTopDown);
  const std::uint8_t row[5] = {0x12, 0x34, 0x56, 0x78, 0x9A};
  std::memcpy(rowOf(im, 0), row, 5);
  // Columns 3..36: bits 0x12345678 9A shifted left by 3.
  std::uint8_t* block = im.GetSelection(RECT{3, 0, 36, 0});
  ASSERT_NE(block, nullptr);
  const std::uint8_t* bits = block + 40 + 8;
  const std::uint8_t want[5] = {0x91, 0xA2, 0xB3, 0xC4, 0xC0};
  EXPECT_EQ(std::memcmp(bits, want, 5), 0) << std::hex << int(bits[0]) << " " << int(bits[4]);
  EXPECT_EQ(bits[5], 0);
  EXPECT_EQ(reinterpret_cast<BITMAPINFOHEADER*>(block)->biWidth, 34);
  EXPECT_EQ(reinterpret_cast<BITMAPINFOHEADER*>(block)->biHeight, -1);
  std::free(block);
  EXPECT_EQ(im.width, 40) << "the picture is not changed";
}

TEST(Regions, RectanglesOutsideThePictureAreRefused) {
  test::MessageLog log;
  Image im;
  makePicture(im, 12, 8, 24);
  log.attach(im);
  const auto rows = test::rowsOf(im);
  const RECT bad[] = {{-1, 0, 5, 5}, {0, -1, 5, 5}, {0, 0, 12, 5},         {0, 0, 5, 8},
                      {6, 0, 5, 5},  {0, 6, 5, 5},  {0, 0, 0x7FFFFFFF, 5}, {INT32_MIN, 0, 3, 3}};
  for (const RECT& r : bad) {
    log.messages.clear();
    EXPECT_EQ(im.crop(r), 0) << r.left << "," << r.top << "," << r.right << "," << r.bottom;
    EXPECT_EQ(im.GetSelection(r), nullptr);
    ASSERT_EQ(log.messages.size(), 2u);
    EXPECT_NE(log.last().find("does not lie inside the 12 x 8 picture"), std::string::npos) << log.last();
  }
  EXPECT_EQ(im.width, 12);
  EXPECT_EQ(im.height, 8);
  EXPECT_EQ(test::rowsOf(im), rows);
  // The last row and column are inside.
  EXPECT_EQ(im.crop(RECT{11, 7, 11, 7}), 1);
  EXPECT_EQ(im.width, 1);
}

// A 1-bit label: entry 0 white (transparent), entry 1 black.
void makeLabel(Image& label, int width, int height) {
  makePicture(label, width, height, 1, kRowsBottomUp, 5);
  setEntry(label, 0, RGB(255, 255, 255));
  setEntry(label, 1, RGB(0, 0, 0));
  label.transparent = 1;
  label.transparentColor = RGB(255, 255, 255);
}

TEST(Regions, InsertMapsColorsAndLeavesOutTheTransparentOne) {
  Image target, label;
  makePicture(target, 20, 10, 8, kRowsBottomUp, 9);
  makeLabel(label, 6, 3);
  const auto before = test::rowsOf(target);
  const BYTE map[2] = {17, 42};
  ASSERT_EQ(target.insert(label, 4, 2, map), 1);
  for (int r = 0; r < 10; ++r)
    for (int x = 0; x < 20; ++x) {
      const std::uint8_t old = before[r * target.stride + x];
      const bool inside = x >= 4 && x < 10 && r >= 2 && r < 5;
      const bool set = inside && ((rowOf(label, r - 2)[(x - 4) / 8] >> (7 - (x - 4) % 8)) & 1);
      ASSERT_EQ(rowOf(target, r)[x], set ? 42 : old) << x << "," << r;
    }

  // Into a 24-bit picture through the label's own colours; opaque this time.
  Image rgb;
  makePicture(rgb, 8, 4, 24);
  label.transparent = 0;
  ASSERT_EQ(rgb.insert(label, 2, 1, nullptr), 1);
  for (int k = 0; k < 3; ++k)
    for (int i = 0; i < 6; ++i) {
      const int bit = (rowOf(label, k)[i / 8] >> (7 - i % 8)) & 1;
      const std::uint8_t* px = rowOf(rgb, 1 + k) + 3 * (2 + i);
      ASSERT_EQ(px[0], bit ? 0 : 255) << i << "," << k;
      ASSERT_EQ(px[2], bit ? 0 : 255);
    }

  // Into a 1-bit picture: a non-zero map entry sets the bit.
  Image bw;
  makePicture(bw, 16, 4, 1);
  std::memset(bw.bits(), 0, bw.bitsSize);
  label.transparent = 1;
  const BYTE setMap[2] = {0, 1};
  ASSERT_EQ(bw.insert(label, 8, 0, setMap), 1);
  for (int k = 0; k < 3; ++k) EXPECT_EQ(rowOf(bw, k)[1], rowOf(label, k)[0] & 0xFC) << k;
  EXPECT_EQ(rowOf(bw, 0)[0], 0);
}

TEST(Regions, InsertOfWholeColorPictures) {
  Image target, patch;
  makePicture(target, 9, 6, 32, kRowsBottomUp, 1);
  makePicture(patch, 3, 2, 24, kRowsBottomUp, 2);
  std::uint8_t* p = rowOf(patch, 0);
  p[0] = 10, p[1] = 20, p[2] = 30;  // this pixel is the transparent colour
  patch.transparent = 1;
  patch.transparentColor = RGB(30, 20, 10);
  const auto before = test::rowsOf(target);
  ASSERT_EQ(target.insert(patch, 6, 4, nullptr), 1);
  EXPECT_EQ(std::memcmp(rowOf(target, 4) + 24, before.data() + 4 * target.stride + 24, 4), 0);
  EXPECT_EQ(std::memcmp(rowOf(target, 4) + 28, rowOf(patch, 0) + 3, 3), 0);
  EXPECT_EQ(std::memcmp(rowOf(target, 5) + 24, rowOf(patch, 1), 3), 0);
  EXPECT_EQ(rowOf(target, 5)[27], 0);

  // 4 bits into 4 bits at an odd column, mapped.
  Image four, small;
  makePicture(four, 7, 2, 4);
  std::memset(four.bits(), 0xFF, four.bitsSize);
  makePicture(small, 2, 1, 4);
  rowOf(small, 0)[0] = 0x12;
  BYTE map[16] = {};
  map[1] = 9;
  map[2] = 3;
  ASSERT_EQ(four.insert(small, 3, 1, map), 1);
  EXPECT_EQ(rowOf(four, 1)[1], 0xF9);
  EXPECT_EQ(rowOf(four, 1)[2], 0x3F);
  EXPECT_EQ(rowOf(four, 0)[1], 0xFF);
}

TEST(Regions, InsertRefusesDepthAndBounds) {
  test::MessageLog log;
  Image target, label, rgb;
  makePicture(target, 10, 5, 8);
  log.attach(target);
  makeLabel(label, 4, 2);
  makePicture(rgb, 2, 2, 24);
  const auto before = test::rowsOf(target);
  const BYTE map[2] = {1, 2};
  EXPECT_EQ(target.insert(rgb, 0, 0, map), 0);
  EXPECT_EQ(log.last(), "Color depth mismatch. Inserted image has more colors than the original.");
  const int placements[][2] = {{-1, 0}, {7, 0}, {0, -1}, {0, 4}, {0x7FFFFFFF, 0}, {0, 0x7FFFFFFF}};
  for (const auto& at : placements) {
    log.messages.clear();
    EXPECT_EQ(target.insert(label, at[0], at[1], map), 0) << at[0] << "," << at[1];
    EXPECT_EQ(log.last(), "Inserted image out of bounds in the original.");
  }
  EXPECT_EQ(test::rowsOf(target), before);
  EXPECT_EQ(target.insert(label, 6, 3, map), 1) << "x + width = width is inside";

  Image deep;
  makePicture(deep, 10, 5, 16);
  log.attach(deep);
  EXPECT_EQ(deep.insert(label, 0, 0, map), 0);
  EXPECT_EQ(log.last(), "Insertion not supported for this color depth.");
}

}  // namespace
}  // namespace orlim
