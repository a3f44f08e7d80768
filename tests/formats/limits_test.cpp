// Values at the edges of what the record can hold: resolutions that do not fit an
// int, and pictures whose block would pass the limit every reader shares.
#include <gtest/gtest.h>
#include <tiffio.h>

#include <cmath>
#include <functional>
#include <limits>

#include "format_fixtures.h"
#include "image/Image.h"
#include "image/block_gate.h"
#include "image/fixtures.h"
#include "image/resolution.h"

namespace orlim {
namespace {

using test::appendLe16;
using test::appendLe32;

TEST(ResolutionLimits, EveryConversionEndsInTheIntRange) {
  const double nan = std::numeric_limits<double>::quiet_NaN();
  struct Case {
    double in;
    int dpiFromPpm, ppmFromDpi, rounded;
  };
  const Case cases[] = {
      {0, 0, 0, 0},
      {3780, 96, 148818, 3780},
      {96, 2, 3779, 96},
      {-96, -2, -3780, -96},
      {nan, 0, 0, 0},
      {1e300, INT_MAX, INT_MAX, INT_MAX},
      {-1e300, INT_MIN, INT_MIN, INT_MIN},
      {3.8e9, 96520000, INT_MAX, INT_MAX},
      {double(INT_MAX), 54546085, INT_MAX, INT_MAX},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.in);
    EXPECT_EQ(dpiFromPixelsPerMeter(c.in), c.dpiFromPpm);
    EXPECT_EQ(pixelsPerMeterFromDpi(c.in), c.ppmFromDpi);
    EXPECT_EQ(roundedResolution(c.in), c.rounded);
  }
}

void writeTiff(const std::string& path, int width, int height, const std::function<void(TIFF*)>& tags) {
  TIFF* tif = TIFFOpen(path.c_str(), "w");
  ASSERT_NE(tif, nullptr);
  TIFFSetField(tif, TIFFTAG_IMAGEWIDTH, width);
  TIFFSetField(tif, TIFFTAG_IMAGELENGTH, height);
  TIFFSetField(tif, TIFFTAG_BITSPERSAMPLE, 8);
  TIFFSetField(tif, TIFFTAG_SAMPLESPERPIXEL, 3);
  TIFFSetField(tif, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_RGB);
  TIFFSetField(tif, TIFFTAG_ROWSPERSTRIP, height);
  tags(tif);
  std::vector<std::uint8_t> strip(std::size_t(width) * 3, 0x55);
  ASSERT_GE(TIFFWriteRawStrip(tif, 0, strip.data(), tmsize_t(strip.size())), 0);
  TIFFClose(tif);
}

// A resolution of 3.8e9 (found by fuzzing) and the largest a TIFF rational
// holds read as the int field's end, in the record and in the header's pixels
// per metre.
TEST(ResolutionLimits, TiffResolutionsBeyondIntAreClamped) {
  test::TempDir dir;
  struct Case {
    float x;
    int unit;
    int dpi, ppm;
  };
  const Case cases[] = {{0.0f, RESUNIT_INCH, 0, 0},
                        {3.8e9f, RESUNIT_INCH, INT_MAX, INT_MAX},
                        {4.0e9f, RESUNIT_CENTIMETER, INT_MAX, INT_MAX},
                        {4.0e9f, RESUNIT_NONE, INT_MAX, 0}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.x);
    const std::string path = dir.file("r.tif");
    writeTiff(path, 1, 1, [&](TIFF* t) {
      TIFFSetField(t, TIFFTAG_XRESOLUTION, c.x);
      TIFFSetField(t, TIFFTAG_YRESOLUTION, 72.0f);
      TIFFSetField(t, TIFFTAG_RESOLUTIONUNIT, c.unit);
    });
    Image image;
    ASSERT_EQ(image.readTiff(path.c_str(), 0, kLayoutPackedDib), 1);
    EXPECT_EQ(image.xResolution, c.dpi);
    EXPECT_EQ(image.header()->biXPelsPerMeter, c.ppm);
  }
}

// A picture without a header of its own gets one from its resolution when saved.
TEST(ResolutionLimits, BmpWriterClampsPixelsPerMeter) {
  test::TempDir dir;
  const std::string in = dir.file("in.pgm"), out = dir.file("out.bmp");
  test::writeFile(in, {'P', '5', ' ', '1', ' ', '1', ' ', '2', '5', '5', '\n', 7});
  Image image;
  ASSERT_EQ(image.readPnm(in.c_str(), kLayoutPackedDib), 1);
  for (const int dpi : {INT_MAX, INT_MIN, 0}) {
    SCOPED_TRACE(dpi);
    image.layout = 0;
    image.xResolution = image.yResolution = dpi;
    ASSERT_EQ(image.writeBmp(out.c_str()), 1);
    const auto bytes = test::readFile(out);
    std::int32_t ppm = 0;
    std::memcpy(&ppm, bytes.data() + 14 + 24, 4);
    EXPECT_EQ(ppm, dpi == 0 ? 0 : dpi > 0 ? INT_MAX : INT_MIN);
  }
}

