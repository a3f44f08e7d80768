#include <gtest/gtest.h>
#include <sys/resource.h>

#include <csignal>
#include <cstring>
#include <filesystem>
#include <string>

#include "image/Image.h"
#include "support/image_pixels.h"
#include "support/test_support.h"

namespace orlim {
namespace {

using test::appendLe16;
using test::appendLe32;

class BmpTest : public ::testing::Test {
 protected:
  void SetUp() override {
    image.errorHandler = [this](const char* text) { messages.push_back(text); };
  }
  std::string lastMessage() const { return messages.empty() ? "" : messages.back(); }

  test::TempDir dir;
  Image image;
  std::vector<std::string> messages;
};

// A hand-made file: file header, 40-byte info header, colour table, rows.
std::vector<std::uint8_t> makeBmp(int width, int height, int bits, std::uint32_t colorsUsed,
                                  const std::vector<std::uint8_t>& table, const std::vector<std::uint8_t>& rows,
                                  std::int64_t sizeFieldAdjust = 0, std::uint32_t headerSize = 40) {
  std::vector<std::uint8_t> f = {'B', 'M'};
  const std::int64_t size = 14 + 40 + table.size() + rows.size() + sizeFieldAdjust;
  appendLe32(f, static_cast<std::uint32_t>(size));
  appendLe32(f, 0);
  appendLe32(f, static_cast<std::uint32_t>(54 + table.size()));
  appendLe32(f, headerSize);
  appendLe32(f, static_cast<std::uint32_t>(width));
  appendLe32(f, static_cast<std::uint32_t>(height));
  appendLe16(f, 1);
  appendLe16(f, bits);
  appendLe32(f, 0);
  appendLe32(f, static_cast<std::uint32_t>(rows.size()));
  appendLe32(f, 3780);
  appendLe32(f, 2835);
  appendLe32(f, colorsUsed);
  appendLe32(f, 0);
  f.insert(f.end(), table.begin(), table.end());
  f.insert(f.end(), rows.begin(), rows.end());
  return f;
}

std::vector<std::uint8_t> grayTable(bool ascending) {
  std::vector<std::uint8_t> t;
  for (int i = 0; i < 256; ++i) {
    const auto v = static_cast<std::uint8_t>(ascending ? i : 255 - i);
    t.insert(t.end(), {v, v, v, 0});
  }
  return t;
}

TEST_F(BmpTest, PeerFilesOfEveryDepthGiveImagemagicksPixels) {
  if (!test::haveTool("convert")) GTEST_SKIP() << "imagemagick missing";
  const struct {
    const char* args;
    const char* prefix;  // imagemagick's output format: BMP3 writes 40-byte headers
    int bits;
    int paletteSize;
    int tolerance;
  } cases[] = {
      {"rose:", "BMP3:", 24, 0, 0},
      {"rose:", "", 24, 0, 0},  // 124-byte header
      {"rose: -colors 256 -type palette -compress none", "BMP3:", 8, 1024, 0},
      {"rose: -colors 256 -type palette", "", 8, 1024, 0},  // RLE8 with a 124-byte header
      {"rose: -colors 256 -type palette -compress RLE", "BMP3:", 8, 1024, 0},
      {"rose: -colors 16", "", 4, 64, 0},  // colours used 16
      {"rose: -colors 16 -compress none", "BMP3:", 4, 64, 0},
      {"rose: -monochrome", "", 1, 8, 0},  // 108-byte header, 2 colours
      {"rose: -alpha on", "", 32, 12, 0},  // bit fields inside a long header
      {"rose: -define bmp:subtype=RGB565", "", 16, 12, 1},
      {"rose: -define bmp:subtype=RGB555", "", 16, 12, 1},
  };
  int n = 0;
  for (const auto& c : cases) {
    const std::string path = dir.file("peer" + std::to_string(n++) + ".bmp");
    std::string log;
    ASSERT_EQ(test::run(test::convertTool() + " " + c.args + " " + c.prefix + path, &log), 0) << log;
    SCOPED_TRACE(c.args);
    ASSERT_EQ(image.readBmp(path.c_str(), 5), 1) << lastMessage();
    EXPECT_EQ(image.width, 70);
    EXPECT_EQ(image.height, 46);
    EXPECT_EQ(image.bitsPerPixel, c.bits);
    EXPECT_EQ(image.paletteSize, c.paletteSize);
    EXPECT_EQ(image.headerSize, 40);
    EXPECT_EQ(image.header()->biSize, 40u);
    EXPECT_NE(image.header()->biCompression, 1u);
    EXPECT_NE(image.header()->biCompression, 2u);
    EXPECT_EQ(image.stride, static_cast<int>(dibStride(70, c.bits)));
    EXPECT_GE(image.bitsSize, image.stride * 46);
    EXPECT_EQ(image.rowOrder, 3);
    const int diff = test::maxChannelDifference(test::toRgb(image), test::decodeWithImagemagick(path));
    EXPECT_GE(diff, 0) << "sizes differ";
    EXPECT_LE(diff, c.tolerance);
  }
}

TEST_F(BmpTest, TopDownFileKeepsItsStorageAndShowsTheSamePicture) {
  if (!test::haveTool("convert")) GTEST_SKIP() << "imagemagick missing";
  std::string log;
  ASSERT_EQ(test::run(test::convertTool() + " rose: BMP3:" + dir.file("bu.bmp"), &log), 0) << log;
  auto bytes = test::readFile(dir.file("bu.bmp"));
  ASSERT_EQ(bytes.size(), 54u + 212 * 46);
  std::vector<std::uint8_t> flipped(bytes.begin(), bytes.begin() + 54);
  for (int r = 45; r >= 0; --r)
    flipped.insert(flipped.end(), bytes.begin() + 54 + r * 212, bytes.begin() + 54 + (r + 1) * 212);
  const std::int32_t negative = -46;
  std::memcpy(&flipped[22], &negative, 4);
  test::writeFile(dir.file("td.bmp"), flipped);

  ASSERT_EQ(image.readBmp(dir.file("td.bmp").c_str(), 5), 1) << lastMessage();
  EXPECT_EQ(image.rowOrder, 4);
  EXPECT_EQ(image.height, 46);
  EXPECT_EQ(image.fullHeight, 46);
  EXPECT_EQ(image.header()->biHeight, -46);
  Image reference;
  ASSERT_EQ(reference.readBmp(dir.file("bu.bmp").c_str(), 5), 1);
  EXPECT_EQ(test::maxChannelDifference(test::toRgb(image), test::toRgb(reference)), 0);
  EXPECT_EQ(test::maxChannelDifference(test::toRgb(image), test::decodeWithImagemagick(dir.file("td.bmp"))), 0);
}

TEST_F(BmpTest, DescriptionFieldsFromTheHeader) {
  // 1-bit, colours used 0 and 2: both give an 8-byte table.
  const std::vector<std::uint8_t> twoColors = {0, 0, 0, 0, 255, 255, 255, 0};
  for (std::uint32_t used : {0u, 2u}) {
    test::writeFile(dir.file("b1.bmp"), makeBmp(1, 1, 1, used, twoColors, {0x80, 0, 0, 0}));
    ASSERT_EQ(image.readBmp(dir.file("b1.bmp").c_str(), 5), 1) << lastMessage();
    EXPECT_EQ(image.paletteSize, 8);
    EXPECT_EQ(image.stride, 4);
    EXPECT_EQ(image.photometric, 3);
    EXPECT_EQ(image.xResolution, 96);
    EXPECT_EQ(image.yResolution, 72);
    EXPECT_EQ(image.resolutionUnit, 2);
    EXPECT_EQ(image.pageCount, 1);
    EXPECT_EQ(image.layout, 5);
  }
  test::writeFile(dir.file("g.bmp"), makeBmp(4, 1, 8, 0, grayTable(true), {1, 2, 3, 4}));
  ASSERT_EQ(image.readBmp(dir.file("g.bmp").c_str(), 5), 1);
  EXPECT_EQ(image.isGray, 1);
  EXPECT_EQ(image.photometric, 1);
  test::writeFile(dir.file("g.bmp"), makeBmp(4, 1, 8, 0, grayTable(false), {1, 2, 3, 4}));
  ASSERT_EQ(image.readBmp(dir.file("g.bmp").c_str(), 5), 1);
  EXPECT_EQ(image.isGray, 1);
  EXPECT_EQ(image.photometric, 0);
  auto color = grayTable(true);
  color[4 * 9 + 2] = 200;
  test::writeFile(dir.file("g.bmp"), makeBmp(4, 1, 8, 0, color, {1, 2, 3, 4}));
  ASSERT_EQ(image.readBmp(dir.file("g.bmp").c_str(), 5), 1);
  EXPECT_EQ(image.isGray, 0);
  EXPECT_EQ(image.photometric, 3);
  test::writeFile(dir.file("c.bmp"), makeBmp(3, 1, 24, 0, {}, std::vector<std::uint8_t>(12, 7)));
  ASSERT_EQ(image.readBmp(dir.file("c.bmp").c_str(), 5), 1);
  EXPECT_EQ(image.photometric, 2);
  EXPECT_EQ(image.paletteSize, 0);
  EXPECT_EQ(image.stride, 12);
}

TEST_F(BmpTest, LooseFilesThatStillDescribeTheirRowsLoad) {
  // Extra bytes beyond the size field are ignored.
  auto f = makeBmp(3, 2, 24, 0, {}, std::vector<std::uint8_t>(24, 9));
  f.insert(f.end(), 100, 0xEE);
  test::writeFile(dir.file("extra.bmp"), f);
  ASSERT_EQ(image.readBmp(dir.file("extra.bmp").c_str(), 5), 1) << lastMessage();
  EXPECT_EQ(image.bitsSize, 24);
}

// Rows start where the file header's pixel offset says; the block is normalised
// so that they follow the (possibly cut) colour table again.
TEST_F(BmpTest, RowsStartAtTheFilesPixelOffset) {
  auto withGap = [](std::vector<std::uint8_t> f, std::size_t at, std::size_t gap, std::int64_t offsetShift) {
    f.insert(f.begin() + static_cast<std::ptrdiff_t>(at), gap, 0xEE);
    const std::uint32_t size = static_cast<std::uint32_t>(f.size());
    std::memcpy(f.data() + 2, &size, 4);
    std::uint32_t offset = 0;
    std::memcpy(&offset, f.data() + 10, 4);
    offset = static_cast<std::uint32_t>(offset + offsetShift);
    std::memcpy(f.data() + 10, &offset, 4);
    return f;
  };
  const auto rows24 = std::vector<std::uint8_t>(24, 9);
  const auto rows8 = std::vector<std::uint8_t>{1, 0, 0, 0};
  std::vector<std::uint8_t> twoEntries = {10, 20, 30, 0, 40, 50, 60, 0};
  struct Case {
    const char* what;
    std::vector<std::uint8_t> bytes;
    int paletteSize;
    std::uint32_t colorsUsed;
    int firstColorRed;  // of the first pixel
  };
  auto cutTable = makeBmp(1, 1, 8, 0, twoEntries, rows8);
  cutTable[10] = 54 + 8;  // the offset says: two entries, not 256
  auto zeroOffset = makeBmp(3, 2, 24, 0, {}, rows24);
  zeroOffset[10] = 0;  // written by careless tools: the rows follow the table
  const Case cases[] = {
      {"a gap after the header", withGap(makeBmp(3, 2, 24, 0, {}, rows24), 54, 20, 20), 0, 0, 9},
      {"a gap after the table", withGap(makeBmp(1, 1, 8, 2, twoEntries, rows8), 62, 6, 6), 8, 2, 60},
      {"a table cut short by the offset", cutTable, 8, 2, 60},
      {"no offset", zeroOffset, 0, 0, 9},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const std::string path = dir.file("offset.bmp");
    test::writeFile(path, c.bytes);
    ASSERT_EQ(image.readBmp(path.c_str(), 5), 1) << lastMessage();
    EXPECT_EQ(image.paletteSize, c.paletteSize);
    EXPECT_EQ(image.header()->biClrUsed, c.colorsUsed);
    EXPECT_EQ(test::rgbAt(image, 0, 0)[0], c.firstColorRed);
  }
  auto beyond = makeBmp(3, 2, 24, 0, {}, rows24);
  beyond[11] = 1;  // 256 + 54: past the end
  test::writeFile(dir.file("beyond.bmp"), beyond);
  EXPECT_EQ(image.readBmp(dir.file("beyond.bmp").c_str(), 5), 0);
  EXPECT_NE(lastMessage().find("pixel data offset (310)"), std::string::npos) << lastMessage();
}

// What other writers put in files that every peer reads: a size field that
// counts only the headers or falls short of the rows, a 16-byte OS/2 2.x header,
// bit fields with a fourth (alpha) mask.
TEST_F(BmpTest, LooseFilesOfOtherWritersAreRead) {
  auto setLe32 = [](std::vector<std::uint8_t> f, std::size_t at, std::uint32_t v) {
    std::memcpy(f.data() + at, &v, 4);
    return f;
  };
  const std::vector<std::uint8_t> twoEntries = {10, 20, 30, 0, 40, 50, 60, 0};
  std::vector<std::uint8_t> os2v2 = {'B', 'M'};
  for (std::uint32_t v : {14u + 16 + 4, 0u, 14u + 16}) appendLe32(os2v2, v);
  for (std::uint32_t v : {16u, 1u, 1u}) appendLe32(os2v2, v);
  appendLe16(os2v2, 1);
  appendLe16(os2v2, 24);
  os2v2.insert(os2v2.end(), {7, 8, 9, 0});
  std::vector<std::uint8_t> masks;
  for (std::uint32_t m : {0x00FF0000u, 0x0000FF00u, 0x000000FFu, 0xFF000000u}) appendLe32(masks, m);
  auto alpha = makeBmp(1, 1, 32, 0, masks, {1, 2, 3, 4});
  alpha[30] = 6;  // compression: bit fields with alpha
  struct Case {
    const char* what;
    std::vector<std::uint8_t> bytes;
    int red;  // of the first pixel
  };
  const Case cases[] = {
      {"size field of the headers only", setLe32(makeBmp(1, 1, 8, 2, twoEntries, {1, 0, 0, 0}), 2, 54), 60},
      {"size field 16 bytes short", makeBmp(3, 2, 24, 0, {}, std::vector<std::uint8_t>(24, 9), -16), 9},
      {"16-byte OS/2 2.x header", os2v2, 9},
      {"alpha bit fields", alpha, 3},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const std::string path = dir.file("loose.bmp");
    test::writeFile(path, c.bytes);
    ASSERT_EQ(image.readBmp(path.c_str(), 5), 1) << lastMessage();
    EXPECT_EQ(test::rgbAt(image, 0, 0)[0], c.red);
    EXPECT_EQ(image.header()->biSize, 40u);
  }
  EXPECT_EQ(image.header()->biCompression, BI_BITFIELDS);  // the alpha mask is dropped
  EXPECT_EQ(image.paletteSize, 12);
}

// OS/2 1.x files: a 12-byte header with 16-bit sizes and 3-byte colour entries,
// read into the 40-byte form with 4-byte entries.
TEST_F(BmpTest, Os2CoreHeadersAreNormalized) {
  auto os2 = [](int width, int height, int bits, const std::vector<std::uint8_t>& table,
                const std::vector<std::uint8_t>& rows) {
    std::vector<std::uint8_t> f = {'B', 'M'};
    appendLe32(f, static_cast<std::uint32_t>(14 + 12 + table.size() + rows.size()));
    appendLe32(f, 0);
    appendLe32(f, static_cast<std::uint32_t>(14 + 12 + table.size()));
    appendLe32(f, 12);
    for (int v : {width, height, 1, bits}) appendLe16(f, static_cast<std::uint32_t>(v));
    f.insert(f.end(), table.begin(), table.end());
    f.insert(f.end(), rows.begin(), rows.end());
    return f;
  };
  std::vector<std::uint8_t> table;
  for (int i = 0; i < 16; ++i) table.insert(table.end(), {std::uint8_t(i), std::uint8_t(2 * i), std::uint8_t(3 * i)});
  struct Case {
    int bits;
    std::vector<std::uint8_t> table, rows;
    int red;  // of the pixel at (1, 0)
  };
  const Case cases[] = {
      {4, table, {0x3F, 0, 0, 0}, 45},
      {24, {}, {1, 2, 3, 4, 5, 6, 0, 0}, 6},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.bits);
    const std::string path = dir.file("os2.bmp");
    test::writeFile(path, os2(2, 1, c.bits, c.table, c.rows));
    ASSERT_EQ(image.readBmp(path.c_str(), 5), 1) << lastMessage();
    EXPECT_EQ(image.header()->biSize, 40u);
    EXPECT_EQ(image.paletteSize, static_cast<int>(c.table.size() / 3 * 4));
    EXPECT_EQ(test::rgbAt(image, 1, 0)[0], c.red);
    if (c.bits == 4) {
      EXPECT_EQ(image.palette()[15].rgbRed, 45);
    }
  }
}

TEST_F(BmpTest, ShortAndForeignFilesGiveTheirMessages) {
  const std::string path = dir.file("short.bmp");
  test::writeFile(path, std::vector<std::uint8_t>(13, 'B'));
  EXPECT_EQ(image.readBmp(path.c_str(), 5), 0);
  EXPECT_EQ(lastMessage(), "Failed to read the bitmap header for " + path + ".");

  auto f = makeBmp(3, 2, 24, 0, {}, std::vector<std::uint8_t>(24, 0));
  f[0] = 'X';
  test::writeFile(path, f);
  EXPECT_EQ(image.readBmp(path.c_str(), 5), 0);
  EXPECT_EQ(lastMessage(), "Not a proper bitmap header!");

  f = makeBmp(3, 2, 24, 0, {}, std::vector<std::uint8_t>(24, 0));
  f.resize(54);  // truncated after the header
  test::writeFile(path, f);
  EXPECT_EQ(image.readBmp(path.c_str(), 5), 0);
  EXPECT_EQ(lastMessage(), "Failed to read 64 bytes from " + path + ".");
  EXPECT_EQ(image.dib, nullptr);

  EXPECT_EQ(image.readBmp(dir.file("absent.bmp").c_str(), 5), 0);
  EXPECT_NE(lastMessage().find("absent.bmp"), std::string::npos);
}

TEST_F(BmpTest, DamagedHeadersAreRefusedAndLeaveTheImageEmpty) {
  const std::vector<std::uint8_t> rows24(24, 1);
  struct Case {
    const char* what;
    std::vector<std::uint8_t> bytes;
  };
  std::vector<Case> cases;
  cases.push_back({"zero width", makeBmp(0, 2, 24, 0, {}, rows24)});
  cases.push_back({"negative width", makeBmp(-3, 2, 24, 0, {}, rows24)});
  cases.push_back({"zero height", makeBmp(3, 0, 24, 0, {}, rows24)});
  cases.push_back({"bit count 7", makeBmp(3, 2, 7, 0, {}, rows24)});
  cases.push_back({"more rows than the file holds", makeBmp(3, 200, 24, 0, {}, rows24)});
  cases.push_back({"header size below 16", makeBmp(3, 2, 24, 0, {}, rows24, 0, 14)});
  cases.push_back({"header size beyond the block", makeBmp(3, 2, 24, 0, {}, rows24, 0, 5000)});
  cases.push_back({"colour count beyond the block", makeBmp(3, 2, 8, 0x40000000, {}, rows24)});
  cases.push_back({"huge width", makeBmp(0x7FFFFFFF, 1, 32, 0, {}, rows24)});
  cases.push_back({"size field below the headers", makeBmp(3, 2, 24, 0, {}, rows24, -80)});
  auto rle = makeBmp(4, 4, 8, 0, grayTable(true), {4, 1, 0, 0, 4});  // stream ends mid-picture
  rle[30] = 1;                                                       // compression RLE8
  cases.push_back({"truncated run-length rows", rle});
  auto huge = makeBmp(40000, 40000, 8, 0, grayTable(true), {0, 1});  // a tiny stream for 1.6 GB of rows
  huge[30] = 1;
  cases.push_back({"run-length rows far beyond their data", huge});
  auto jpeg = makeBmp(3, 2, 24, 0, {}, rows24);
  jpeg[30] = 4;  // compression JPEG
  cases.push_back({"embedded JPEG", jpeg});

  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const std::string path = dir.file("bad.bmp");
    test::writeFile(path, c.bytes);
    messages.clear();
    EXPECT_EQ(image.readBmp(path.c_str(), 5), 0);
    EXPECT_EQ(image.dib, nullptr);
    EXPECT_EQ(image.width, 0);
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_NE(lastMessage().find(path), std::string::npos) << lastMessage();
  }
}

