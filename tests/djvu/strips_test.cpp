// The Image's strip rendering against ddjvu's own rendering of the same page.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>

#include "control/autofit.h"
#include "djvu_fixtures.h"

namespace orlim::test {
namespace {

class StripRendering : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!haveDjvuTools()) GTEST_SKIP() << "DjVuLibre tools or imagemagick missing";
    image.errorHandler = [this](const char* text) { errors.push_back(text); };
  }
  void load(const std::string& path) { ASSERT_EQ(image.loadHalfCodedDjvu(path.c_str(), kFileDjvu), 1) << lastError(); }
  std::string lastError() const { return errors.empty() ? "" : errors.back(); }

  Image image;
  std::vector<std::string> errors;
};

// Where the page carries foreground colours, the library's rendering of a part of
// the page differs by a unit or two here and there from its rendering of the whole
// (ddjvu -segment against ddjvu); each strip equals the library's own rendering of
// that part, and the whole raster stays within a small mean difference of ddjvu's.
TEST_F(StripRendering, CompoundLetterPageEqualsDdjvuStripByStripAtEveryDirectReduction) {
  const std::string& page = largeCompoundPage();
  load(page);
  for (int s : {1, 2, 3, 4, 6, 12}) {
    ASSERT_EQ(image.renderDjvuPage(DJVU_LAYER_COLOR, 24, 1 - s, 2.2f, kLayoutPackedDib, kFileDjvu), 1) << lastError();
    EXPECT_EQ(image.width, 2550 / s);
    EXPECT_EQ(image.height, 3300 / s);
    EXPECT_EQ(image.bitsPerPixel, 24);
    EXPECT_EQ(image.paletteSize, 0);
    const Reference ours = rasterOf(image);
    const double mean = meanDifference(ours, ddjvuRender(page, s, "", false));
    std::printf("compound page, subsample %d: mean difference to ddjvu %.5f\n", s, mean);
    EXPECT_LT(mean, 0.01);
    expectStripsEqualLibraryParts(image, page, s, 3);
  }
  EXPECT_NE(image.djvuPage, nullptr) << "renders keep the decoded page";
}

TEST_F(StripRendering, PhotoPageEqualsTheLibraryStripByStrip) {
  TempDir dir;
  const std::string page = makePhotoPage(dir, "photo", 410, 530);
  load(page);
  for (int s : {1, 2, 3, 4, 6, 12}) {
    ASSERT_EQ(image.renderDjvuPage(DJVU_LAYER_COLOR, 24, 1 - s, 2.2f, kLayoutPackedDib, kFileDjvu), 1) << lastError();
    EXPECT_EQ(image.width, 410 / s);
    EXPECT_EQ(image.height, 530 / s);
    expectStripsEqualLibraryParts(image, page, s);
    EXPECT_LT(meanDifference(rasterOf(image), ddjvuRender(page, s, "", false)), 0.05);
  }
}

TEST_F(StripRendering, PhotoPageWhoseReducedHeightLeavesOneRowJoinsWithoutSeams) {
  // 301 rows at full size: three strips and a two-row last strip starting at 299.
  TempDir dir;
  const std::string page = makePhotoPage(dir, "tall", 120, 301);
  load(page);
  ASSERT_EQ(image.renderDjvuPage(DJVU_LAYER_COLOR, 24, 0, 2.2f, kLayoutPackedDib, kFileDjvu), 1) << lastError();
  EXPECT_EQ(image.height, 301);
  expectStripsEqualLibraryParts(image, page, 1);
  // 903 / 3 = 301 rows at zoom -2 takes the same road at a reduction.
  const std::string taller = makePhotoPage(dir, "taller", 90, 903);
  load(taller);
  ASSERT_EQ(image.renderDjvuPage(DJVU_LAYER_COLOR, 24, -2, 2.2f, kLayoutPackedDib, kFileDjvu), 1) << lastError();
  EXPECT_EQ(image.height, 301);
  expectStripsEqualLibraryParts(image, taller, 3);
}

TEST_F(StripRendering, BitonalPageGoesThroughTheMaskTableAsGray) {
  TempDir dir;
  const std::string page = makeBitonalPage(dir, "bw", 333, 250, 300);
  load(page);
  for (int s : {1, 2, 3, 4, 6, 12}) {
    ASSERT_EQ(image.renderDjvuPage(DJVU_LAYER_COLOR, 24, 1 - s, 2.2f, kLayoutPackedDib, kFileDjvu), 1) << lastError();
    EXPECT_EQ(image.width, 333 / s);
    EXPECT_EQ(image.height, 250 / s);
    EXPECT_EQ(image.bitsPerPixel, 8);
    EXPECT_EQ(image.paletteSize, 1024);
    EXPECT_EQ(image.isGray, 1);
    EXPECT_EQ(image.palette()[200].rgbGreen, 200);
    const auto table = [s](std::uint8_t v) { return maskTable(v, s, DJVU_LAYER_COLOR); };
    expectSameAsReference(rasterOf(image), ddjvuRender(page, s, "", true), table, "bitonal s " + std::to_string(s));
  }
}

