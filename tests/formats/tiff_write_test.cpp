#include <gtest/gtest.h>
#include <tiffio.h>

#include <string>
#include <vector>

#include "format_fixtures.h"
#include "image/Image.h"
#include "image/fixtures.h"

namespace orlim {
namespace {

using test::shellOk;
using test::shellQuoted;

class TiffWriteTest : public ::testing::Test {
 protected:
  void SetUp() override { log.attach(image); }
  int save(const std::string& path, int compression, int quality = 75, const char* description = nullptr,
           const char* software = nullptr, int append = 0) {
    return image.writeTiff(path.c_str(), compression, quality, description, software, append);
  }
  std::string tiffinfo(const std::string& path) {
    std::string out;
    EXPECT_EQ(test::run("tiffinfo -D " + shellQuoted(path) + " >/dev/null", &out), 0) << out;
    return out;
  }
  int pagesOf(const std::string& path) {
    std::string out;
    test::run("tiffinfo " + shellQuoted(path) + " | grep -c 'TIFF Directory'", &out);
    return std::atoi(out.c_str());
  }
  // Opens the first page of `path` with libtiff to look at its tags.
  struct Opened {
    TIFF* tif;
    explicit Opened(const std::string& path) : tif(TIFFOpen(path.c_str(), "r")) {}
    ~Opened() {
      if (tif) TIFFClose(tif);
    }
  };

