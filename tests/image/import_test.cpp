#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "fixtures.h"

namespace orlim {
namespace {

BITMAPINFOHEADER dibHeader(int width, int height, int bits, DWORD compression = BI_RGB) {
  BITMAPINFOHEADER h{};
  h.biSize = 40;
  h.biWidth = width;
  h.biHeight = height;
  h.biPlanes = 1;
  h.biBitCount = static_cast<WORD>(bits);
  h.biCompression = compression;
  h.biXPelsPerMeter = 3780;
  h.biYPelsPerMeter = 3780;
  return h;
}

TEST(Import, DescribesTheBitmapItCopies) {
  const BITMAPINFOHEADER h = dibHeader(2, 2, 24);
  std::vector<std::uint8_t> rows(16);
  for (int i = 0; i < 16; ++i) rows[i] = static_cast<std::uint8_t>(i * 7);
  Image im;
  ASSERT_EQ(im.import(&h, 40, nullptr, 0, rows.data(), 16, 5), 1);
  EXPECT_EQ(im.stride, 8);
  EXPECT_EQ(im.bitsSize, 16);
  EXPECT_EQ(im.bitsOffset, 40);
  EXPECT_EQ(im.photometric, 2);
  EXPECT_EQ(im.rowOrder, kRowsBottomUp);
  EXPECT_EQ(im.layout, kLayoutPackedDib);
  EXPECT_EQ(im.width, 2);
  EXPECT_EQ(im.fullHeight, 2);
  EXPECT_EQ(im.bitsPerPixel, 24);
  EXPECT_EQ(im.xResolution, 96);
  EXPECT_EQ(im.yResolution, 96);
  EXPECT_EQ(im.resolutionUnit, 2);
  EXPECT_EQ(im.symmetry, 0);
  EXPECT_EQ(std::memcmp(im.bits(), rows.data(), 16), 0);
  rows[0] = 1;
  EXPECT_EQ(im.bits()[0], 0) << "the caller keeps its own memory";

  const BITMAPINFOHEADER down = dibHeader(3, -5, 8);
  std::vector<RGBQUAD> gray(256);
  for (int i = 0; i < 256; ++i) gray[i] = {BYTE(i), BYTE(i), BYTE(i), 0};
  std::vector<std::uint8_t> rows8(4 * 5, 9);
  Image g;
  ASSERT_EQ(g.import(&down, 40, gray.data(), 1024, rows8.data(), 20, 5), 1);
  EXPECT_EQ(g.height, 5);
  EXPECT_EQ(g.rowOrder, kRowsTopDown);
  EXPECT_EQ(g.header()->biHeight, -5);
  EXPECT_EQ(g.isGray, 1);
  EXPECT_EQ(g.photometric, 1);
  EXPECT_EQ(g.paletteSize, 1024);
  EXPECT_EQ(g.bitsOffset, 1064);
}

// A 4-bit bitmap imported and saved is read by imagemagick as the pixels the bytes say.
TEST(Import, ImportedPictureReadsBackThroughImagemagick) {
  if (!test::haveTool("convert")) GTEST_SKIP() << "imagemagick missing";
  BITMAPINFOHEADER h = dibHeader(5, 2, 4);
  h.biClrUsed = 3;
  const RGBQUAD table[3] = {{0, 0, 255, 0}, {0, 255, 0, 0}, {255, 0, 0, 0}};  // red, green, blue
  const std::uint8_t rows[8] = {0x01, 0x20, 0x10, 0, 0x22, 0x11, 0x00, 0};    // bottom row first
  Image im;
  ASSERT_EQ(im.import(&h, 40, table, 12, rows, 8, 5), 1);
  EXPECT_EQ(im.photometric, 3);
  test::TempDir dir;
  ASSERT_EQ(im.writeBmp(dir.file("a.bmp").c_str()), 1);
  const test::RgbPicture pic = test::decodeWithImagemagick(dir.file("a.bmp"));
  ASSERT_EQ(pic.width, 5);
  ASSERT_EQ(pic.height, 2);
  const int indices[2][5] = {{2, 2, 1, 1, 0}, {0, 1, 2, 0, 1}};  // top row first
  const std::uint8_t rgb[3][3] = {{255, 0, 0}, {0, 255, 0}, {0, 0, 255}};
  for (int y = 0; y < 2; ++y)
    for (int x = 0; x < 5; ++x)
      EXPECT_EQ(std::memcmp(&pic.rgb[(y * 5 + x) * 3], rgb[indices[y][x]], 3), 0) << x << "," << y;
}

TEST(Import, RefusesHeadersThatDoNotFitTheirPieces) {
  std::vector<std::uint8_t> table(1024), rows(4096);
  const struct {
    BITMAPINFOHEADER h;
    int headerLength, tableLength, rowsLength;
    const char* why;
  } cases[] = {
      {dibHeader(0, 4, 24), 40, 0, 4096, "width (0) is not positive"},
      {dibHeader(-3, 4, 24), 40, 0, 4096, "width (-3) is not positive"},
      {dibHeader(4, 0, 24), 40, 0, 4096, "height (0)"},
      {dibHeader(4, INT32_MIN, 24), 40, 0, 4096, "height"},
      {dibHeader(4, 4, 2), 40, 0, 4096, "2 bits per pixel"},
      {dibHeader(4, 4, 0), 40, 0, 4096, "0 bits per pixel"},
      {dibHeader(4, 4, 64), 40, 0, 4096, "64 bits per pixel"},
      {dibHeader(10, 10, 24), 40, 0, 10 * 32 - 1, "rows hold 319 bytes but its header needs 320"},
      {dibHeader(10, -10, 24), 40, 0, 10 * 32 - 1, "needs 320"},
      {dibHeader(8, 8, 8), 40, 1020, 64, "colour table holds 1020 bytes but its header needs 1024"},
      {dibHeader(8, 8, 1), 40, 4, 64, "needs 8"},
      {dibHeader(8, 8, 32, BI_BITFIELDS), 40, 0, 256, "needs 12"},
      {dibHeader(8, 8, 8, BI_RLE8), 40, 1024, 64, "compression (1)"},
      {dibHeader(8, 8, 24), 12, 0, 256, "header is 12 bytes"},
      {dibHeader(0x7FFFFFFF, 0x7FFFFFFF, 32), 40, 0, 4096, "needs"},
      {dibHeader(8, 8, 24), 40, -4, 256, "colour table"},
  };
  for (const auto& c : cases) {
    test::MessageLog log;
    Image im;
    log.attach(im);
    EXPECT_EQ(im.import(&c.h, c.headerLength, table.data(), c.tableLength, rows.data(), c.rowsLength, 5), 0) << c.why;
    EXPECT_EQ(im.dib, nullptr);
    EXPECT_EQ(im.width, 0);
    EXPECT_EQ(im.bitsSize, 0);
    EXPECT_NE(log.last().find(c.why), std::string::npos) << log.last();
    EXPECT_EQ(log.last().rfind("Cannot import the bitmap: ", 0), 0u) << log.last();
  }
  // A header with a 16-colour count is satisfied by 64 bytes of table.
  BITMAPINFOHEADER counted = dibHeader(8, 8, 8);
  counted.biClrUsed = 16;
  Image ok;
  EXPECT_EQ(ok.import(&counted, 40, table.data(), 64, rows.data(), 64, 5), 1);
  EXPECT_EQ(ok.paletteSize, 64);

  test::MessageLog log;
  Image im;
  log.attach(im);
  const BITMAPINFOHEADER h = dibHeader(2, 2, 24);
  EXPECT_EQ(im.import(&h, 40, nullptr, 0, rows.data(), 16, 4), 0);
  EXPECT_EQ(log.last(), "Unknown import format: 4");
  EXPECT_EQ(im.dib, nullptr);
}

}  // namespace
}  // namespace orlim