TEST_F(BmpTest, RunLengthRowsExpandToPlainRows) {
  // RLE8: a run of 3 of index 5, an absolute run 1 2 3, end of line, delta (1, 1),
  // a run of 2 of index 9, end of bitmap.
  const std::vector<std::uint8_t> stream = {3, 5, 0, 3, 1, 2, 3, 0, 0, 0, 0, 2, 1, 1, 2, 9, 0, 1};
  auto f = makeBmp(6, 3, 8, 0, grayTable(true), stream);
  f[30] = 1;
  test::writeFile(dir.file("rle.bmp"), f);
  ASSERT_EQ(image.readBmp(dir.file("rle.bmp").c_str(), 5), 1) << lastMessage();
  EXPECT_EQ(image.header()->biCompression, 0u);
  EXPECT_EQ(image.bitsSize, 8 * 3);
  const std::uint8_t expected[3][6] = {{5, 5, 5, 1, 2, 3}, {0, 0, 0, 0, 0, 0}, {0, 0, 0, 0, 0, 0}};
  const std::uint8_t lastRow[6] = {0, 9, 9, 0, 0, 0};
  for (int x = 0; x < 6; ++x) {
    EXPECT_EQ(image.bits()[x], expected[0][x]) << x;
    EXPECT_EQ(image.bits()[8 + x], expected[1][x]) << x;
    EXPECT_EQ(image.bits()[16 + x], lastRow[x]) << x;
  }
  // RLE4: run of 5 alternating 1 and 2, end of bitmap.
  std::vector<std::uint8_t> table16(64, 0);
  auto g = makeBmp(5, 1, 4, 16, table16, {5, 0x12, 0, 1});
  g[30] = 2;
  test::writeFile(dir.file("rle4.bmp"), g);
  ASSERT_EQ(image.readBmp(dir.file("rle4.bmp").c_str(), 5), 1) << lastMessage();
  EXPECT_EQ(image.bits()[0], 0x12);
  EXPECT_EQ(image.bits()[1], 0x12);
  EXPECT_EQ(image.bits()[2], 0x10);
}

