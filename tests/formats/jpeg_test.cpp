#include <gtest/gtest.h>

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

class JpegTest : public ::testing::Test {
 protected:
  void SetUp() override { log.attach(image); }
  std::string make(const std::string& name, const std::string& args) {
    const std::string path = dir.file(name);
    EXPECT_TRUE(shellOk(test::convertTool() + " " + args + " " + shellQuoted(path)));
    return path;
  }
  int read(const std::string& path, int depth = 24) { return image.readJpeg(path.c_str(), depth, 0, kLayoutPackedDib); }
  test::RgbPicture djpeg(const std::string& path, const std::string& options = "") {
    const std::string out = path + ".pnm";
    EXPECT_TRUE(shellOk("djpeg -dct int " + options + " -outfile " + shellQuoted(out) + " " + shellQuoted(path)));
    return test::readNetpbm255(out);
  }
  // Rewrites the JFIF density of a file that starts with a JFIF APP0 segment.
  void setDensity(const std::string& path, int unit, int x, int y) {
    std::vector<std::uint8_t> f = test::readFile(path);
    ASSERT_EQ(std::string(f.begin() + 6, f.begin() + 10), "JFIF");
    f[13] = static_cast<std::uint8_t>(unit);
    f[14] = static_cast<std::uint8_t>(x >> 8);
    f[15] = static_cast<std::uint8_t>(x);
    f[16] = static_cast<std::uint8_t>(y >> 8);
    f[17] = static_cast<std::uint8_t>(y);
    test::writeFile(path, f);
  }

  test::TempDir dir;
  Image image;
  test::MessageLog log;
};

TEST_F(JpegTest, PeerFilesGiveDjpegsPixels) {
  SKIP_WITHOUT_TOOLS("convert", "djpeg");
  const struct {
    const char* args;
    int bits;
    int photometric;
  } cases[] = {
      {"rose:", 24, 2},
      {"rose: -interlace JPEG", 24, 2},  // progressive
      {"rose: -colorspace gray", 8, 1},
      {"rose: -colorspace gray -interlace JPEG", 8, 1},
      {"rose: -sampling-factor 1x1 -quality 95", 24, 2},
  };
  for (const auto& c : cases) {
    const std::string path = make("a.jpg", c.args);
    ASSERT_EQ(read(path), 1) << c.args << ": " << log.last();
    EXPECT_EQ(image.bitsPerPixel, c.bits) << c.args;
    EXPECT_EQ(image.photometric, c.photometric) << c.args;
    EXPECT_EQ(image.isGray, c.bits == 8 ? 1 : 0) << c.args;
    EXPECT_EQ(image.rowOrder, kRowsBottomUp);
    EXPECT_EQ(test::maxChannelDifference(djpeg(path), test::toRgb(image)), 0) << c.args;
  }
}

TEST_F(JpegTest, QuantizedReadMatchesDjpegsTwoPassDither) {
  SKIP_WITHOUT_TOOLS("convert", "djpeg");
  const std::string path = make("a.jpg", "rose:");
  ASSERT_EQ(read(path, 8), 1) << log.last();
  EXPECT_EQ(image.bitsPerPixel, 8);
  EXPECT_EQ(image.sourceBitsPerPixel, 24);
  EXPECT_EQ(image.photometric, 3);
  EXPECT_EQ(image.paletteSize, 1024);
  EXPECT_EQ(test::maxChannelDifference(djpeg(path, "-colors 256"), test::toRgb(image)), 0);
}

TEST_F(JpegTest, QuantizedTableEndsInZeros) {
  SKIP_WITHOUT_TOOLS("convert");
  // A picture of four colours quantises to a handful of entries; the rest stay zero.
  const std::string path = make("q.jpg", "-size 16x16 xc:red xc:blue +append -quality 100");
  ASSERT_EQ(read(path, 8), 1) << log.last();
  int lastNonZero = -1;
  for (int i = 0; i < 256; ++i) {
    const RGBQUAD& e = image.palette()[i];
    if (e.rgbRed || e.rgbGreen || e.rgbBlue) lastNonZero = i;
  }
  EXPECT_GT(lastNonZero, 0);
  EXPECT_LT(lastNonZero, 255);
}

TEST_F(JpegTest, CmykFilesBecomeRgb) {
  SKIP_WITHOUT_TOOLS("convert");
  // imagemagick writes Adobe's inverted CMYK.
  const std::string path = make("c.jpg", "rose: -colorspace cmyk -quality 100");
  ASSERT_EQ(read(path), 1) << log.last();
  EXPECT_EQ(image.bitsPerPixel, 24);
  EXPECT_EQ(image.sourceBitsPerPixel, 32);
  EXPECT_EQ(image.photometric, 2);
  const int diff = test::maxChannelDifference(test::decodeWithImagemagick(path), test::toRgb(image));
  EXPECT_GE(diff, 0);
  EXPECT_LE(diff, 2);
}