  test::TempDir dir;
  Image image;
  test::MessageLog log;
};

TEST_F(TiffWriteTest, EveryAcceptedCompressionReadsRightInPeers) {
  if (!test::haveTool("tiffinfo") || !test::haveTool("convert")) GTEST_SKIP() << "libtiff-tools or imagemagick missing";
  // Colour maps hold byte x 256, which peers scale back by 257: off by one at most.
  const struct {
    int bits;
    bool gray;
    int compression;
    int tolerance;
  } cases[] = {
      {1, false, COMPRESSION_NONE, 0},
      {1, false, COMPRESSION_CCITTRLE, 0},
      {1, false, COMPRESSION_CCITTFAX3, 0},
      {1, false, COMPRESSION_CCITTFAX4, 0},
      {1, false, COMPRESSION_CCITTRLEW, 0},
      {1, false, COMPRESSION_LZW, 0},
      {4, false, COMPRESSION_PACKBITS, 1},
      {8, false, COMPRESSION_LZW, 1},
      {8, true, COMPRESSION_DEFLATE, 0},
      {8, true, COMPRESSION_ADOBE_DEFLATE, 0},
      {8, true, COMPRESSION_JPEG, 3},
      {24, false, COMPRESSION_NONE, 0},
      {24, false, COMPRESSION_LZW, 0},
      {24, false, COMPRESSION_PACKBITS, 0},
      {24, false, COMPRESSION_ADOBE_DEFLATE, 0},
  };
  for (const auto& c : cases) {
    test::makePicture(image, 37, 21, c.bits, kRowsBottomUp, 5);
    if (c.bits == 1) {
      image.palette()[0] = RGBQUAD{255, 255, 255, 0};
      image.palette()[1] = RGBQUAD{0, 0, 0, 0};
      image.photometric = 0;
    }
    if (c.gray) {
      test::setGrayRamp(image);
      // Smooth rows, so that the lossy case can be compared closely.
      for (int r = 0; r < image.height; ++r)
        for (int x = 0; x < image.width; ++x) image.bits()[r * image.stride + x] = static_cast<std::uint8_t>(4 * r + x);
    }
    const test::RgbPicture seen = test::toRgb(image);
    std::string name = "c";
    name += std::to_string(c.compression);
    name += "-";
    name += std::to_string(c.bits);
    const std::string path = dir.file(name + ".tif");
    ASSERT_EQ(save(path, c.compression, 100), 1) << c.compression << ": " << log.last();
    tiffinfo(path);
    const int diff = test::maxChannelDifference(test::decodeWithImagemagick(path), seen);
    EXPECT_GE(diff, 0) << c.compression << "/" << c.bits;
    EXPECT_LE(diff, c.tolerance) << c.compression << "/" << c.bits;
    Opened opened(path);
    uint16_t compression = 0;
    TIFFGetField(opened.tif, TIFFTAG_COMPRESSION, &compression);
    EXPECT_EQ(compression, c.compression);
  }
  EXPECT_TRUE(log.messages.empty()) << log.last();
}

TEST_F(TiffWriteTest, UncompressedStripsEndWithAShortOne) {
  // 3000-byte rows make two-row strips; five rows leave a last strip of one.
  test::makePicture(image, 1000, 5, 24, kRowsBottomUp, 3);
  const test::RgbPicture seen = test::toRgb(image);
  const std::string path = dir.file("s.tif");
  ASSERT_EQ(save(path, COMPRESSION_NONE), 1) << log.last();
  Opened opened(path);
  EXPECT_EQ(TIFFNumberOfStrips(opened.tif), 3u);
  std::vector<std::uint8_t> rows;
  std::vector<std::uint8_t> line(3000);
  for (uint32_t r = 0; r < 5; ++r) {
    ASSERT_EQ(TIFFReadScanline(opened.tif, line.data(), r, 0), 1);
    rows.insert(rows.end(), line.begin(), line.end());
  }
  EXPECT_EQ(rows, seen.rgb);
}

TEST_F(TiffWriteTest, RefusedCompressionsTouchNothing) {
  const std::string path = dir.file("r.tif");
  const struct {
    int bits;
    bool gray;
    int compression;
    const char* message;
  } cases[] = {
      {8, true, COMPRESSION_CCITTRLE, "CCITT RLE encoding is only supported for bi-tonal images."},
      {8, true, COMPRESSION_CCITTFAX3, "CCITT G3 encoding is only supported for bi-tonal images."},
      {8, true, COMPRESSION_CCITTFAX4, "CCITT G4 encoding is only supported for bi-tonal images."},
      {24, false, COMPRESSION_CCITTRLEW, "CCITT RLEW encoding is only supported for bi-tonal images."},
      {8, false, COMPRESSION_JPEG, "JPEG compression is only supported for 24-bit color and 8-bit gray scale images."},
      {1, false, COMPRESSION_OJPEG, "JPEG compression is only supported for 24-bit color and 8-bit gray scale images."},
      {24, false, COMPRESSION_NEXT, "NeXT 2-bit RLE encoding is not supported."},
      {24, false, COMPRESSION_THUNDERSCAN, "ThunderScan RLE encoding is not supported."},
      {24, false, COMPRESSION_PIXARFILM, "Pixar companded 10bit LZW compression is not supported."},
      {24, false, COMPRESSION_PIXARLOG, "Pixar companded 11bit ZIP compression is not supported."},
      {24, false, COMPRESSION_DCS, "Kodak DCS encoding is not supported."},
      {1, false, COMPRESSION_JBIG, "ISO JBIG encoding is not supported."},
  };
  for (const auto& c : cases) {
    test::makePicture(image, 9, 4, c.bits, kRowsTopDown, 2);
    if (c.gray) test::setGrayRamp(image);
    EXPECT_EQ(save(path, c.compression), 0) << c.compression;
    EXPECT_EQ(log.last(), c.message);
    EXPECT_EQ(image.rowOrder, kRowsTopDown);
    EXPECT_FALSE(test::fileExists(path));
  }
  test::makePicture(image, 9, 4, 32);
  EXPECT_EQ(save(path, COMPRESSION_NONE), 0);
  EXPECT_EQ(log.last(), "TIFF saving not supported for this color depth.");
  EXPECT_TRUE(test::filesIn(dir.path()).empty());
}

TEST_F(TiffWriteTest, LibraryRefusalsKeepTheOldFile) {
  const std::string path = dir.file("keep.tif");
  test::writeFile(path, {'o', 'l', 'd'});
  test::makePicture(image, 9, 4, 24);
  test::BoxLog boxes;
  // An unknown scheme passes our check and libtiff's tag; libtiff refuses to
  // encode the first row.
  EXPECT_EQ(save(path, 12345), 0);
  ASSERT_FALSE(boxes.boxes.empty());
  EXPECT_EQ(boxes.boxes[0].icon, MessageIcon::Error);
  EXPECT_NE(boxes.boxes[0].text.find("12345"), std::string::npos);
  EXPECT_EQ(boxes.boxes[0].caption, path + " Error");  // the target's name, not the temporary file's
  EXPECT_EQ(log.last(), "Failed to write TIFF scan line (row 1).");
  // Old-style JPEG is accepted but libtiff cannot encode it: no quality is set
  // and the first row fails.
  test::makePicture(image, 9, 4, 8);
  test::setGrayRamp(image);
  EXPECT_EQ(save(path, COMPRESSION_OJPEG), 0);
  EXPECT_EQ(log.last(), "Failed to write TIFF scan line (row 1).");
  EXPECT_EQ(test::readFile(path), (std::vector<std::uint8_t>{'o', 'l', 'd'}));
  EXPECT_EQ(test::filesIn(dir.path()), std::vector<std::string>{"keep.tif"});
}

TEST_F(TiffWriteTest, JpegQualityReachesTheCodec) {
  test::makePicture(image, 64, 64, 24, kRowsBottomUp, 8);
  const std::string low = dir.file("low.tif"), high = dir.file("high.tif");
  ASSERT_EQ(save(low, COMPRESSION_JPEG, 10), 1) << log.last();
  ASSERT_EQ(save(high, COMPRESSION_JPEG, 95), 1) << log.last();
  EXPECT_LT(test::readFile(low).size() * 2, test::readFile(high).size());
  Opened opened(low);
  uint16_t photometric = 0;
  TIFFGetField(opened.tif, TIFFTAG_PHOTOMETRIC, &photometric);
  EXPECT_EQ(photometric, PHOTOMETRIC_RGB);  // raw colour mode: no YCbCr conversion
}

TEST_F(TiffWriteTest, GrayIsWrittenMinIsBlackAndColorRedFirst) {
  test::makePicture(image, 5, 3, 8, kRowsBottomUp, 4);
  for (int i = 0; i < 256; ++i) image.palette()[i] = RGBQUAD{BYTE(255 - i), BYTE(255 - i), BYTE(255 - i), 0};
  image.isGray = image.isGrayPalette();
  ASSERT_EQ(image.photometric, 0);
  const test::RgbPicture seen = test::toRgb(image);
  test::ProgressLog progress;
  progress.attach(image);
  const std::string path = dir.file("g.tif");
  ASSERT_EQ(save(path, COMPRESSION_NONE), 1);
  EXPECT_EQ(progress.reports.front(), (std::pair<std::string, int>{"Reversing the photometric...", 0}));
  EXPECT_EQ(image.photometric, 1);
  {
    Opened opened(path);
    uint16_t photometric = 9;
    TIFFGetField(opened.tif, TIFFTAG_PHOTOMETRIC, &photometric);
    EXPECT_EQ(photometric, PHOTOMETRIC_MINISBLACK);
    std::vector<std::uint8_t> line(5);
    TIFFReadScanline(opened.tif, line.data(), 0, 0);
    for (int x = 0; x < 5; ++x) EXPECT_EQ(line[x], seen.rgb[3 * x]);
  }
  test::makePicture(image, 2, 2, 24, kRowsTopDown, 4);
  const test::RgbPicture color = test::toRgb(image);
  ASSERT_EQ(save(path, COMPRESSION_NONE), 1);
  EXPECT_EQ(image.rowOrder, kRowsBottomUp);
  Opened opened(path);
  std::vector<std::uint8_t> line(6);
  TIFFReadScanline(opened.tif, line.data(), 0, 0);
  EXPECT_EQ(line, std::vector<std::uint8_t>(color.rgb.begin(), color.rgb.begin() + 6));
}

TEST_F(TiffWriteTest, OptionalTagsAreWrittenOnlyWhenGiven) {
  test::makePicture(image, 4, 4, 24);
  image.xResolution = 0;
  image.yResolution = 0;
  image.resolutionUnit = 0;  // as a resize leaves it
  const std::string path = dir.file("t.tif");
  ASSERT_EQ(save(path, COMPRESSION_NONE, 75, nullptr, "ORLIM test"), 1);
  EXPECT_TRUE(log.messages.empty()) << log.last();
  {
    Opened opened(path);
    float x = 0, y = 0;
    uint16_t unit = 0;
    char* text = nullptr;
    EXPECT_EQ(TIFFGetField(opened.tif, TIFFTAG_XRESOLUTION, &x), 0);
    EXPECT_EQ(TIFFGetField(opened.tif, TIFFTAG_YRESOLUTION, &y), 0);
    EXPECT_EQ(TIFFGetField(opened.tif, TIFFTAG_RESOLUTIONUNIT, &unit), 1);
    EXPECT_EQ(unit, RESUNIT_NONE);
    EXPECT_EQ(TIFFGetField(opened.tif, TIFFTAG_IMAGEDESCRIPTION, &text), 0);
    ASSERT_EQ(TIFFGetField(opened.tif, TIFFTAG_SOFTWARE, &text), 1);
    EXPECT_STREQ(text, "ORLIM test");
    uint16_t orientation = 0;
    EXPECT_EQ(TIFFGetField(opened.tif, TIFFTAG_ORIENTATION, &orientation), 1);
    EXPECT_EQ(orientation, ORIENTATION_TOPLEFT);
  }
  image.xResolution = 200;
  image.yResolution = 300;
  image.resolutionUnit = 3;
  ASSERT_EQ(save(path, COMPRESSION_NONE, 75, ""), 1);
  Opened opened(path);
  float x = 0, y = 0;
  uint16_t unit = 0;
  EXPECT_EQ(TIFFGetField(opened.tif, TIFFTAG_XRESOLUTION, &x), 1);
  EXPECT_EQ(TIFFGetField(opened.tif, TIFFTAG_YRESOLUTION, &y), 1);
  EXPECT_EQ(TIFFGetField(opened.tif, TIFFTAG_RESOLUTIONUNIT, &unit), 1);
  EXPECT_EQ(x, 200.0f);
  EXPECT_EQ(y, 300.0f);
  EXPECT_EQ(unit, RESUNIT_CENTIMETER);
  char* text = nullptr;
  ASSERT_EQ(TIFFGetField(opened.tif, TIFFTAG_IMAGEDESCRIPTION, &text), 1);
  EXPECT_STREQ(text, "");
}

TEST_F(TiffWriteTest, ColorMapsAreWrittenScaledForEveryTable) {
  test::makePicture(image, 4, 2, 4, kRowsBottomUp, 6, 5);  // five entries of sixteen
  const std::string path = dir.file("m.tif");
  ASSERT_EQ(save(path, COMPRESSION_NONE), 1);
  Opened opened(path);
  uint16_t *red = nullptr, *green = nullptr, *blue = nullptr;
  ASSERT_EQ(TIFFGetField(opened.tif, TIFFTAG_COLORMAP, &red, &green, &blue), 1);
  for (int i = 0; i < 16; ++i) {
    const int expected = i < 5 ? image.palette()[i].rgbRed * 256 : 0;
    EXPECT_EQ(red[i], expected) << i;
  }
}

TEST_F(TiffWriteTest, AppendingAddsALastPage) {
  if (!test::haveTool("tiffcp") || !test::haveTool("convert")) GTEST_SKIP() << "libtiff-tools or imagemagick missing";
  const std::string a = dir.file("a.tif"), b = dir.file("b.tif"), two = dir.file("two.tif");
  ASSERT_TRUE(shellOk(test::convertTool() + " -size 3x3 xc:red " + shellQuoted(a)));
  ASSERT_TRUE(shellOk(test::convertTool() + " -size 4x4 xc:lime " + shellQuoted(b)));
  ASSERT_TRUE(shellOk("tiffcp " + shellQuoted(a) + " " + shellQuoted(b) + " " + shellQuoted(two)));
  test::makePicture(image, 11, 7, 1);
  ASSERT_EQ(save(two, COMPRESSION_CCITTFAX4, 75, nullptr, nullptr, 1), 1) << log.last();
  EXPECT_EQ(pagesOf(two), 3);
  tiffinfo(two);
  Image back;
  ASSERT_EQ(back.readTiff(two.c_str(), 2, kLayoutPackedDib), 1);
  EXPECT_EQ(back.width, 11);
  EXPECT_EQ(back.pageCount, 3);
  // Appending to a file that is not there creates it.
  const std::string fresh = dir.file("fresh.tif");
  ASSERT_EQ(save(fresh, COMPRESSION_NONE, 75, nullptr, nullptr, 1), 1) << log.last();
  EXPECT_EQ(pagesOf(fresh), 1);
  // A failed append leaves the file as it was.
  const std::vector<std::uint8_t> before = test::readFile(two);
  test::makePicture(image, 11, 7, 24);
  EXPECT_EQ(save(two, 12345, 75, nullptr, nullptr, 1), 0);
  EXPECT_EQ(test::readFile(two), before);
}

TEST_F(TiffWriteTest, ProgressEveryFivePercent) {
  test::makePicture(image, 10, 40, 24);
  test::ProgressLog progress;
  progress.attach(image);
  ASSERT_EQ(save(dir.file("p.tif"), COMPRESSION_LZW), 1);
  EXPECT_EQ(progress.percentsOf("Creating TIFF image..."), test::everyFifthPercent());
  EXPECT_EQ(progress.reports.size(), 20u);
}

TEST_F(TiffWriteTest, RoundTripThroughOurReader) {
  for (int bits : {1, 4, 8, 24}) {
    test::makePicture(image, 13, 6, bits, kRowsBottomUp, 12);
    if (bits == 1) image.photometric = 3;
    const test::RgbPicture seen = test::toRgb(image);
    const std::string path = dir.file("rt.tif");
    ASSERT_EQ(save(path, COMPRESSION_LZW), 1) << bits;
    Image back;
    ASSERT_EQ(back.readTiff(path.c_str(), 0, kLayoutPackedDib), 1);
    EXPECT_EQ(back.bitsPerPixel, bits);
    EXPECT_EQ(test::toRgb(back).rgb, seen.rgb) << bits;
  }
}

}  // namespace
}  // namespace orlim