TEST_F(BmpTest, WritingGivesBackTheSameBytes) {
  if (!test::haveTool("convert")) GTEST_SKIP() << "imagemagick missing";
  for (const char* args : {"rose:", "rose: -colors 16 -compress none", "rose: -monochrome"}) {
    SCOPED_TRACE(args);
    const std::string original = dir.file("orig.bmp");
    std::string log;
    ASSERT_EQ(test::run(test::convertTool() + " " + args + " BMP3:" + original, &log), 0) << log;
    ASSERT_EQ(image.readBmp(original.c_str(), 5), 1);
    const std::string copy = dir.file("copy.bmp");
    ASSERT_EQ(image.writeBmp(copy.c_str()), 1) << lastMessage();
    EXPECT_EQ(test::readFile(copy), test::readFile(original));
  }
  // A long-header file is written back as a sound 40-byte file.
  std::string log;
  ASSERT_EQ(test::run(test::convertTool() + " rose: " + dir.file("long.bmp"), &log), 0) << log;
  ASSERT_EQ(image.readBmp(dir.file("long.bmp").c_str(), 5), 1);
  ASSERT_EQ(image.writeBmp(dir.file("short.bmp").c_str()), 1);
  const auto bytes = test::readFile(dir.file("short.bmp"));
  ASSERT_EQ(bytes.size(), 54u + 212 * 46);
  EXPECT_EQ(bytes[14], 40);
  EXPECT_EQ(test::maxChannelDifference(test::decodeWithImagemagick(dir.file("short.bmp")),
                                       test::decodeWithImagemagick(dir.file("long.bmp"))),
            0);
}