TEST_F(StripRendering, BlackAndWhiteKeepsOnlyFullyBlackPixels) {
  const std::string& page = largeCompoundPage();
  load(page);
  for (int s : {1, 4, 13}) {
    ASSERT_EQ(image.renderDjvuPage(DJVU_LAYER_BLACKANDWHITE, 8, 1 - s, 2.2f, kLayoutPackedDib, kFileDjvu), 1)
        << lastError();
    EXPECT_EQ(image.width, 2550 / s);
    EXPECT_EQ(image.height, 3300 / s);
    EXPECT_EQ(image.bitsPerPixel, 8);
    const auto table = [s](std::uint8_t v) { return maskTable(v, s, DJVU_LAYER_BLACKANDWHITE); };
    expectSameAsReference(rasterOf(image), ddjvuRender(page, s, "mask", true), table, "mask s " + std::to_string(s));
  }
}

// The scaled path renders 10 to 33 raster rows at a time at the reduction itself
// up to 15 (measured mean differences 0.002 or less, from the library's part-wise
// IW44 rendering) and beyond by averaging a rendering at a divisor (about 1.0).
TEST_F(StripRendering, ScaledPathLayersStayWithinAUnitOfDdjvu) {
  const std::string& page = largeCompoundPage();
  load(page);
  const struct {
    int layer;
    int zoom;
    const char* mode;
    double meanLimit;
  } cases[] = {
      {DJVU_LAYER_BACKGROUND, -2, "background", 0.01},  // f 3: 33-row strips
      {DJVU_LAYER_FOREGROUND, -2, "foreground", 0.01},
      {DJVU_LAYER_BACKGROUND, -9, "background", 0.01},  // f 10: 10-row strips
      {DJVU_LAYER_FOREGROUND, -9, "foreground", 0.01},
      {DJVU_LAYER_COLOR, -12, "", 0.01},  // zoom -12 takes the scaled road even for colour
      {DJVU_LAYER_COLOR, -15, "", 1.5},   // f 16: rendered at 8, then averaged by 2
  };
  for (const auto& c : cases) {
    const int f = 1 - c.zoom;
    ASSERT_EQ(image.renderDjvuPage(c.layer, 24, c.zoom, 2.2f, kLayoutPackedDib, kFileDjvu), 1) << lastError();
    EXPECT_EQ(image.width, 2550 / f);
    EXPECT_EQ(image.height, 3300 / f);
    const Reference ours = rasterOf(image), ref = ddjvuRender(page, f, c.mode, false);
    const double mean = meanDifference(ours, ref);
    EXPECT_LE(mean, c.meanLimit) << "layer " << c.layer << " f " << f;
    std::printf("scaled layer %d f %d: mean difference %.4f\n", c.layer, f, mean);
  }
}

TEST_F(StripRendering, RasterDescriptionAndHeaderOfA300DpiPage) {
  TempDir dir;
  const std::string page = makeCompoundPage(dir, "c", 240, 180, 300);
  load(page);
  EXPECT_EQ(image.width, 240) << "a load leaves the page size for the automatic zoom";
  EXPECT_EQ(image.dib, nullptr);
  for (int zoom : {5, 0, -3, -13}) {
    ASSERT_EQ(image.renderDjvuPage(DJVU_LAYER_COLOR, 24, zoom, 2.2f, kLayoutPackedDib, kFileDjvu), 1) << lastError();
    const int f = zoom < 0 ? 1 - zoom : 1;
    EXPECT_EQ(image.xResolution, 300) << "zoom " << zoom;
    EXPECT_EQ(image.yResolution, 300);
    EXPECT_EQ(image.fullWidth, 240);
    EXPECT_EQ(image.width, 240 / f);
    const BITMAPINFOHEADER& h = *image.header();
    EXPECT_EQ(h.biXPelsPerMeter, 11811);
    EXPECT_EQ(h.biWidth, image.width);
    EXPECT_EQ(h.biHeight, image.height) << "bottom-up rows";
    EXPECT_EQ(h.biBitCount, 24);
    EXPECT_EQ(int(h.biSizeImage), image.stride * image.height);
    EXPECT_EQ(image.stride, int(dibStride(image.width, 24)));
  }
}