TEST_F(JpegTest, DensityUnitsMapToResolution) {
  SKIP_WITHOUT_TOOLS("convert", "cjpeg");
  const std::string path = dir.file("d.jpg");
  ASSERT_TRUE(shellOk(test::convertTool() + " rose: ppm:- | cjpeg -outfile " + shellQuoted(path)));
  const struct {
    int unit, x, y;
    int xResolution, yResolution, resolutionUnit;
    int pelsX, pelsY;
  } cases[] = {
      {1, 300, 300, 300, 300, 2, 11811, 11811},
      {2, 100, 40, 254, 102, 3, 10000, 4000},
      {0, 1, 1, 0, 0, 1, 0, 0},
      {7, 72, 72, 0, 0, 1, 0, 0},
  };
  for (const auto& c : cases) {
    setDensity(path, c.unit, c.x, c.y);
    ASSERT_EQ(read(path), 1) << log.last();
    EXPECT_EQ(image.xResolution, c.xResolution) << c.unit;
    EXPECT_EQ(image.yResolution, c.yResolution) << c.unit;
    EXPECT_EQ(image.resolutionUnit, c.resolutionUnit) << c.unit;
    EXPECT_EQ(image.header()->biXPelsPerMeter, c.pelsX) << c.unit;
    EXPECT_EQ(image.header()->biYPelsPerMeter, c.pelsY) << c.unit;
  }
}

TEST_F(JpegTest, LibraryErrorsEndTheReadWithTheFixedMessage) {
  SKIP_WITHOUT_TOOLS("convert");
  const std::string path = make("t.jpg", "rose:");
  std::vector<std::uint8_t> bytes = test::readFile(path);
  bytes.resize(120);  // inside the tables, before any scan
  test::writeFile(path, bytes);
  EXPECT_EQ(read(path), 0);
  EXPECT_EQ(log.last(), "Failed to set up JPEG error handling.");
  test::writeFile(path, {'n', 'o', 't', ' ', 'j', 'p', 'e', 'g'});
  EXPECT_EQ(read(path), 0);
  EXPECT_EQ(log.last(), "Failed to set up JPEG error handling.");
  const std::string missing = dir.file("missing.jpg");
  EXPECT_EQ(read(missing), 0);
  EXPECT_EQ(log.last(), "Failed to open " + missing + ".");
}

class JpegWriteTest : public JpegTest {
 protected:
  static void writePpm(const std::string& path, const test::RgbPicture& pic) {
    const std::string header = "P6\n" + std::to_string(pic.width) + " " + std::to_string(pic.height) + "\n255\n";
    std::vector<std::uint8_t> bytes(header.begin(), header.end());
    bytes.insert(bytes.end(), pic.rgb.begin(), pic.rgb.end());
    test::writeFile(path, bytes);
  }
  std::string save(int quality = 75, int smoothing = 0, const char* comment = nullptr, const char* name = "o.jpg") {
    const std::string path = dir.file(name);
    EXPECT_EQ(image.writeJpeg(path.c_str(), quality, smoothing, 0, 0, comment), 1) << log.last();
    return path;
  }
  std::string identify(const std::string& path, const std::string& format) {
    std::string out;
    EXPECT_EQ(test::run("identify -format '" + format + "' " + shellQuoted(path), &out), 0) << out;
    return out;
  }
};

TEST_F(JpegWriteTest, QualityCommentAndDensityShowInPeers) {
  SKIP_WITHOUT_TOOLS("identify", "rdjpgcom");
  test::makePicture(image, 32, 16, 24, kRowsBottomUp, 3);
  image.xResolution = 200;
  image.yResolution = 100;
  image.resolutionUnit = 2;
  std::string path = save(150, 0, "made by the test");
  EXPECT_EQ(identify(path, "%Q %x %y %U"), "75 200 100 PixelsPerInch");
  std::string comment;
  ASSERT_EQ(test::run("rdjpgcom " + shellQuoted(path), &comment), 0);
  EXPECT_EQ(comment, "made by the test\n");
  EXPECT_EQ(identify(save(-1), "%Q"), "75");
  EXPECT_EQ(identify(save(30), "%Q"), "30");
  image.resolutionUnit = 3;
  EXPECT_EQ(identify(save(), "%U"), "PixelsPerCentimeter");
}

TEST_F(JpegWriteTest, DefaultsWhereTheArgumentsSayNothing) {
  SKIP_WITHOUT_TOOLS("rdjpgcom");
  test::makePicture(image, 32, 16, 24, kRowsBottomUp, 3);
  image.xResolution = image.yResolution = 1;
  image.resolutionUnit = 2;
  const std::string plain = save(75, 0, "", "plain.jpg");
  std::string comment;
  ASSERT_EQ(test::run("rdjpgcom " + shellQuoted(plain), &comment), 0);
  EXPECT_EQ(comment, "");  // no comment marker for an empty comment
  // The library's default density: unit 0, 1 x 1.
  const std::vector<std::uint8_t> f = test::readFile(plain);
  EXPECT_EQ((std::vector<int>{f[13], f[14], f[15], f[16], f[17]}), (std::vector<int>{0, 0, 1, 0, 1}));
  // Smoothing outside 0..100 means none.
  EXPECT_EQ(test::readFile(save(75, 101, "", "smooth.jpg")), f);
  EXPECT_NE(test::readFile(save(75, 50, "", "smooth50.jpg")), f);
}