TEST_F(BmpTest, AFailedWriteLeavesTheOldFileIntact) {
  test::writeFile(dir.file("big.bmp"), makeBmp(300, 300, 24, 0, {}, std::vector<std::uint8_t>(900 * 300, 3)));
  ASSERT_EQ(image.readBmp(dir.file("big.bmp").c_str(), 5), 1);
  const std::string target = dir.file("target.bmp");
  const std::vector<std::uint8_t> old = {'o', 'l', 'd'};
  test::writeFile(target, old);

  // A file-size limit makes the write fail part way.
  rlimit saved{};
  ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
  auto previous = std::signal(SIGXFSZ, SIG_IGN);
  rlimit small = saved;
  small.rlim_cur = 10000;
  ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
  const int result = image.writeBmp(target.c_str());
  setrlimit(RLIMIT_FSIZE, &saved);
  std::signal(SIGXFSZ, previous);

  EXPECT_EQ(result, 0);
  EXPECT_FALSE(lastMessage().empty());
  EXPECT_EQ(test::readFile(target), old);
  int entries = 0;
  for (const auto& e : std::filesystem::directory_iterator(dir.path())) entries += e.is_regular_file();
  EXPECT_EQ(entries, 2) << "the temporary file was not removed";

  ASSERT_EQ(image.writeBmp(target.c_str()), 1);
  EXPECT_EQ(test::readFile(target), test::readFile(dir.file("big.bmp")));
}

}  // namespace
}  // namespace orlim