TEST_F(StripRendering, DitheredColorPageMatchesDdjvuDitherAtTheSameDepth) {
  TempDir dir;
  const std::string page = makePhotoPage(dir, "p", 200, 230);
  load(page);
  ASSERT_EQ(image.renderDjvuPage(DJVU_LAYER_COLOR, 8, -1, 2.2f, kLayoutPackedDib, kFileDjvu), 1) << lastError();
  const Reference dithered = rasterOf(image);
  // The 216-colour cube has 6 levels per channel: multiples of 51.
  for (std::uint8_t v : dithered.bytes) ASSERT_EQ(v % 51, 0);
  ASSERT_EQ(image.renderDjvuPage(DJVU_LAYER_COLOR, 24, -1, 2.2f, kLayoutPackedDib, kFileDjvu), 1);
  EXPECT_LT(meanDifference(dithered, rasterOf(image)), 20.0);
}

TEST_F(StripRendering, Iw44ImagesRenderAsPixmapsAndMissingLayersAsWhite) {
  TempDir dir;
  for (bool gray : {false, true}) {
    const std::string file = makeIw44File(dir, gray ? "g" : "c", 150, 130, gray);
    load(file);
    ASSERT_EQ(image.renderDjvuPage(DJVU_LAYER_COLOR, 24, -1, 2.2f, kLayoutPackedDib, kFileIw44), 1) << lastError();
    EXPECT_EQ(image.bitsPerPixel, 24) << "gray IW44 still renders as a pixmap";
    expectStripsEqualLibraryParts(image, file, 2);
  }
  // An IW44 image has no foreground: the layer is a white picture of 8 bits.
  ASSERT_EQ(image.renderDjvuPage(DJVU_LAYER_FOREGROUND, 24, 0, 2.2f, kLayoutPackedDib, kFileIw44), 1) << lastError();
  EXPECT_EQ(image.bitsPerPixel, 8);
  const Reference white = rasterOf(image);
  for (std::uint8_t v : white.bytes) ASSERT_EQ(v, 255);
}

TEST_F(StripRendering, FailuresReportAndKeepThePage) {
  TempDir dir;
  EXPECT_EQ(image.loadHalfCodedDjvu(dir.file("missing.djvu").c_str(), kFileDjvu), 0);
  EXPECT_EQ(lastError(), "Failed to load half coded image.");
  EXPECT_EQ(image.djvuPage, nullptr);
  // A photo page has no mask: the sample area of BLACKANDWHITE fails, first in a
  // "DjVu error!" report through the same handler, then with the control's message.
  load(makePhotoPage(dir, "p", 64, 48));
  errors.clear();
  EXPECT_EQ(image.renderDjvuPage(DJVU_LAYER_BLACKANDWHITE, 24, 0, 2.2f, kLayoutPackedDib, kFileDjvu), 0);
  ASSERT_EQ(errors.size(), 2u);
  EXPECT_EQ(errors[0], "DjVu error!\n\nLine: 1000\nFile: libAPI\\libdjvu\nCause: djvu_render: djvu image is corrupted");
  EXPECT_EQ(errors[1], "Failed to render sample area.");
  EXPECT_NE(image.djvuPage, nullptr);
  EXPECT_EQ(image.renderDjvuPage(DJVU_LAYER_COLOR, 24, 0, 2.2f, kLayoutPackedDib, kFileDjvu), 1)
      << "the page stays usable";
  // A truncated file fails to load and the earlier page is gone.
  std::vector<std::uint8_t> bytes = readFile(makePhotoPage(dir, "q", 64, 48));
  bytes.resize(bytes.size() / 2);
  writeFile(dir.file("cut.djvu"), bytes);
  errors.clear();
  EXPECT_EQ(image.loadHalfCodedDjvu(dir.file("cut.djvu").c_str(), kFileDjvu), 0);
  ASSERT_FALSE(errors.empty());
  EXPECT_EQ(errors.back(), "Failed to load half coded image.");
  EXPECT_EQ(image.djvuPage, nullptr);
}

TEST(DjvuErrorBox, TextIsBoundedToTheMessageBuffer) {
  Image image;
  std::string shown;
  image.errorHandler = [&](const char* text) { shown = text; };
  EXPECT_EQ(image.loadHalfCodedDjvu("/nonexistent/a.djvu", kFileDjvu), 0);
  EXPECT_EQ(shown, "Failed to load half coded image.");
  // The handler reaches an Image only while one of its DjVu operations runs.
  shown.clear();
  EXPECT_EQ(Image::showDjvuError("cause", "unit", 7), 1);
  EXPECT_STREQ(messageBuffer, "DjVu error!\n\nLine: 7\nFile: unit\nCause: cause");
  EXPECT_EQ(shown, "") << "the load has ended";
  const std::string longText(3000, 'x');
  Image::showDjvuError(longText.c_str(), longText.c_str(), 1);
  EXPECT_EQ(std::strlen(messageBuffer), 1023u);
}

}  // namespace
}  // namespace orlim::test
