// Pages the row conversions alone would show wrong: separate planes, pages only
// libtiff's RGBA interface decodes, and a strip the codec decodes only in part.
#include <gtest/gtest.h>
#include <tiffio.h>

#include <string>
#include <vector>

#include "tiff_read_fixture.h"

namespace orlim {
namespace {

using test::shellOk;
using test::shellQuoted;

// A corpus file beside the project; empty when this checkout has none.
std::string corpusFile(const std::string& name) {
  const std::string path = std::string(ORLIM_SOURCE_DIR) + "/../shared/corpus/tiff/" + name;
  return test::fileExists(path) ? path : std::string();
}

class TiffDecodeTest : public TiffReadTest {
 protected:
  // libtiff's own decode, alpha put over white, as the peer to match.
  test::RgbPicture decodeWithTiff2rgba(const std::string& path) {
    const std::string rgba = dir.file("peer.tif"), flat = dir.file("peer.png");
    EXPECT_TRUE(shellOk("tiff2rgba " + shellQuoted(path) + " " + shellQuoted(rgba) + " && " + test::convertTool() +
                        " " + shellQuoted(rgba + "[0]") + " -background white -alpha remove -alpha off " +
                        shellQuoted(flat)));
    return test::decodeWithImagemagick(flat);
  }
  void expectLikeTiff2rgba(const std::string& path, int tolerance, const std::string& what) {
    ASSERT_EQ(read(path), 1) << what << ": " << log.last();
    EXPECT_EQ(image.bitsPerPixel, 24) << what;
    EXPECT_EQ(image.photometric, PHOTOMETRIC_RGB) << what;
    const int diff = test::maxChannelDifference(decodeWithTiff2rgba(path), test::toRgb(image));
    EXPECT_GE(diff, 0) << what;
    EXPECT_LE(diff, tolerance) << what;
  }
};

TEST_F(TiffDecodeTest, SeparatePlanesAreReadPlaneByPlane) {
  if (!test::haveTool("convert") || !test::haveTool("tiffcp")) GTEST_SKIP() << "imagemagick or tiffcp missing";
  const struct {
    const char* picture;  // imagemagick arguments
    const char* layout;   // tiffcp options that separate its planes; none: imagemagick did
    int tolerance;
  } cases[] = {
      {"rose:", "-p separate -c lzw -r 7", 0},
      {"rose:", "-p separate -t -w 16 -l 32 -c zip", 0},  // tiles partly outside the page
      {"rose: -depth 16 -interlace plane -compress lzw", nullptr, 1},
      {"rose: -colorspace cmyk", "-p separate -c lzw", 1},
      {"rose: -colorspace cmyk", "-p separate -t -w 32 -l 16", 1},
  };
  for (const auto& c : cases) {
    const std::string what = std::string(c.picture) + " / " + (c.layout ? c.layout : "");
    const std::string source = make("source.tif", c.picture);
    std::string path = source;
    if (c.layout) {
      path = dir.file("planes.tif");
      ASSERT_TRUE(shellOk(std::string("tiffcp ") + c.layout + " " + shellQuoted(source) + " " + shellQuoted(path)));
    }
    ASSERT_EQ(read(path), 1) << what << ": " << log.last();
    EXPECT_TRUE(log.messages.empty()) << what << ": " << log.last();
    EXPECT_EQ(image.bitsPerPixel, 24) << what;
    expectLikeImagemagick(source, c.tolerance, what);
  }
}

// Sample widths other than 1, 2, 4, 8 and 16 bits, contiguous or in planes.
TEST_F(TiffDecodeTest, OddSampleWidthsBecomeEightBitLevels) {
  if (!test::haveTool("convert")) GTEST_SKIP() << "imagemagick missing";
  const struct {
    const char* picture;
    int bits;
  } cases[] = {
      {"rose: -colorspace gray -depth 3 -compress lzw", 8},
      {"rose: -colorspace gray -depth 12", 8},
      {"rose: -depth 4", 24},
      {"rose: -depth 12", 24},
      {"rose: -depth 32", 24},
      {"rose: -depth 2 -interlace plane", 24},
      {"rose: -depth 10 -interlace plane -compress zip", 24},
  };
  for (const auto& c : cases) {
    const std::string path = make("odd.tif", c.picture);
    ASSERT_EQ(read(path), 1) << c.picture << ": " << log.last();
    EXPECT_EQ(image.bitsPerPixel, c.bits) << c.picture;
    expectLikeImagemagick(path, 1, c.picture);
  }
}

TEST_F(TiffDecodeTest, PagesOnlyLibtiffDecodesComeThroughItsRgbaInterface) {
  if (!test::haveTool("convert") || !test::haveTool("tiff2rgba")) GTEST_SKIP() << "imagemagick or tiff2rgba missing";
  const struct {
    const char* picture;  // imagemagick arguments
    int tolerance;
  } cases[] = {
      {"rose: -alpha set -channel A -fx 'i/w' +channel", 1},  // unassociated alpha
      {"rose: -alpha set -channel A -fx 'j/h' +channel -define tiff:alpha=associated", 1},
      {"rose: -colorspace gray -alpha set -channel A -fx 'i/w' +channel", 1},  // gray and alpha
      {"rose: -alpha set -channel A -fx 'i/w' +channel -depth 16 -compress zip", 1},
      {"rose: -colorspace Lab -compress none", 1},
  };
  for (const auto& c : cases) expectLikeTiff2rgba(make("rgba.tif", c.picture), c.tolerance, c.picture);
}

// 2 x 2 subsampled YCbCr in strips and tiles, uncompressed and LZW: libtiff's
// RGBA interface spreads the chroma; the row conversions would take the samples
// for RGB.
TEST_F(TiffDecodeTest, SubsampledYcbcrWithoutJpegIsDecodedByLibtiff) {
  if (!test::haveTool("convert") || !test::haveTool("tiff2rgba")) GTEST_SKIP() << "imagemagick or tiff2rgba missing";
  auto units = [](int blocks, int seed) {  // per 2 x 2 block: Y00 Y01 Y10 Y11 Cb Cr
    std::vector<std::uint8_t> out;
    for (int b = 0; b < blocks; ++b) {
      const int y = 30 + (seed * 41 + b * 7) % 190;
      out.insert(out.end(), {std::uint8_t(y), std::uint8_t(y + 6), std::uint8_t(y + 3), std::uint8_t(y + 9),
                             std::uint8_t(60 + (b * 13 + seed * 29) % 140), std::uint8_t(200 - (b * 11) % 150)});
    }
    return out;
  };
  for (bool tiled : {false, true}) {
    for (int compression : {COMPRESSION_NONE, COMPRESSION_LZW}) {
      const std::string path = dir.file("ycbcr.tif");
      TIFF* tif = TIFFOpen(path.c_str(), "w");
      ASSERT_NE(tif, nullptr);
      TIFFSetField(tif, TIFFTAG_IMAGEWIDTH, 32);
      TIFFSetField(tif, TIFFTAG_IMAGELENGTH, 20);  // the second row of tiles is partly outside
      TIFFSetField(tif, TIFFTAG_BITSPERSAMPLE, 8);
      TIFFSetField(tif, TIFFTAG_SAMPLESPERPIXEL, 3);
      TIFFSetField(tif, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_YCBCR);
      TIFFSetField(tif, TIFFTAG_YCBCRSUBSAMPLING, 2, 2);
      TIFFSetField(tif, TIFFTAG_COMPRESSION, compression);
      if (tiled) {
        TIFFSetField(tif, TIFFTAG_TILEWIDTH, 16);
        TIFFSetField(tif, TIFFTAG_TILELENGTH, 16);
        for (int t = 0; t < 4; ++t) {
          std::vector<std::uint8_t> tile = units(64, t);
          ASSERT_EQ(TIFFWriteEncodedTile(tif, t, tile.data(), 384), 384);
        }
      } else {
        TIFFSetField(tif, TIFFTAG_ROWSPERSTRIP, 4);
        for (int s = 0; s < 5; ++s) {
          std::vector<std::uint8_t> strip = units(32, s);
          ASSERT_EQ(TIFFWriteEncodedStrip(tif, s, strip.data(), 192), 192);
        }
      }
      TIFFClose(tif);
      expectLikeTiff2rgba(path, 0,
                          std::string(tiled ? "tiles" : "strips") + ", compression " + std::to_string(compression));
    }
  }
}

// Files no tool here writes: old-style JPEG and LogLuv, from the public corpus.
TEST_F(TiffDecodeTest, CorpusPagesOfOldJpegAndLogLuv) {
  if (!test::haveTool("convert") || !test::haveTool("tiff2rgba")) GTEST_SKIP() << "imagemagick or tiff2rgba missing";
  int found = 0;
  for (const char* name : {"image-tiff/libtiffpic__smallliz.tif", "libtiff/ojpeg_chewey_subsamp21_multi_strip.tiff",
                           "libtiff/ojpeg_single_strip_no_rowsperstrip.tiff", "image-tiff/libtiffpic__off_luv24.tif",
                           "image-tiff/libtiffpic__off_luv32.tif"}) {
    const std::string path = corpusFile(name);
    if (path.empty()) continue;
    ++found;
    expectLikeTiff2rgba(path, 1, name);
  }
  if (found == 0) GTEST_SKIP() << "no corpus beside the project";
}

// A page whose orientation is not top-left is turned upright after libtiff's
// decode as after the row conversions.
TEST_F(TiffDecodeTest, RgbaPagesFollowTheOrientationRules) {
  if (!test::haveTool("convert") || !test::haveTool("tiffset")) GTEST_SKIP() << "imagemagick or tiffset missing";
  const std::string path = make("o.tif", "rose: -alpha set -channel A -fx 'i/w' +channel");
  for (int orientation : {3, 6, 8}) {
    ASSERT_TRUE(shellOk("tiffset -s 274 " + std::to_string(orientation) + " " + shellQuoted(path)));
    const std::string upright = dir.file("upright.png");
    ASSERT_TRUE(shellOk(test::convertTool() + " " + shellQuoted(path) +
                        " -auto-orient -background white -alpha remove -alpha off " + shellQuoted(upright)));
    ASSERT_EQ(read(path), 1) << log.last();
    const int diff = test::maxChannelDifference(test::decodeWithImagemagick(upright), test::toRgb(image));
    EXPECT_GE(diff, 0) << orientation;
    EXPECT_LE(diff, 2) << orientation;
    EXPECT_EQ(image.rowOrder, orientation == 8 ? kRowsBottomUp : kRowsTopDown) << orientation;
  }
}

// A ThunderScan page whose last strip ends early: the rows decoded before the
// codec gave up are shown, as libtiff's RGBA reading shows them.
TEST_F(TiffDecodeTest, StripTheCodecGivesUpOnKeepsItsDecodedRows) {
  const std::string path = dir.file("thunder.tif");
  TIFF* tif = TIFFOpen(path.c_str(), "w");
  ASSERT_NE(tif, nullptr);
  TIFFSetField(tif, TIFFTAG_IMAGEWIDTH, 4);
  TIFFSetField(tif, TIFFTAG_IMAGELENGTH, 5);
  TIFFSetField(tif, TIFFTAG_BITSPERSAMPLE, 4);
  TIFFSetField(tif, TIFFTAG_SAMPLESPERPIXEL, 1);
  TIFFSetField(tif, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_MINISBLACK);
  TIFFSetField(tif, TIFFTAG_COMPRESSION, COMPRESSION_THUNDERSCAN);
  TIFFSetField(tif, TIFFTAG_ROWSPERSTRIP, 3);
  const std::uint8_t levels[5][4] = {{1, 2, 3, 4}, {5, 6, 7, 8}, {9, 10, 11, 15}, {14, 13, 12, 1}, {2, 3, 0, 0}};
  std::vector<std::uint8_t> codes[2];
  for (int y = 0; y < 5; ++y)
    for (int x = 0; x < (y == 4 ? 2 : 4); ++x) codes[y / 3].push_back(0xC0 | levels[y][x]);  // raw 4-bit pixels
  for (int s = 0; s < 2; ++s)
    ASSERT_EQ(TIFFWriteRawStrip(tif, s, codes[s].data(), static_cast<tmsize_t>(codes[s].size())),
              static_cast<tmsize_t>(codes[s].size()));
  TIFFClose(tif);

  test::BoxLog boxes;
  ASSERT_EQ(read(path), 1) << log.last();
  EXPECT_EQ(log.last(), "TIFF read error!");
  ASSERT_EQ(boxes.boxes.size(), 1u);  // libtiff's "Not enough data" came first, once
  EXPECT_NE(boxes.boxes[0].text.find("Not enough data"), std::string::npos) << boxes.boxes[0].text;
  for (int y = 0; y < 5; ++y)
    for (int x = 0; x < 4; ++x) EXPECT_EQ(test::rgbAt(image, x, y)[0], levels[y][x] * 17) << x << "," << y;
}

}  // namespace
}  // namespace orlim
