#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>

#include "image/Image.h"

namespace orlim {
namespace {

// Builds an 8-bit block with the given colour table in `image`.
void makeIndexed8(Image& image, int width, int height, const RGBQUAD* table) {
  image.reset(true);
  image.width = width;
  image.height = height;
  image.bitsPerPixel = 8;
  image.headerSize = image.paletteOffset = 40;
  image.paletteSize = 1024;
  image.paletteEntrySize = 4;
  image.bitsOffset = 40 + 1024;
  image.stride = static_cast<int>(dibStride(width, 8));
  image.bitsSize = image.stride * height;
  image.dib = static_cast<std::uint8_t*>(std::calloc(1, image.bitsOffset + image.bitsSize));
  std::memcpy(image.dib + 40, table, 1024);
}

TEST(ImageRecord, StrideIsPaddedToFourBytes) {
  EXPECT_EQ(dibStride(1, 1), 4);
  EXPECT_EQ(dibStride(32, 1), 4);
  EXPECT_EQ(dibStride(33, 1), 8);
  EXPECT_EQ(dibStride(3, 24), 12);
  EXPECT_EQ(dibStride(5, 4), 4);
  EXPECT_EQ(dibStride(9, 4), 8);
  EXPECT_EQ(dibStride(70, 24), 212);
  EXPECT_EQ(dibStride(100000, 32), 400000);
  EXPECT_EQ(dibStride(0x7FFFFFFF, 32), std::int64_t{0x7FFFFFFF} * 4);  // no 32-bit overflow
}

TEST(ImageRecord, ColorTableSizeFollowsCountThenDepth) {
  Image image;
  image.dib = static_cast<std::uint8_t*>(std::calloc(1, 40));
  auto* h = image.header();
  const struct {
    int bits;
    DWORD compression;
    DWORD used;
    std::int64_t expected;
  } cases[] = {
      {1, 0, 0, 8},   {4, 0, 0, 64}, {8, 0, 0, 1024}, {16, 0, 0, 0},
      {16, 3, 0, 12}, {24, 0, 0, 0}, {32, 0, 0, 0},   {32, 3, 0, 12},
      {8, 0, 16, 64}, {1, 0, 2, 8},  {24, 0, 5, 20},  {8, 0, 0xFFFFFFFFu, std::int64_t{0xFFFFFFFFu} * 4},
  };
  for (const auto& c : cases) {
    h->biBitCount = static_cast<WORD>(c.bits);
    h->biCompression = c.compression;
    h->biClrUsed = c.used;
    EXPECT_EQ(image.colorTableSize(), c.expected) << c.bits << " bits, " << c.used << " used";
  }
}

TEST(ImageRecord, ResolutionRoundsPixelsPerMeterToDotsPerInch) {
  Image image;
  int x = 1, y = 1;
  EXPECT_EQ(image.resolutionFromHeader(x, y), -1);
  image.dib = static_cast<std::uint8_t*>(std::calloc(1, 40));
  image.header()->biXPelsPerMeter = 3780;
  image.header()->biYPelsPerMeter = 2835;
  EXPECT_EQ(image.resolutionFromHeader(x, y), 0);
  EXPECT_EQ(x, 96);
  EXPECT_EQ(y, 72);
  image.header()->biXPelsPerMeter = 100;
  image.header()->biYPelsPerMeter = 0;
  image.resolutionFromHeader(x, y);
  EXPECT_EQ(x, 3);
  EXPECT_EQ(y, 0);
}

TEST(ImageRecord, GrayRampsSetPhotometric) {
  RGBQUAD table[256];
  for (int i = 0; i < 256; ++i) table[i] = {BYTE(i), BYTE(i), BYTE(i), 0};
  Image image;
  makeIndexed8(image, 4, 2, table);
  EXPECT_EQ(image.isGrayPalette(), 1);
  EXPECT_EQ(image.photometric, 1);

  for (int i = 0; i < 256; ++i) table[i] = {BYTE(255 - i), BYTE(255 - i), BYTE(255 - i), 0};
  makeIndexed8(image, 4, 2, table);
  image.photometric = 7;
  EXPECT_EQ(image.isGrayPalette(), 1);
  EXPECT_EQ(image.photometric, 0);

  table[100].rgbRed = 3;  // one colour entry breaks the ramp
  makeIndexed8(image, 4, 2, table);
  image.photometric = 7;
  EXPECT_EQ(image.isGrayPalette(), 0);
  EXPECT_EQ(image.photometric, 7);

  for (int i = 0; i < 256; ++i) table[i] = {BYTE(i), BYTE(i), BYTE(i), 0};
  makeIndexed8(image, 4, 2, table);
  image.paletteSize = 64;  // 16 entries: not a 256-entry ramp
  EXPECT_EQ(image.isGrayPalette(), 0);
  image.paletteSize = 1024;
  image.paletteEntrySize = 0;
  EXPECT_EQ(image.isGrayPalette(), 0);
}

TEST(ImageRecord, ResetKeepsThePageOnlyWhenAsked) {
  static int released = 0;
  released = 0;
  Image::DjvuPageReleaser saved = Image::djvuPageReleaser;
  Image::djvuPageReleaser = [](djvu_halfcoded_image*) { ++released; };
  auto* fakePage = reinterpret_cast<djvu_halfcoded_image*>(0x1234);
  {
    Image image;
    image.djvuPage = fakePage;
    image.dib = static_cast<std::uint8_t*>(std::malloc(64));
    image.width = 5;
    image.photometric = 2;
    image.showWarnings = 1;
    image.reset(false);
    EXPECT_EQ(image.djvuPage, fakePage);
    EXPECT_EQ(image.dib, nullptr);
    EXPECT_EQ(image.width, 0);
    EXPECT_EQ(image.photometric, 0);
    EXPECT_EQ(image.showWarnings, 1);  // handler fields are not touched
    EXPECT_EQ(released, 0);
    image.reset(true);
    EXPECT_EQ(image.djvuPage, nullptr);
    EXPECT_EQ(released, 1);
  }
  EXPECT_EQ(released, 1);
  Image::djvuPageReleaser = saved;
}

TEST(ImageRecord, CloneCopiesTheBlockAndSharesThePage) {
  RGBQUAD table[256];
  for (int i = 0; i < 256; ++i) table[i] = {BYTE(i), 0, 0, 0};
  Image from;
  makeIndexed8(from, 3, 3, table);
  from.bits()[4] = 77;
  from.symmetry = 5;
  Image copy;
  int handlerCalls = 0;
  copy.errorHandler = [&](const char*) { ++handlerCalls; };
  ASSERT_EQ(copy.clone(from), 1);
  EXPECT_NE(copy.dib, from.dib);
  EXPECT_EQ(std::memcmp(copy.dib, from.dib, from.bitsOffset + from.bitsSize), 0);
  EXPECT_EQ(copy.symmetry, 5);
  EXPECT_TRUE(static_cast<bool>(copy.errorHandler));  // own handlers are kept
  from.bits()[4] = 1;
  EXPECT_EQ(copy.bits()[4], 77);
  EXPECT_EQ(handlerCalls, 0);
}

TEST(ImageRecord, FailFormatsIntoTheSharedBuffer) {
  Image image;
  std::string seen;
  image.errorHandler = [&](const char* text) { seen = text; };
  EXPECT_EQ(image.fail("Failed to allocate %d bytes for the image.", 1234), 0);
  EXPECT_EQ(seen, "Failed to allocate 1234 bytes for the image.");
  EXPECT_STREQ(messageBuffer, "Failed to allocate 1234 bytes for the image.");
  std::string longText(5000, 'x');
  image.fail("%s", longText.c_str());
  EXPECT_EQ(std::strlen(messageBuffer), sizeof messageBuffer - 1);
}

}  // namespace
}  // namespace orlim
