#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>

#include "fixtures.h"

namespace orlim {
namespace {

using test::makePicture;

void setEntry(Image& im, int i, BYTE b, BYTE g, BYTE r) {
  std::uint8_t* e = im.dib + im.paletteOffset + 4 * i;
  e[0] = b;
  e[1] = g;
  e[2] = r;
}

std::uint8_t* rowOf(Image& im, int r) { return im.dib + im.bitsOffset + r * im.stride; }

TEST(Color, NegativeMatchesImagemagickNegate) {
  if (!test::haveTool("convert")) GTEST_SKIP() << "imagemagick missing";
  for (int bits : {1, 4, 8, 24}) {
    test::TempDir dir;
    Image im;
    makePicture(im, 21, 13, bits, kRowsBottomUp, 40 + bits);
    const test::RgbPicture expected = test::imagemagickResult(im, dir, "-negate");
    EXPECT_EQ(im.negate(), 1);
    EXPECT_EQ(im.negative, 1);
    test::expectSamePicture(expected, test::seenRgb(im), "negative at " + std::to_string(bits) + " bits");
  }
}

TEST(Color, NegativeOfGrayRampsAndWholeRows) {
  Image im;
  makePicture(im, 5, 4, 8);
  test::setGrayRamp(im);
  ASSERT_EQ(im.isGray, 1);
  const auto indices = test::rowsOf(im);
  im.negate();
  EXPECT_EQ(im.isGray, 1);
  EXPECT_EQ(im.photometric, 0);
  EXPECT_EQ(im.dib[40 + 4 * 10], 245);
  EXPECT_EQ(test::rowsOf(im), indices) << "indices untouched";
  im.negate();
  EXPECT_EQ(im.isGray, 1);
  EXPECT_EQ(im.photometric, 1);
  EXPECT_EQ(im.negative, 0);
  for (int i = 0; i < 256; ++i) ASSERT_EQ(im.dib[40 + 4 * i + 1], i);

  // 24 bits: every byte of the rows, the padding too (width 3: 9 bytes of pixels, 3 of padding).
  Image rgb;
  makePicture(rgb, 3, 2, 24);
  rgb.dib[rgb.bitsOffset + 9] = 0x10;
  const auto before = test::rowsOf(rgb);
  rgb.negate();
  const auto after = test::rowsOf(rgb);
  for (std::size_t i = 0; i < before.size(); ++i) ASSERT_EQ(after[i], 255 - before[i]) << i;

  // 32 bits: channels inverted, the fourth byte cleared.
  Image quad;
  makePicture(quad, 2, 1, 32);
  const std::uint8_t px[8] = {0, 10, 200, 77, 255, 128, 1, 3};
  std::memcpy(quad.bits(), px, 8);
  quad.negate();
  const std::uint8_t want[8] = {255, 245, 55, 0, 0, 127, 254, 0};
  EXPECT_EQ(std::memcmp(quad.bits(), want, 8), 0);

  // Other depths only toggle the flag.
  Image deep;
  makePicture(deep, 4, 4, 16);
  const auto rows16 = test::rowsOf(deep);
  EXPECT_EQ(deep.negate(), 1);
  EXPECT_EQ(deep.negative, 1);
  EXPECT_EQ(test::rowsOf(deep), rows16);
}

TEST(Color, ReversePhotometricKeepsTheLook) {
  test::MessageLog log;
  Image im;
  makePicture(im, 13, 3, 1);
  log.attach(im);
  setEntry(im, 0, 0, 0, 0);
  setEntry(im, 1, 255, 255, 255);
  im.photometric = 1;
  for (int r = 0; r < 3; ++r) rowOf(im, r)[3] = 0x5A;  // padding
  const test::RgbPicture look = test::seenRgb(im);
  const std::uint8_t firstByte = rowOf(im, 0)[0];
  ASSERT_EQ(im.ReversePhotometric(), 1);
  EXPECT_EQ(im.photometric, 0);
  EXPECT_EQ(im.dib[40], 255);
  EXPECT_EQ(im.dib[44], 0);
  EXPECT_EQ(rowOf(im, 0)[0], static_cast<std::uint8_t>(~firstByte));
  EXPECT_EQ(rowOf(im, 1)[3], 0x5A) << "padding bytes are not touched";
  test::expectSamePicture(look, test::seenRgb(im), "reversed 1-bit");

  Image gray;
  makePicture(gray, 6, 6, 8);
  test::setGrayRamp(gray);
  const test::RgbPicture grayLook = test::seenRgb(gray);
  ASSERT_EQ(gray.ReversePhotometric(), 1);
  EXPECT_EQ(gray.photometric, 0);
  test::expectSamePicture(grayLook, test::seenRgb(gray), "reversed gray");

  im.photometric = 3;
  EXPECT_EQ(im.ReversePhotometric(), 0);
  EXPECT_EQ(log.last(), "Unknown photometric: 3");
  Image rgb;
  makePicture(rgb, 2, 2, 24);
  log.attach(rgb);
  EXPECT_EQ(rgb.ReversePhotometric(), 0);
  EXPECT_EQ(log.last(), "ReversePhotometric: Image is not gray scale or b&w.");
}

TEST(Color, GrayWeightsRedAsLumaDoes) {
  Image im;
  makePicture(im, 4, 1, 24);
  const std::uint8_t px[12] = {255, 0, 0, 0, 0, 255, 0, 255, 0, 255, 255, 255};  // blue, red, green, white
  std::memcpy(im.bits(), px, 12);
  ASSERT_EQ(im.convertToGray(), 1);
  EXPECT_EQ(im.bitsPerPixel, 8);
  EXPECT_EQ(im.sourceBitsPerPixel, 8);
  EXPECT_EQ(im.isGray, 1);
  EXPECT_EQ(im.photometric, 1);
  EXPECT_EQ(im.paletteSize, 1024);
  EXPECT_EQ(im.bitsOffset, 1064);
  EXPECT_EQ(im.stride, 4);
  EXPECT_EQ(im.header()->biBitCount, 8);
  EXPECT_EQ(im.header()->biClrUsed, 0u);
  EXPECT_EQ(im.dib[40 + 4 * 200 + 2], 200);
  const std::uint8_t want[4] = {28, 76, 150, 255};
  EXPECT_EQ(std::memcmp(im.bits(), want, 4), 0)
      << int(im.bits()[0]) << " " << int(im.bits()[1]) << " " << int(im.bits()[2]);
  const auto rows = test::rowsOf(im);
  EXPECT_EQ(im.convertToGray(), 1);
  EXPECT_EQ(test::rowsOf(im), rows);
}

// Imagemagick's Rec. 601 luma, which the integer weights approximate within two steps (swapped weights miss by up to
// 47).
TEST(Color, GrayAgreesWithImagemagickRec601Luma) {
  if (!test::haveTool("convert")) GTEST_SKIP() << "imagemagick missing";
  for (int bits : {24, 8, 4}) {
    test::TempDir dir;
    Image im;
    makePicture(im, 31, 17, bits, kRowsBottomUp, 90 + bits);
    const test::RgbPicture expected = test::imagemagickResult(im, dir, "-grayscale Rec601Luma");
    ASSERT_EQ(im.convertToGray(), 1);
    const test::RgbPicture ours = test::seenRgb(im);
    ASSERT_EQ(ours.rgb.size(), expected.rgb.size());
    int worst = 0;
    for (std::size_t i = 0; i < ours.rgb.size(); ++i) worst = std::max(worst, std::abs(ours.rgb[i] - expected.rgb[i]));
    EXPECT_LE(worst, 2) << bits << " bits";
  }
}

TEST(Color, GrayOfBlackAndWhiteFollowsEntryZero) {
  Image im;
  makePicture(im, 10, 2, 1);
  setEntry(im, 0, 0, 0, 0);
  setEntry(im, 1, 9, 9, 9);
  rowOf(im, 0)[0] = 0xA0;  // pixels 0 and 2 set
  rowOf(im, 0)[1] = 0x00;
  std::uint8_t* rows = im.makeGrayRows(16);
  ASSERT_NE(rows, nullptr);
  EXPECT_EQ(rows[0], 0);
  EXPECT_EQ(rows[15], 0);
  EXPECT_EQ(rows[16], 255);
  EXPECT_EQ(rows[17], 0);
  EXPECT_EQ(rows[18], 255);
  std::free(rows);
  setEntry(im, 0, 255, 255, 255);
  rows = im.makeGrayRows(0);
  EXPECT_EQ(rows[0], 0);
  EXPECT_EQ(rows[1], 255);
  std::free(rows);

  // An index past a short colour table reads as black instead of outside the table.
  Image shortTable;
  makePicture(shortTable, 4, 1, 8, kRowsBottomUp, 3, 2);
  shortTable.bits()[0] = 200;
  ASSERT_EQ(shortTable.convertToGray(), 1);
  EXPECT_EQ(shortTable.bits()[0], 0);

  test::MessageLog log;
  Image deep;
  makePicture(deep, 4, 4, 16);
  log.attach(deep);
  EXPECT_EQ(deep.convertToGray(), 0);
  EXPECT_EQ(log.last(), "Conversion to gray not supported for this color depth.");
  EXPECT_EQ(deep.bitsPerPixel, 16);
}

TEST(Color, IncreaseColorDepthTables) {
  Image one;
  makePicture(one, 9, 2, 1);
  setEntry(one, 0, 1, 2, 3);
  setEntry(one, 1, 4, 5, 6);
  rowOf(one, 0)[0] = 0x81;  // pixels 0 and 7
  rowOf(one, 0)[1] = 0x80;  // pixel 8
  rowOf(one, 1)[0] = 0x00;

  std::uint8_t* b4 = one.increaseColorDepth(4);
  ASSERT_NE(b4, nullptr);
  EXPECT_EQ(b4[40], 1);  // entry 0 copied into the 16-entry table
  EXPECT_EQ(b4[44 + 2], 6);
  EXPECT_EQ(b4[40 + 8], 0) << "remaining entries stay 0";
  const std::uint8_t* r4 = b4 + 40 + 64;
  EXPECT_EQ(r4[0], 0x10);
  EXPECT_EQ(r4[3], 0x01);
  EXPECT_EQ(r4[4], 0x10);
  EXPECT_EQ(reinterpret_cast<BITMAPINFOHEADER*>(b4)->biBitCount, 4);
  std::free(b4);

  std::uint8_t* b8 = one.increaseColorDepth(8);
  const std::uint8_t* r8 = b8 + 40 + 1024;
  const std::uint8_t want8[9] = {1, 0, 0, 0, 0, 0, 0, 1, 1};
  EXPECT_EQ(std::memcmp(r8, want8, 9), 0);
  std::free(b8);

  std::uint8_t* b24 = one.increaseColorDepth(24);
  const std::uint8_t* r24 = b24 + 40;
  const std::uint8_t want24[6] = {4, 5, 6, 1, 2, 3};
  EXPECT_EQ(std::memcmp(r24, want24, 6), 0);
  EXPECT_EQ(r24[28 + 0], 1) << "second row starts after the 28-byte stride";
  std::free(b24);

  std::uint8_t* b32 = one.increaseColorDepth(32);
  const std::uint8_t* r32 = b32 + 40 + 12;
  const std::uint8_t want32[8] = {4, 5, 6, 0, 1, 2, 3, 0};
  EXPECT_EQ(std::memcmp(r32, want32, 8), 0);
  std::free(b32);

  Image rgb;
  makePicture(rgb, 3, 1, 24);
  std::uint8_t* q = rgb.increaseColorDepth(32);
  for (int x = 0; x < 3; ++x) {
    EXPECT_EQ(std::memcmp(q + 52 + 4 * x, rgb.bits() + 3 * x, 3), 0);
    EXPECT_EQ(q[52 + 4 * x + 3], 0);
  }
  std::free(q);

  test::MessageLog log;
  Image eight;
  makePicture(eight, 3, 3, 8);
  log.attach(eight);
  EXPECT_EQ(eight.increaseColorDepth(4), nullptr);
  EXPECT_EQ(eight.increaseColorDepth(8), nullptr);
  EXPECT_EQ(eight.increaseColorDepth(33), nullptr);
  EXPECT_TRUE(log.messages.empty());
  EXPECT_EQ(eight.increaseColorDepth(16), nullptr);
  EXPECT_EQ(log.last(), "Increase of color depth not supported for the original color depth.");

  // A 1-bit file declaring 256 colours: only what the 4-bit table holds is copied.
  Image wide;
  makePicture(wide, 8, 1, 1, kRowsBottomUp, 4, 256);
  std::uint8_t* w4 = wide.increaseColorDepth(4);
  ASSERT_NE(w4, nullptr);
  EXPECT_EQ(std::memcmp(w4 + 40, wide.dib + 40, 64), 0);
  std::free(w4);
}

void put16(Image& im, int x, std::uint16_t v) {
  im.bits()[2 * x] = v & 0xFF;
  im.bits()[2 * x + 1] = v >> 8;
}

TEST(Color, SixteenBitPixelsWidenToTwentyFour) {
  Image plain;
  makePicture(plain, 3, 1, 16);
  put16(plain, 0, 0x7FFF);
  put16(plain, 1, 0x0421);
  put16(plain, 2, 0x7C00);
  std::uint8_t* b = plain.increaseColorDepth(24);
  ASSERT_NE(b, nullptr);
  const std::uint8_t want[9] = {255, 255, 255, 8, 8, 8, 0, 0, 255};
  EXPECT_EQ(std::memcmp(b + 40, want, 9), 0);
  std::free(b);
  EXPECT_EQ(plain.increaseColorDepth(32), nullptr);

  // 5-6-5 bit fields: masks red 0xF800, green 0x07E0, blue 0x001F after the header.
  Image fields;
  makePicture(fields, 2, 1, 16);
  std::uint8_t* block = static_cast<std::uint8_t*>(std::calloc(1, 40 + 12 + 4));
  std::memcpy(block, fields.dib, 40);
  const std::uint32_t masks[3] = {0xF800, 0x07E0, 0x001F};
  std::memcpy(block + 40, masks, 12);
  std::free(fields.dib);
  fields.dib = block;
  fields.paletteSize = 12;
  fields.bitsOffset = 52;
  fields.header()->biCompression = BI_BITFIELDS;
  put16(fields, 0, 0x0821);
  put16(fields, 1, 0xFFFF);
  b = fields.increaseColorDepth(24);
  ASSERT_NE(b, nullptr);
  const std::uint8_t want565[6] = {8, 4, 8, 255, 255, 255};
  EXPECT_EQ(std::memcmp(b + 40, want565, 6), 0);
  EXPECT_EQ(reinterpret_cast<BITMAPINFOHEADER*>(b)->biCompression, BI_RGB);
  std::free(b);

  fields.header()->biCompression = BI_RLE8;
  EXPECT_EQ(fields.increaseColorDepth(24), nullptr);
}

}  // namespace
}  // namespace orlim
