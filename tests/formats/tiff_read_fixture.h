// The fixture the TIFF reading tests share: a scratch folder, the image read,
// its messages, and files made through libtiff or imagemagick.
#pragma once

#include <gtest/gtest.h>
#include <tiffio.h>

#include <functional>
#include <string>
#include <vector>

#include "format_fixtures.h"
#include "image/Image.h"
#include "image/fixtures.h"

namespace orlim {

// Writes a one-strip file through libtiff with exactly the tags `tags` sets
// (besides width and height), so that files missing tags can be made.
inline void makeTiff(const std::string& path, int width, int height, const std::function<void(TIFF*)>& tags,
                     const std::vector<std::uint8_t>& rows) {
  TIFF* tif = TIFFOpen(path.c_str(), "w");
  ASSERT_NE(tif, nullptr);
  TIFFSetField(tif, TIFFTAG_IMAGEWIDTH, width);
  TIFFSetField(tif, TIFFTAG_IMAGELENGTH, height);
  tags(tif);
  const tmsize_t line = TIFFScanlineSize(tif);
  ASSERT_EQ(static_cast<std::size_t>(line * height), rows.size());
  std::vector<std::uint8_t> copy(rows);
  for (int r = 0; r < height; ++r) ASSERT_GE(TIFFWriteScanline(tif, copy.data() + r * line, r, 0), 0);
  TIFFClose(tif);
}

class TiffReadTest : public ::testing::Test {
 protected:
  void SetUp() override { log.attach(image); }
  int read(const std::string& path, int page = 0) { return image.readTiff(path.c_str(), page, kLayoutPackedDib); }
  std::string make(const std::string& name, const std::string& args) {
    const std::string path = dir.file(name);
    EXPECT_TRUE(test::shellOk(test::convertTool() + " " + args + " " + test::shellQuoted(path)));
    return path;
  }
  void expectLikeImagemagick(const std::string& path, int tolerance, const std::string& what) {
    const int diff = test::maxChannelDifference(test::decodeWithImagemagick(path), test::toRgb(image));
    EXPECT_GE(diff, 0) << what;
    EXPECT_LE(diff, tolerance) << what;
  }

  test::TempDir dir;
  Image image;
  test::MessageLog log;
};

}  // namespace orlim