std::vector<std::uint8_t> hugeBmp() {
  std::vector<std::uint8_t> f = {'B', 'M'};
  appendLe32(f, 14 + 40 + 8);
  appendLe32(f, 0);
  appendLe32(f, 54);
  for (std::uint32_t v : {40u, 0x7FFFFFFFu, 1u}) appendLe32(f, v);
  appendLe16(f, 1);
  appendLe16(f, 32);
  for (int i = 0; i < 6; ++i) appendLe32(f, 0);
  f.resize(f.size() + 8);
  return f;
}

// An 8 x 8 JPEG whose frame header then says 65000 x 65000.
std::vector<std::uint8_t> hugeJpeg(const test::TempDir& dir) {
  const std::string small = dir.file("small.jpg");
  EXPECT_TRUE(test::shellOk(test::convertTool() + " -size 8x8 xc:red " + test::shellQuoted(small)));
  std::vector<std::uint8_t> f = test::readFile(small);
  for (std::size_t i = 0; i + 9 < f.size(); ++i)
    if (f[i] == 0xFF && f[i + 1] == 0xC0) {
      f[i + 5] = f[i + 7] = 0xFD;
      f[i + 6] = f[i + 8] = 0xE8;
      break;
    }
  return f;
}

TEST(BlockLimit, EveryReaderRefusesABlockBeyondTheLimitInOneForm) {
  if (!test::haveTool("convert")) GTEST_SKIP() << "imagemagick missing";
  test::TempDir dir;
  const std::string tiff = dir.file("huge.tif");
  writeTiff(tiff, 60000, 60000, [](TIFF*) {});
  const std::string pnm = dir.file("huge.ppm"), bmp = dir.file("huge.bmp"), jpeg = dir.file("huge.jpg");
  test::writeFile(pnm,
                  {'P', '6', ' ', '5', '0', '0', '0', '0', ' ', '5', '0', '0', '0', '0', ' ', '2', '5', '5', '\n'});
  test::writeFile(bmp, hugeBmp());
  test::writeFile(jpeg, hugeJpeg(dir));
  struct Case {
    std::string path;
    std::function<int(Image&)> read;
    long long bytes;
  };
  const Case cases[] = {
      {bmp, [&](Image& im) { return im.readBmp(bmp.c_str(), kLayoutPackedDib); }, 40 + 4LL * 0x7FFFFFFF},
      {pnm, [&](Image& im) { return im.readPnm(pnm.c_str(), kLayoutPackedDib); }, 40 + 150000LL * 50000},
      {jpeg, [&](Image& im) { return im.readJpeg(jpeg.c_str(), 24, 0, kLayoutPackedDib); }, 40 + 195000LL * 65000},
      {tiff, [&](Image& im) { return im.readTiff(tiff.c_str(), 0, kLayoutPackedDib); }, 40 + 180000LL * 60000},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.path);
    Image image;
    test::MessageLog log;
    log.attach(image);
    EXPECT_EQ(c.read(image), 0);
    EXPECT_EQ(image.dib, nullptr);
    EXPECT_EQ(log.last(), "Cannot hold " + c.path + ": it needs a block of " + std::to_string(c.bytes) +
                              " bytes, more than the 2147483647 a picture can have.");
  }
}

TEST(BlockLimit, ShapesInsideTheLimitAndSizesThatAreNoPictures) {
  Image image;
  test::MessageLog log;
  log.attach(image);
  BlockShape shape;
  ASSERT_EQ(shapePictureBlock(image, "x", 5, 3, 4, 64, shape), 1);
  EXPECT_EQ(shape.stride, 4);
  EXPECT_EQ(shape.total, 40 + 64 + 12);
  EXPECT_EQ(shapePictureBlock(image, "x", 0, 0, 24, 0, shape), 1);  // a reduction may leave nothing
  EXPECT_EQ(shape.total, 40);
  for (const auto& [w, h, bits] : {std::tuple{-1LL, 1LL, 8}, {1LL, 1LL << 31, 8}, {2LL, 2LL, 7}}) {
    EXPECT_EQ(shapePictureBlock(image, "x", w, h, bits, 0, shape), 0);
    EXPECT_NE(log.last().find("is not a picture size"), std::string::npos) << log.last();
  }
  EXPECT_EQ(newPictureBlock(image, "x", kLargestPictureBlock + 1), nullptr);
  EXPECT_NE(log.last().find("Cannot hold x: it needs a block of 2147483648 bytes"), std::string::npos);
}

}  // namespace
}  // namespace orlim
