#include <gtest/gtest.h>
#include <tiffio.h>

#include <functional>
#include <string>
#include <vector>

#include "image/Image.h"
#include "image/fixtures.h"
#include "tiff_read_fixture.h"

namespace orlim {
namespace {

using test::shellOk;
using test::shellQuoted;

TEST_F(TiffReadTest, PeerFilesGiveImagemagicksPixels) {
  if (!test::haveTool("convert") || !test::haveTool("tiffcp")) GTEST_SKIP() << "imagemagick or tiffcp missing";
  const std::string rose = make("rose.tif", "rose: -compress none");
  const struct {
    const char* source;  // "convert ARGS" or "tiffcp ARGS" applied to rose.tif
    int bits;
    int photometric;
    int tolerance;
  } cases[] = {
      {"convert rose: -compress none", 24, 2, 0},
      {"convert rose: -compress lzw", 24, 2, 0},
      {"convert rose: -compress rle", 24, 2, 0},  // PackBits
      {"convert rose: -compress zip", 24, 2, 0},
      {"tiffcp -r 16 -c jpeg", 24, 2, 2},          // YCbCr, read through libtiff's RGB mode
      {"tiffcp -r 16 -c jpeg:r", 24, 2, 2},        // RGB components
      {"tiffcp -t -w 16 -l 32 -c lzw", 24, 2, 0},  // tiles, the last column and row partly outside
      {"tiffcp -t -w 32 -l 16 -c jpeg", 24, 2, 2},
      {"convert rose: -monochrome -compress fax", 1, 0, 0},
      {"convert rose: -monochrome -compress group4", 1, 0, 0},
      {"convert rose: -monochrome -compress group4 -define tiff:tile-geometry=16x16", 1, 0, 0},
      {"convert rose: -colors 12 -type palette -depth 4 -define tiff:tile-geometry=32x16", 4, 3, 0},
      {"convert rose: -monochrome -compress none -depth 1", 1, 1, 0},
      {"convert rose: -colors 200 -type palette", 8, 3, 1},  // 16-bit map: high byte against rounding
      {"convert rose: -colors 12 -type palette -depth 4", 4, 3, 0},
      {"convert rose: -colorspace gray -negate -compress none | tiffset -s 262 0", 8, 0, 0},
      {"convert rose: -colorspace gray", 8, 1, 0},
      {"convert rose: -colorspace gray -depth 16", 8, 1, 1},
      {"convert rose: -depth 16", 24, 2, 1},
      {"convert rose: -colorspace gray -depth 4", 4, 1, 0},
      {"convert rose: -colorspace gray -depth 2", 8, 1, 0},
  };
  for (const auto& c : cases) {
    const std::string path = dir.file("case.tif");
    const std::string source = c.source;
    // "| tiffset ..." changes a tag of the file afterwards.
    const std::size_t bar = source.find(" | ");
    const std::string make = source.substr(0, bar);
    const std::string command =
        make.rfind("tiffcp", 0) == 0 ? make + " " + shellQuoted(rose) : test::convertTool() + make.substr(7);
    ASSERT_TRUE(shellOk(command + " " + shellQuoted(path)));
    if (bar != std::string::npos) {
      ASSERT_TRUE(shellOk(source.substr(bar + 3) + " " + shellQuoted(path)));
    }
    ASSERT_EQ(read(path), 1) << c.source << ": " << log.last();
    EXPECT_EQ(image.bitsPerPixel, c.bits) << c.source;
    EXPECT_EQ(image.photometric, c.photometric) << c.source;
    EXPECT_EQ(image.isGray, c.bits == 8 && c.photometric < 2 ? 1 : 0) << c.source;
    expectLikeImagemagick(path, c.tolerance, c.source);
  }
}

TEST_F(TiffReadTest, CmykPeerFileFollowsTheMultiplicativeRule) {
  if (!test::haveTool("convert")) GTEST_SKIP() << "imagemagick missing";
  const std::string path = make("c.tif", "rose: -colorspace cmyk -compress lzw");
  const std::string raw = dir.file("c.cmyk");
  ASSERT_TRUE(shellOk(test::convertTool() + " " + shellQuoted(path) + " -depth 8 cmyk:" + shellQuoted(raw)));
  const std::vector<std::uint8_t> inks = test::readFile(raw);
  ASSERT_EQ(read(path), 1) << log.last();
  EXPECT_EQ(image.bitsPerPixel, 24);
  EXPECT_EQ(image.photometric, 2);
  const test::RgbPicture seen = test::toRgb(image);
  ASSERT_EQ(inks.size(), seen.rgb.size() / 3 * 4);
  auto light = [](int ink, int black) { return ((255 - ink) * (255 - black) + 127) / 255; };
  for (std::size_t i = 0; i < inks.size() / 4; ++i)
    for (int c = 0; c < 3; ++c) ASSERT_EQ(seen.rgb[3 * i + c], light(inks[4 * i + c], inks[4 * i + 3])) << i;
}

TEST_F(TiffReadTest, EveryOrientationShowsThePictureUpright) {
  if (!test::haveTool("convert") || !test::haveTool("tiffset")) GTEST_SKIP() << "imagemagick or tiffset missing";
  for (int bits : {1, 8, 24}) {
    const std::string args = bits == 1 ? "rose: -monochrome" : bits == 8 ? "rose: -colorspace gray" : "rose:";
    const std::string base = make("base.tif", args + " -compress none");
    for (int orientation = 1; orientation <= 8; ++orientation) {
      const std::string path = dir.file("o.tif"), raw = dir.file("upright.rgb");
      ASSERT_TRUE(shellOk("cp " + shellQuoted(base) + " " + shellQuoted(path) + " && tiffset -s 274 " +
                          std::to_string(orientation) + " " + shellQuoted(path) + " && " + test::convertTool() + " " +
                          shellQuoted(path) + " -auto-orient -depth 8 rgb:" + shellQuoted(raw)));
      ASSERT_EQ(read(path), 1) << log.last();
      test::RgbPicture upright;
      upright.width = orientation >= 5 ? 46 : 70;
      upright.height = orientation >= 5 ? 70 : 46;
      upright.rgb = test::readFile(raw);
      EXPECT_EQ(test::maxChannelDifference(upright, test::toRgb(image)), 0)
          << "orientation " << orientation << ", " << bits << " bits";
      const bool topDown =
          orientation == 3 || orientation == 4 || orientation == 5 || orientation == 6 || orientation == 7;
      EXPECT_EQ(image.rowOrder, topDown ? kRowsTopDown : kRowsBottomUp) << orientation;
      EXPECT_EQ(image.header()->biHeight, topDown ? -image.height : image.height) << orientation;
    }
  }
}

TEST_F(TiffReadTest, OrientationStorageDetails) {
  std::vector<std::uint8_t> rows(100 * 50);
  for (std::size_t i = 0; i < rows.size(); ++i) rows[i] = static_cast<std::uint8_t>(i * 7);
  auto gray = [](int orientation) {
    return [orientation](TIFF* t) {
      TIFFSetField(t, TIFFTAG_BITSPERSAMPLE, 8);
      TIFFSetField(t, TIFFTAG_SAMPLESPERPIXEL, 1);
      TIFFSetField(t, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_MINISBLACK);
      if (orientation) TIFFSetField(t, TIFFTAG_ORIENTATION, orientation);
    };
  };
  const std::string path = dir.file("o.tif");
  makeTiff(path, 100, 50, gray(0), rows);
  ASSERT_EQ(read(path), 1);
  EXPECT_EQ(image.rowOrder, kRowsBottomUp);
  const std::vector<std::uint8_t> plain = test::rowsOf(image);
  makeTiff(path, 100, 50, gray(4), rows);
  ASSERT_EQ(read(path), 1);
  EXPECT_EQ(image.rowOrder, kRowsTopDown);
  EXPECT_EQ(image.header()->biHeight, -50);
  EXPECT_EQ(test::rowsOf(image), plain);
  makeTiff(path, 100, 50, gray(6), rows);
  ASSERT_EQ(read(path), 1);
  EXPECT_EQ(image.width, 50);
  EXPECT_EQ(image.height, 100);
  EXPECT_EQ(image.rowOrder, kRowsTopDown);
  EXPECT_NE(image.symmetry, 0);
  EXPECT_EQ(image.header()->biHeight, -100);
}

TEST_F(TiffReadTest, PagesAreCountedAndChosen) {
  if (!test::haveTool("convert") || !test::haveTool("tiffcp")) GTEST_SKIP() << "imagemagick or tiffcp missing";
  const std::string a = make("a.tif", "-size 8x4 xc:red"), b = make("b.tif", "-size 6x5 xc:lime"),
                    c = make("c.tif", "-size 3x9 xc:blue");
  const std::string path = dir.file("three.tif");
  ASSERT_TRUE(
      shellOk("tiffcp " + shellQuoted(a) + " " + shellQuoted(b) + " " + shellQuoted(c) + " " + shellQuoted(path)));
  const struct { int asked, used, width; } cases[] = {{0, 0, 8}, {1, 1, 6}, {2, 2, 3}, {5, 0, 8}, {-1, 0, 8}};
  for (const auto& k : cases) {
    ASSERT_EQ(read(path, k.asked), 1) << log.last();
    EXPECT_EQ(image.pageCount, 3);
    EXPECT_EQ(image.pageIndex, k.used) << k.asked;
    EXPECT_EQ(image.width, k.width) << k.asked;
  }
}

TEST_F(TiffReadTest, MissingTagsTakeTheirDefaultsOrFail) {
  const std::string path = dir.file("t.tif");
  // Group 4 without BitsPerSample and SamplesPerPixel: a bitmap.
  makeTiff(path, 16, 2,
           [](TIFF* t) {
             TIFFSetField(t, TIFFTAG_COMPRESSION, COMPRESSION_CCITTFAX4);
             TIFFSetField(t, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_MINISWHITE);
           },
           {0xF0, 0x0F, 0x81, 0x18});
  ASSERT_EQ(read(path), 1) << log.last();
  EXPECT_EQ(image.bitsPerPixel, 1);
  EXPECT_EQ(test::rgbAt(image, 0, 0)[0], 0);  // a set bit is black
  EXPECT_EQ(test::rgbAt(image, 4, 0)[0], 255);
  EXPECT_EQ(image.bits()[0], 0x81);  // the file's last row is stored first

  // Uncompressed 8-bit gray without SamplesPerPixel reads; at 1 bit it does not.
  auto noSamples = [](int bits) {
    return [bits](TIFF* t) {
      TIFFSetField(t, TIFFTAG_BITSPERSAMPLE, bits);
      TIFFSetField(t, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_MINISBLACK);
    };
  };
  makeTiff(path, 4, 1, noSamples(8), {1, 2, 3, 4});
  ASSERT_EQ(read(path), 1) << log.last();
  EXPECT_EQ(image.bitsPerPixel, 8);
  makeTiff(path, 8, 1, noSamples(1), {0x55});
  EXPECT_EQ(read(path), 0);
  EXPECT_EQ(log.last(), "Failed to get TIFF samples per pixel.");
  EXPECT_EQ(image.dib, nullptr);

  // No BitsPerSample on an uncompressed page.
  makeTiff(path, 8, 1, [](TIFF* t) { TIFFSetField(t, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_MINISBLACK); }, {0x55});
  EXPECT_EQ(read(path), 0);
  EXPECT_EQ(log.last(), "Failed to get TIFF bits per sample.");
}

TEST_F(TiffReadTest, SampleLayoutsNeitherPathCanShowAreRefused) {
  const std::string path = dir.file("t.tif");
  // 4-bit RGBA: no row conversion, and libtiff's RGBA interface has none either.
  makeTiff(
      path, 4, 1,
      [](TIFF* t) {
        TIFFSetField(t, TIFFTAG_BITSPERSAMPLE, 4);
        TIFFSetField(t, TIFFTAG_SAMPLESPERPIXEL, 4);
        TIFFSetField(t, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_RGB);
        const uint16_t extra[] = {EXTRASAMPLE_ASSOCALPHA};
        TIFFSetField(t, TIFFTAG_EXTRASAMPLES, 1, extra);
      },
      std::vector<std::uint8_t>(8, 9));
  EXPECT_EQ(read(path), 0);
  EXPECT_EQ(log.last(), "Unsupported TIFF format. (Samples/pixel = 4, Photometric = 2)");
  EXPECT_EQ(image.dib, nullptr);

  // Half floats would be read as integers; libtiff cannot show them either.
  makeTiff(path, 2, 1,
           [](TIFF* t) {
             TIFFSetField(t, TIFFTAG_BITSPERSAMPLE, 16);
             TIFFSetField(t, TIFFTAG_SAMPLESPERPIXEL, 1);
             TIFFSetField(t, TIFFTAG_SAMPLEFORMAT, SAMPLEFORMAT_IEEEFP);
             TIFFSetField(t, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_MINISBLACK);
           },
           {0x00, 0x3C, 0x00, 0x38});
  EXPECT_EQ(read(path), 0);
  EXPECT_EQ(log.last(), "Unsupported TIFF format. (Bits/sample = 16, Samples/pixel = 1)");
  EXPECT_EQ(image.dib, nullptr);

  makeTiff(
      path, 2, 1,
      [](TIFF* t) {
        TIFFSetField(t, TIFFTAG_BITSPERSAMPLE, 64);
        TIFFSetField(t, TIFFTAG_SAMPLESPERPIXEL, 1);
        TIFFSetField(t, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_MINISBLACK);
      },
      std::vector<std::uint8_t>(16, 9));
  EXPECT_EQ(read(path), 0);
  EXPECT_EQ(log.last(), "Unsupported TIFF format. (Bits/sample = 64, Samples/pixel = 1)");
}

TEST_F(TiffReadTest, CmykInksDimTheLightTheyLetThrough) {
  const std::string path = dir.file("c.tif");
  makeTiff(path, 4, 1,
           [](TIFF* t) {
             TIFFSetField(t, TIFFTAG_BITSPERSAMPLE, 8);
             TIFFSetField(t, TIFFTAG_SAMPLESPERPIXEL, 4);
             TIFFSetField(t, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_SEPARATED);
           },
           {0, 0, 0, 255, 255, 0, 0, 0, 100, 50, 200, 100, 148, 149, 150, 151});
  ASSERT_EQ(read(path), 1) << log.last();
  EXPECT_EQ(test::rgbAt(image, 0, 0), (std::array<std::uint8_t, 3>{0, 0, 0}));
  EXPECT_EQ(test::rgbAt(image, 1, 0), (std::array<std::uint8_t, 3>{0, 255, 255}));
  // (255 - ink)(255 - black) / 255 rounded: mid-tones whose inks add past 255 stay gray.
  EXPECT_EQ(test::rgbAt(image, 2, 0), (std::array<std::uint8_t, 3>{94, 125, 33}));
  EXPECT_EQ(test::rgbAt(image, 3, 0), (std::array<std::uint8_t, 3>{44, 43, 43}));
  EXPECT_EQ(image.sourceBitsPerPixel, 24);
}

// The same inks give the same colours whether a JPEG or a TIFF holds them.
TEST_F(TiffReadTest, CmykMixesLikeTheJpegReader) {
  if (!test::haveTool("convert")) GTEST_SKIP() << "imagemagick missing";
  const std::string jpeg = dir.file("c.jpg"), raw = dir.file("c.cmyk");
  ASSERT_TRUE(shellOk(test::convertTool() + " rose: -colorspace cmyk -quality 100 " + shellQuoted(jpeg) + " && " +
                      test::convertTool() + " " + shellQuoted(jpeg) + " -depth 8 cmyk:" + shellQuoted(raw)));
  const std::string tiff = dir.file("c.tif");
  makeTiff(
      tiff, 70, 46,
      [](TIFF* t) {
        TIFFSetField(t, TIFFTAG_BITSPERSAMPLE, 8);
        TIFFSetField(t, TIFFTAG_SAMPLESPERPIXEL, 4);
        TIFFSetField(t, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_SEPARATED);
      },
      test::readFile(raw));
  ASSERT_EQ(read(tiff), 1) << log.last();
  const test::RgbPicture fromTiff = test::toRgb(image);
  ASSERT_EQ(image.readJpeg(jpeg.c_str(), 24, 0, kLayoutPackedDib), 1) << log.last();
  EXPECT_EQ(test::maxChannelDifference(fromTiff, test::toRgb(image)), 0);
}

TEST_F(TiffReadTest, ColorMapsOfEitherWidth) {
  const std::string path = dir.file("p.tif");
  for (bool wide : {true, false}) {
    makeTiff(path, 4, 1,
             [wide](TIFF* t) {
               TIFFSetField(t, TIFFTAG_BITSPERSAMPLE, 2);
               TIFFSetField(t, TIFFTAG_SAMPLESPERPIXEL, 1);
               TIFFSetField(t, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_PALETTE);
               std::vector<uint16_t> red = {0, 10, 200, 255}, green = {5, 20, 100, 0}, blue = {255, 30, 0, 7};
               if (wide)
                 for (auto* map : {&red, &green, &blue})
                   for (auto& v : *map) v = static_cast<uint16_t>(v * 257);
               TIFFSetField(t, TIFFTAG_COLORMAP, red.data(), green.data(), blue.data());
             },
             {0x1B});  // indexes 0, 1, 2, 3
    ASSERT_EQ(read(path), 1) << log.last();
    EXPECT_EQ(image.bitsPerPixel, 8) << wide;
    EXPECT_EQ(image.photometric, 3);
    EXPECT_EQ(test::rgbAt(image, 0, 0), (std::array<std::uint8_t, 3>{0, 5, 255})) << wide;
    EXPECT_EQ(test::rgbAt(image, 2, 0), (std::array<std::uint8_t, 3>{200, 100, 0})) << wide;
    EXPECT_EQ(test::rgbAt(image, 3, 0), (std::array<std::uint8_t, 3>{255, 0, 7})) << wide;
    EXPECT_EQ(image.palette()[4].rgbRed, 0);  // no entries beyond the map
  }
}

TEST_F(TiffReadTest, GrayRampsFollowThePhotometric) {
  const std::string path = dir.file("g.tif");
  const struct {
    int bits, photometric;
    std::uint8_t firstByte;
    int expectedBits, firstLevel, secondLevel;
  } cases[] = {
      {8, PHOTOMETRIC_MINISWHITE, 10, 8, 245, 245},  {8, PHOTOMETRIC_MINISBLACK, 10, 8, 10, 10},
      {4, PHOTOMETRIC_MINISBLACK, 0x1F, 4, 17, 255}, {4, PHOTOMETRIC_MINISWHITE, 0x1F, 4, 238, 0},
      {2, PHOTOMETRIC_MINISBLACK, 0x6C, 8, 85, 170}, {2, PHOTOMETRIC_MINISWHITE, 0x6C, 8, 170, 85},
  };
  for (const auto& c : cases) {
    makeTiff(
        path, 2, 1,
        [&](TIFF* t) {
          TIFFSetField(t, TIFFTAG_BITSPERSAMPLE, c.bits);
          TIFFSetField(t, TIFFTAG_SAMPLESPERPIXEL, 1);
          TIFFSetField(t, TIFFTAG_PHOTOMETRIC, c.photometric);
        },
        c.bits == 8 ? std::vector<std::uint8_t>{c.firstByte, c.firstByte} : std::vector<std::uint8_t>{c.firstByte});
    ASSERT_EQ(read(path), 1) << log.last();
    EXPECT_EQ(image.bitsPerPixel, c.expectedBits) << c.bits;
    EXPECT_EQ(image.photometric, c.photometric) << c.bits;
    EXPECT_EQ(image.isGray, c.expectedBits == 8 ? 1 : 0) << c.bits;
    EXPECT_EQ(test::rgbAt(image, 0, 0)[0], c.firstLevel) << c.bits << "/" << c.photometric;
    EXPECT_EQ(test::rgbAt(image, 1, 0)[0], c.secondLevel) << c.bits << "/" << c.photometric;
  }
}

TEST_F(TiffReadTest, ResolutionIsKeptInTheFilesUnit) {
  const std::string path = dir.file("r.tif");
  makeTiff(path, 2, 1,
           [](TIFF* t) {
             TIFFSetField(t, TIFFTAG_BITSPERSAMPLE, 8);
             TIFFSetField(t, TIFFTAG_SAMPLESPERPIXEL, 1);
             TIFFSetField(t, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_MINISBLACK);
             TIFFSetField(t, TIFFTAG_XRESOLUTION, 300.0f);
             TIFFSetField(t, TIFFTAG_YRESOLUTION, 149.6f);
             TIFFSetField(t, TIFFTAG_RESOLUTIONUNIT, RESUNIT_CENTIMETER);
           },
           {1, 2});
  ASSERT_EQ(read(path), 1);
  EXPECT_EQ(image.xResolution, 300);
  EXPECT_EQ(image.yResolution, 150);
  EXPECT_EQ(image.resolutionUnit, 3);
  EXPECT_EQ(image.header()->biXPelsPerMeter, 30000);
  EXPECT_EQ(image.header()->biYPelsPerMeter, 14960);
}

TEST_F(TiffReadTest, LibraryMessagesGoThroughTheHook) {
  // A tag libtiff does not know, registered only while writing.
  const std::string path = dir.file("u.tif");
  static const TIFFFieldInfo kPrivateTag[] = {
      {65000, -1, -1, TIFF_ASCII, FIELD_CUSTOM, 1, 0, const_cast<char*>("PrivateNote")}};
  makeTiff(path, 2, 1,
           [](TIFF* t) {
             TIFFMergeFieldInfo(t, kPrivateTag, 1);
             TIFFSetField(t, 65000, "note");
             TIFFSetField(t, TIFFTAG_BITSPERSAMPLE, 8);
             TIFFSetField(t, TIFFTAG_SAMPLESPERPIXEL, 1);
             TIFFSetField(t, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_MINISBLACK);
           },
           {1, 2});
  {
    test::BoxLog boxes;
    image.showWarnings = 0;
    ASSERT_EQ(read(path), 1);
    EXPECT_TRUE(boxes.boxes.empty());
    image.showWarnings = 1;
    ASSERT_EQ(read(path), 1);
    ASSERT_FALSE(boxes.boxes.empty());
    EXPECT_EQ(boxes.boxes[0].caption, "TIFFReadDirectory Error");
    EXPECT_EQ(boxes.boxes[0].icon, MessageIcon::Warning);
    EXPECT_NE(boxes.boxes[0].text.find("65000"), std::string::npos);
    EXPECT_TRUE(log.messages.empty());
  }
  {
    test::BoxLog boxes;
    const std::string bad = dir.file("bad.tif");
    test::writeFile(bad, {'I', 'I', 42, 0, 'x', 'x'});
    EXPECT_EQ(read(bad), 0);
    ASSERT_FALSE(boxes.boxes.empty());
    EXPECT_EQ(boxes.boxes[0].icon, MessageIcon::Error);
    EXPECT_NE(boxes.boxes[0].caption.find(" Error"), std::string::npos);
    EXPECT_EQ(log.last(), "Failed to open " + bad + ".");
  }
  // Without a hook nothing is shown, but the text still reaches messageBuffer.
  messageBuffer[0] = '\0';
  image.showWarnings = 1;
  ASSERT_EQ(read(path), 1);
  EXPECT_NE(std::string(messageBuffer).find("65000"), std::string::npos) << messageBuffer;
  test::writeFile(dir.file("x.tif"), {'M', 'M', 0, 7});
  EXPECT_EQ(read(dir.file("x.tif")), 0);
  EXPECT_EQ(log.last(), "Failed to open " + dir.file("x.tif") + ".");
}

TEST_F(TiffReadTest, DamagedStripStopsTheReadButKeepsTheRowsBeforeIt) {
  const std::string path = dir.file("s.tif");
  std::vector<std::uint8_t> rows(4 * 8);
  for (std::size_t i = 0; i < rows.size(); ++i) rows[i] = static_cast<std::uint8_t>(10 + i);
  makeTiff(
      path, 8, 4,
      [](TIFF* t) {
        TIFFSetField(t, TIFFTAG_BITSPERSAMPLE, 8);
        TIFFSetField(t, TIFFTAG_SAMPLESPERPIXEL, 1);
        TIFFSetField(t, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_MINISBLACK);
        TIFFSetField(t, TIFFTAG_COMPRESSION, COMPRESSION_LZW);
        TIFFSetField(t, TIFFTAG_ROWSPERSTRIP, 1);
      },
      rows);
  TIFF* tif = TIFFOpen(path.c_str(), "r");
  ASSERT_NE(tif, nullptr);
  const uint64_t* offsets = nullptr;
  ASSERT_EQ(TIFFGetField(tif, TIFFTAG_STRIPOFFSETS, &offsets), 1);
  const uint64_t third = offsets[2];
  TIFFClose(tif);
  std::vector<std::uint8_t> bytes = test::readFile(path);
  for (int i = 0; i < 4; ++i) bytes[third + i] = 0xFF;  // codes beyond the LZW table
  test::writeFile(path, bytes);

  test::BoxLog boxes;
  ASSERT_EQ(read(path), 1);
  EXPECT_EQ(log.last(), "TIFF read error!");
  EXPECT_FALSE(boxes.boxes.empty());  // libtiff's own report came first
  for (int y = 0; y < 4; ++y)
    for (int x = 0; x < 8; ++x) EXPECT_EQ(test::rgbAt(image, x, y)[0], y < 2 ? rows[8 * y + x] : 0) << x << "," << y;
}

}  // namespace
}  // namespace orlim