TEST_F(JpegWriteTest, DepthDecidesComponentsAndProgress) {
  SKIP_WITHOUT_TOOLS("identify", "cjpeg", "djpeg");
  const struct {
    int bits;
    const char* firstReport;
    const char* colorspace;
  } cases[] = {
      {1, "Converting to gray scale...", "Gray"},
      {4, "Increasing the color depth...", "sRGB"},
      {8, "Increasing the color depth...", "sRGB"},
      {24, nullptr, "sRGB"},
  };
  for (const auto& c : cases) {
    test::makePicture(image, 20, 40, c.bits, kRowsBottomUp, 4);
    if (c.bits == 1) {
      image.palette()[0] = RGBQUAD{255, 255, 255, 0};
      image.palette()[1] = RGBQUAD{0, 0, 0, 0};
    }
    test::ProgressLog progress;
    progress.attach(image);
    const test::RgbPicture seen = test::toRgb(image);
    const std::string path = save(100);
    EXPECT_EQ(identify(path, "%[colorspace]"), c.colorspace) << c.bits;
    if (c.firstReport) {
      EXPECT_EQ(progress.reports.front().first, c.firstReport) << c.bits;
    }
    EXPECT_EQ(progress.percentsOf("Creating JPEG image..."), test::everyFifthPercent()) << c.bits;
    // cjpeg given the picture as seen at the same settings decodes to the same pixels.
    const std::string reference = dir.file("ref.jpg");
    writePpm(dir.file("seen.ppm"), seen);
    ASSERT_TRUE(shellOk("cjpeg -quality 100 -dct int " + std::string(c.bits == 1 ? "-grayscale " : "") + "-outfile " +
                        shellQuoted(reference) + " " + shellQuoted(dir.file("seen.ppm"))));
    EXPECT_EQ(test::maxChannelDifference(djpeg(path), djpeg(reference)), 0) << c.bits;
  }
}

TEST_F(JpegWriteTest, GrayPicturesAreWrittenMinIsBlack) {
  SKIP_WITHOUT_TOOLS("djpeg");
  test::makePicture(image, 16, 8, 8, kRowsTopDown, 2);
  for (int i = 0; i < 256; ++i) image.palette()[i] = RGBQUAD{BYTE(255 - i), BYTE(255 - i), BYTE(255 - i), 0};
  // Smooth rows compress almost losslessly, so the pixels can be compared closely.
  for (int r = 0; r < 8; ++r) std::memset(image.bits() + r * image.stride, 30 * r, 16);
  image.isGray = image.isGrayPalette();
  const test::RgbPicture seen = test::toRgb(image);
  test::ProgressLog progress;
  progress.attach(image);
  const std::string path = save(100);
  EXPECT_EQ(progress.reports.front(), (std::pair<std::string, int>{"Reversing the photometric...", 0}));
  EXPECT_EQ(image.photometric, 1);
  EXPECT_EQ(image.rowOrder, kRowsBottomUp);  // the top-down picture was flipped in storage
  EXPECT_EQ(test::toRgb(image).rgb, seen.rgb);
  const int diff = test::maxChannelDifference(djpeg(path), seen);
  EXPECT_GE(diff, 0);
  EXPECT_LE(diff, 2);
}

TEST_F(JpegWriteTest, LibraryErrorsEndTheWriteWithoutHarm) {
  const std::string path = dir.file("keep.jpg");
  test::writeFile(path, {'o', 'l', 'd'});
  test::makePicture(image, 8, 8, 24);
  // An unknown DCT method.
  EXPECT_EQ(image.writeJpeg(path.c_str(), 75, 0, 0, 99, nullptr), 0);
  EXPECT_EQ(log.messages.size(), 1u);
  EXPECT_FALSE(log.last().empty());
  // A width beyond what the format can hold.
  test::makePicture(image, 70000, 1, 8);
  test::setGrayRamp(image);
  EXPECT_EQ(image.writeJpeg(path.c_str(), 75, 0, 0, 0, nullptr), 0);
  EXPECT_EQ(log.last(), "Maximum supported image dimension is 65500 pixels");
  EXPECT_EQ(test::readFile(path), (std::vector<std::uint8_t>{'o', 'l', 'd'}));
  EXPECT_EQ(test::filesIn(dir.path()), std::vector<std::string>{"keep.jpg"});
  // The process goes on and the next save works.
  test::makePicture(image, 8, 8, 24);
  EXPECT_EQ(image.writeJpeg(path.c_str(), 75, 0, 0, 0, nullptr), 1);
  test::makePicture(image, 8, 8, 32);
  EXPECT_EQ(image.writeJpeg(path.c_str(), 75, 0, 0, 0, nullptr), 0);
  EXPECT_EQ(log.last(), "JPEG saving not supported for this color depth.");
}

}  // namespace
}  // namespace orlim
