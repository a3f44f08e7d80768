#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <string>
#include <vector>

#include "format_fixtures.h"
#include "image/Image.h"
#include "image/fixtures.h"

namespace orlim {
namespace {

using test::shellOk;
using test::shellQuoted;

class PnmTest : public ::testing::Test {
 protected:
  void SetUp() override { log.attach(image); }

  std::string write(const std::string& name, const std::string& text) {
    const std::string path = dir.file(name);
    test::writeFile(path, std::vector<std::uint8_t>(text.begin(), text.end()));
    return path;
  }
  int read(const std::string& path) { return image.readPnm(path.c_str(), kLayoutPackedDib); }
  void expectRefused(const std::string& text, const std::string& message) {
    EXPECT_EQ(read(write("bad.pnm", text)), 0) << text;
    EXPECT_EQ(log.last(), message) << text;
    EXPECT_EQ(image.dib, nullptr);
    EXPECT_EQ(image.width, 0);
  }

  test::TempDir dir;
  Image image;
  test::MessageLog log;
};

TEST_F(PnmTest, PeerFilesGiveImagemagicksPixels) {
  if (!test::haveTool("convert")) GTEST_SKIP() << "imagemagick missing";
  const struct {
    const char* args;
    const char* name;
    int bits;
    int tolerance;  // 16-bit and 4-bit samples are scaled, imagemagick rounds its own way
  } cases[] = {
      {"rose: -monochrome", "a.pbm", 1, 0},
      {"rose: -colorspace gray", "b.pgm", 8, 0},
      {"rose:", "c.ppm", 24, 0},
      {"rose: -colorspace gray -depth 16", "d.pgm", 8, 1},
      {"rose: -depth 16", "e.ppm", 24, 1},
      {"rose: -colorspace gray -depth 4", "f.pgm", 8, 1},
  };
  for (const auto& c : cases) {
    const std::string path = dir.file(c.name);
    ASSERT_TRUE(shellOk(test::convertTool() + " " + c.args + " " + shellQuoted(path)));
    ASSERT_EQ(read(path), 1) << c.name << ": " << log.last();
    EXPECT_EQ(image.bitsPerPixel, c.bits) << c.name;
    EXPECT_EQ(image.rowOrder, kRowsBottomUp);
    EXPECT_EQ(image.header()->biHeight, image.height);
    const int diff = test::maxChannelDifference(test::decodeWithImagemagick(path), test::toRgb(image));
    EXPECT_GE(diff, 0) << c.name;
    EXPECT_LE(diff, c.tolerance) << c.name;
  }
}

TEST_F(PnmTest, DescriptionOfEachMember) {
  ASSERT_EQ(read(write("a.pgm", "P5\n3 2\n255\n" + std::string("\x00\x10\x20\x30\x40\x50", 6))), 1);
  EXPECT_EQ(image.paletteSize, 1024);
  EXPECT_EQ(image.photometric, 1);
  EXPECT_EQ(image.isGray, 1);
  EXPECT_EQ(image.stride, 4);
  EXPECT_EQ(image.bitsSize, 8);
  EXPECT_EQ(image.pageCount, 1);
  EXPECT_EQ(image.xResolution, 0);
  // The file's first row is the picture's top row, stored last.
  EXPECT_EQ(image.bits()[image.stride + 0], 0x00);
  EXPECT_EQ(image.bits()[0], 0x30);

  ASSERT_EQ(read(write("b.ppm", "P6 1 2 255\n" + std::string("\x01\x02\x03\x04\x05\x06", 6))), 1);
  EXPECT_EQ(image.paletteSize, 0);
  EXPECT_EQ(image.photometric, 2);
  const std::uint8_t* top = image.bits() + image.stride;
  EXPECT_EQ((std::vector<int>{top[0], top[1], top[2]}), (std::vector<int>{3, 2, 1}));  // blue, green, red

  // Width 10: two bytes per file row, stored in 4-byte rows with every file bit kept.
  ASSERT_EQ(read(write("c.pbm", "P4\n10 1\n" + std::string("\xA5\xFF", 2))), 1);
  EXPECT_EQ(image.stride, 4);
  EXPECT_EQ(image.photometric, 0);
  EXPECT_EQ(image.bits()[0], 0xA5);
  EXPECT_EQ(image.bits()[1], 0xFF);
  EXPECT_EQ(image.palette()[0].rgbRed, 255);
  EXPECT_EQ(image.palette()[1].rgbRed, 0);
}

TEST_F(PnmTest, LayoutOtherThanPackedDibLeavesHeaderZero) {
  const std::string path = write("a.pgm", "P5 2 1 255 ab");
  ASSERT_EQ(image.readPnm(path.c_str(), 0), 1);
  EXPECT_EQ(image.layout, kLayoutPackedDib);
  const std::vector<std::uint8_t> header(image.dib, image.dib + 40);
  EXPECT_EQ(header, std::vector<std::uint8_t>(40, 0));
}

TEST_F(PnmTest, CommentsAreSkippedWhereverTheyStand) {
  // After the magic, between numbers, straight after a digit (ending that number),
  // closed by a carriage return.
  ASSERT_EQ(read(write("a.pgm", "P5#c1\n2#c2\r#c3\n 1 #x\n255\nAB")), 1) << log.last();
  EXPECT_EQ(image.width, 2);
  EXPECT_EQ(image.height, 1);
  EXPECT_EQ(image.bits()[0], 'A');
  // A comment that runs into the end of the file ends the number with nothing.
  expectRefused("P5 2 1#comment", "The PNM file " + dir.file("bad.pnm") +
                                      " has no usable height (a number from 1 to 2147483647 is needed).");
}

TEST_F(PnmTest, ReadNumberByItself) {
  const std::string path = write("n.txt", "  #c\n 0042x 7#z\n9 #only");
  std::FILE* f = std::fopen(path.c_str(), "rb");
  ASSERT_NE(f, nullptr);
  EXPECT_EQ(image.readPnmNumber(f), 42);
  EXPECT_EQ(std::fgetc(f), ' ');  // the byte after "x" ends nothing: "x" was consumed
  EXPECT_EQ(image.readPnmNumber(f), 7);
  EXPECT_EQ(image.readPnmNumber(f), 9);
  EXPECT_EQ(image.readPnmNumber(f), 0);  // end of file in a comment
  std::fclose(f);
}

TEST_F(PnmTest, MagicAndHeaderNumbersAreChecked) {
  expectRefused("P3\n1 1\n255\n0 0 0\n", "Unsupported PNM format.");
  expectRefused("P1\n1 1\n0\n", "Unsupported PNM format.");
  expectRefused("PX\n1 1\n", "Unknown PNM format.");
  expectRefused("Q6\n1 1\n", "Unknown PNM format.");
  expectRefused("P", "Unknown PNM format.");
  const std::string name = dir.file("bad.pnm");
  expectRefused("P5 0 1 255\n",
                "The PNM file " + name + " has no usable width (a number from 1 to 2147483647 is needed).");
  expectRefused("P5 99999999999 1 255\n",
                "The PNM file " + name + " has no usable width (a number from 1 to 2147483647 is needed).");
  expectRefused("P6 1 0 255\n",
                "The PNM file " + name + " has no usable height (a number from 1 to 2147483647 is needed).");
  expectRefused("P5 1 1 0\nA",
                "The PNM file " + name + " has no usable maximum sample value (a number from 1 to 65535 is needed).");
  expectRefused("P5 1 1 65536\nAB",
                "The PNM file " + name + " has no usable maximum sample value (a number from 1 to 65535 is needed).");
  expectRefused("P6 50000 50000 255\n", "Cannot hold " + name +
                                            ": it needs a block of 7500000040 bytes, more than the 2147483647 a "
                                            "picture can have.");
}

TEST_F(PnmTest, ShortRasterIsRefusedOnItsLastRow) {
  // Two rows of 6 bytes, one byte missing.
  expectRefused("P6 2 2 255\n" + std::string(11, 'x'), "Expected a row of 6 bytes, but got 5.");
  // A header that promises far more than the file holds is refused the same way,
  // before anything is allocated.
  expectRefused("P5 40000 40000 255\n" + std::string(100, 'x'), "Expected a row of 40000 bytes, but got 100.");
}

TEST_F(PnmTest, SamplesAreScaledByTheMaximum) {
  // Maximum 15 (one byte per sample), then maximum 65535 (two bytes, big-endian).
  ASSERT_EQ(read(write("a.pgm", "P5 3 1 15\n" + std::string("\x00\x07\x0F", 3))), 1);
  EXPECT_EQ((std::vector<int>{image.bits()[0], image.bits()[1], image.bits()[2]}), (std::vector<int>{0, 119, 255}));
  ASSERT_EQ(read(write("b.pgm", "P5 2 1 65535\n" + std::string("\xFF\xFF\x80\x00", 4))), 1);
  EXPECT_EQ((std::vector<int>{image.bits()[0], image.bits()[1]}), (std::vector<int>{255, 128}));
  // A 16-bit colour pixel: red 0xFFFF, green 0, blue 0x8000, stored blue first.
  ASSERT_EQ(read(write("c.ppm", "P6 1 1 65535\n" + std::string("\xFF\xFF\x00\x00\x80\x00", 6))), 1);
  EXPECT_EQ((std::vector<int>{image.bits()[0], image.bits()[1], image.bits()[2]}), (std::vector<int>{128, 0, 255}));
  // A 16-bit file one sample short.
  expectRefused("P5 2 1 65535\n" + std::string("\xFF\xFF\x80", 3), "Expected a row of 4 bytes, but got 3.");
}

class PnmWriteTest : public PnmTest {
 protected:
  std::vector<std::uint8_t> save(const std::string& name = "out.pnm") {
    const std::string path = dir.file(name);
    EXPECT_EQ(image.writePnm(path.c_str()), 1) << log.last();
    return test::readFile(path);
  }
  static std::string headerOf(const std::vector<std::uint8_t>& file, std::size_t length) {
    return std::string(file.begin(), file.begin() + std::min(length, file.size()));
  }
};

TEST_F(PnmWriteTest, ColorPictureIsWrittenTopRowFirstAndStaysTopDown) {
  test::makePicture(image, 5, 3, 24, kRowsBottomUp, 7);
  const test::RgbPicture before = test::toRgb(image);
  const std::vector<std::uint8_t> file = save();
  const std::string header = "P6\n5 3\n255\n";
  ASSERT_EQ(headerOf(file, header.size()), header);
  EXPECT_EQ(std::vector<std::uint8_t>(file.begin() + header.size(), file.end()), before.rgb);
  EXPECT_EQ(image.rowOrder, kRowsTopDown);
  EXPECT_EQ(image.header()->biHeight, -3);
  EXPECT_EQ(test::toRgb(image).rgb, before.rgb);
}

TEST_F(PnmWriteTest, BitmapBytesFollowTheColorOfEntryZero) {
  test::makePicture(image, 12, 2, 1, kRowsTopDown, 3);
  image.photometric = 1;
  RGBQUAD* table = image.palette();
  table[0] = RGBQUAD{255, 255, 255, 0};
  table[1] = RGBQUAD{0, 0, 0, 0};
  const std::vector<std::uint8_t> stored = test::pixelBytes(image);  // 2 bytes per row
  std::vector<std::uint8_t> file = save();
  ASSERT_EQ(headerOf(file, 8), "P4\n12 2\n");
  EXPECT_EQ(std::vector<std::uint8_t>(file.begin() + 8, file.end()), stored);

  table[0] = RGBQUAD{0, 0, 0, 0};
  table[1] = RGBQUAD{255, 255, 255, 0};
  file = save();
  for (std::size_t i = 0; i < stored.size(); ++i) EXPECT_EQ(file[8 + i], std::uint8_t(~stored[i])) << i;
}

TEST_F(PnmWriteTest, MinIsWhiteIsReversedWithAProgressReport) {
  test::makePicture(image, 4, 200, 8, kRowsTopDown, 5);
  RGBQUAD* table = image.palette();
  for (int i = 0; i < 256; ++i) table[i] = RGBQUAD{BYTE(255 - i), BYTE(255 - i), BYTE(255 - i), 0};
  image.isGray = image.isGrayPalette();
  ASSERT_EQ(image.photometric, 0);
  const test::RgbPicture seen = test::toRgb(image);
  test::ProgressLog progress;
  progress.attach(image);
  const std::vector<std::uint8_t> file = save();
  ASSERT_FALSE(progress.reports.empty());
  EXPECT_EQ(progress.reports[0], (std::pair<std::string, int>{"Reversing the photometric...", 0}));
  EXPECT_EQ(progress.percentsOf("Saving to file..."), test::everyFifthPercent());
  EXPECT_EQ(progress.reports.size(), 21u);
  EXPECT_EQ(image.photometric, 1);
  const std::string header = "P5\n4 200\n255\n";
  ASSERT_EQ(headerOf(file, header.size()), header);
  for (int i = 0; i < 800; ++i) ASSERT_EQ(file[header.size() + i], seen.rgb[3 * i]) << i;
}

TEST_F(PnmWriteTest, IndexedAndDeepPicturesBecomeColor) {
  for (int bits : {4, 8}) {
    test::makePicture(image, 7, 3, bits, kRowsBottomUp, 9);
    const test::RgbPicture seen = test::toRgb(image);
    test::ProgressLog progress;
    progress.attach(image);
    const std::vector<std::uint8_t> file = save();
    const std::string header = "P6\n7 3\n255\n";
    ASSERT_EQ(headerOf(file, header.size()), header) << bits;
    EXPECT_EQ(std::vector<std::uint8_t>(file.begin() + header.size(), file.end()), seen.rgb) << bits;
    EXPECT_EQ(image.bitsPerPixel, bits);
    EXPECT_EQ(progress.reports.front().first, "Increasing the color depth...");
  }
}

TEST_F(PnmWriteTest, PeersReadOurFiles) {
  if (!test::haveTool("convert")) GTEST_SKIP() << "imagemagick missing";
  for (int bits : {1, 8, 24}) {
    test::makePicture(image, 9, 4, bits, kRowsBottomUp, 11);
    if (bits == 8) test::setGrayRamp(image);
    if (bits == 1) {
      image.palette()[0] = RGBQUAD{255, 255, 255, 0};
      image.palette()[1] = RGBQUAD{0, 0, 0, 0};
    }
    const test::RgbPicture seen = test::toRgb(image);
    const std::string path = dir.file("peer" + std::to_string(bits) + ".pnm");
    ASSERT_EQ(image.writePnm(path.c_str()), 1);
    EXPECT_EQ(test::maxChannelDifference(test::decodeWithImagemagick(path), seen), 0) << bits;
  }
}

TEST_F(PnmWriteTest, RefusalsLeaveTheOldFile) {
  const std::string path = write("keep.pnm", "old contents");
  test::makePicture(image, 3, 3, 32);
  EXPECT_EQ(image.writePnm(path.c_str()), 0);
  EXPECT_EQ(log.last(), "PNM saving not supported for this color depth.");
  test::makePicture(image, 3, 3, 24);
  const std::string missing = dir.file("no-such-folder/x.ppm");
  EXPECT_EQ(image.writePnm(missing.c_str()), 0);
  EXPECT_EQ(log.last(), "Failed to open " + missing + ".");
  EXPECT_EQ(test::readFile(path),
            std::vector<std::uint8_t>({'o', 'l', 'd', ' ', 'c', 'o', 'n', 't', 'e', 'n', 't', 's'}));
  EXPECT_EQ(test::filesIn(dir.path()), std::vector<std::string>{"keep.pnm"});
}

}  // namespace
}  // namespace orlim
