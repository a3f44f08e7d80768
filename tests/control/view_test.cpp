#include <gtest/gtest.h>

#include <algorithm>
#include <set>

#include "platform/raster/display_colors.h"
#include "view_fixtures.h"

namespace orlim::test {
namespace {

constexpr std::uint32_t kBackground = 0xF0F0F0;  // the button-face colour BackColor starts as

TEST(ViewDraw, BitmapAtZoomZeroIsCenteredAndEqualsTheFile) {
  TempDir dir;
  const std::string path = viewPicture(dir, "a.bmp", "-size 300x200 plasma:fractal -seed 3", "BMP3:");
  const RgbPicture expected = decodeWithImagemagick(path);
  ControlHarness h(400, 400);
  loadInto(h, path);
  EXPECT_EQ(countOf(h.log, "event Paint"), 1);
  EXPECT_EQ(h.control.originX, 50);
  EXPECT_EQ(h.control.originY, 100);
  EXPECT_FALSE(h.control.hScrollNeeded || h.control.vScrollNeeded);
  EXPECT_FALSE(h.window.scrollBarShown(SB_HORZ) || h.window.scrollBarShown(SB_VERT));
  EXPECT_EQ(countMismatches(h, 50, 100, 300, 200, 0, [&](int x, int y) { return rgbOf(expected, x, y); }), 0);
  EXPECT_EQ(shown(h, 49, 100), kBackground);
  EXPECT_EQ(shown(h, 350, 299), kBackground);
  EXPECT_EQ(shown(h, 50, 300), kBackground);
  EXPECT_EQ(h.getLong("ImageVisibleRight"), 299);
  EXPECT_EQ(h.getLong("ImageVisibleBottom"), 199);
}

TEST(ViewDraw, ZoomOneMakesEachPixelATwoByTwoBlock) {
  TempDir dir;
  const std::string path = viewPicture(dir, "a.bmp", "-size 40x30 plasma:fractal -seed 5", "BMP3:");
  const RgbPicture expected = decodeWithImagemagick(path);
  ControlHarness h(200, 100);
  loadInto(h, path);
  h.set("ZoomLevel", Variant::fromLong(1));
  paint(h);
  EXPECT_EQ(h.control.originX, 60);
  EXPECT_EQ(h.control.originY, 20);
  EXPECT_EQ(countMismatches(h, 60, 20, 80, 60, 0, [&](int x, int y) { return rgbOf(expected, x / 2, y / 2); }), 0);
}

TEST(ViewDraw, UnequalResolutionStretchesTheLowerOne) {
  TempDir dir;
  const std::string path =
      viewPicture(dir, "a.tif", "-size 50x40 plasma:fractal -seed 9 -depth 8 -units PixelsPerInch -density 200x100");
  const RgbPicture expected = decodeWithImagemagick(path);
  ControlHarness h(200, 200);
  loadInto(h, path);
  ASSERT_EQ(h.getLong("ImageResX"), 200);
  ASSERT_EQ(h.getLong("ImageResY"), 100);
  EXPECT_EQ(h.control.drawWidth, 50);
  EXPECT_EQ(h.control.drawHeight, 80);
  EXPECT_EQ(countMismatches(h, 75, 60, 50, 80, 0, [&](int x, int y) { return rgbOf(expected, x, y / 2); }), 0);
}

TEST(ViewDraw, WithoutPictureOnlyTheBackColorAndNoPaintEvent) {
  ControlHarness h(120, 80);
  h.set("BackColor", Variant::fromLong(0x00336699));
  paint(h);
  EXPECT_EQ(countOf(h.log, "event Paint"), 0);
  EXPECT_EQ(countMismatches(h, 0, 0, 120, 80, 0, [](int, int) { return 0x996633u; }), 0);
}

TEST(ViewDraw, DjvuPageReducedByTheDecoderEqualsDdjvuSubsample) {
  if (!haveTool("c44") || !haveTool("ddjvu")) GTEST_SKIP() << "DjVuLibre tools missing";
  TempDir dir;
  const std::string page = djvuPhotoPage(dir, "p", 600, 400);
  const RgbPicture expected = ddjvuReduced(dir, page, 2);
  ControlHarness h(640, 480);
  loadInto(h, page);
  h.set("ZoomLevel", Variant::fromLong(-1));
  paint(h);
  ASSERT_EQ(h.control.image.width, 300);
  EXPECT_EQ(h.control.originX, 170);
  EXPECT_EQ(h.control.originY, 140);
  // The decoder's 100-row strips differ from ddjvu's whole-page decode by a few levels at their seams.
  EXPECT_EQ(countMismatches(h, 170, 140, 300, 200, 4, [&](int x, int y) { return rgbOf(expected, x, y); }), 0);
  // The visible region is told in full-page pixels.
  EXPECT_EQ(h.getLong("ImageVisibleLeft"), 0);
  EXPECT_EQ(h.getLong("ImageVisibleRight"), 598);
  EXPECT_EQ(h.getLong("ImageVisibleBottom"), 398);
}

TEST(ViewDraw, ScrolledDjvuPageShowsTheScrolledPartOfTheReference) {
  if (!haveTool("c44") || !haveTool("ddjvu")) GTEST_SKIP() << "DjVuLibre tools missing";
  TempDir dir;
  const std::string page = djvuPhotoPage(dir, "p", 800, 600);
  const RgbPicture expected = ddjvuReduced(dir, page, 2);
  ControlHarness h(250, 200);
  loadInto(h, page);
  h.set("ZoomLevel", Variant::fromLong(-1));
  h.set("ScrollPosX", Variant::fromLong(60));
  h.set("ScrollPosY", Variant::fromLong(40));
  paint(h);
  const int cw = h.getLong("ClientWidth"), ch = h.getLong("ClientHeight");
  EXPECT_EQ(cw, 250 - 17);
  EXPECT_EQ(ch, 200 - 17);
  EXPECT_EQ(countMismatches(h, 0, 0, cw, ch, 4, [&](int x, int y) { return rgbOf(expected, x + 60, y + 40); }), 0);
  EXPECT_EQ(h.getLong("ImageVisibleLeft"), 120);
  EXPECT_EQ(h.getLong("ImageVisibleTop"), 80);
}

TEST(ViewDraw, DjvuPageWithoutFancyZoomIsReducedByTheBlit) {
  if (!haveTool("c44")) GTEST_SKIP() << "DjVuLibre tools missing";
  TempDir dir;
  const std::string page = djvuPhotoPage(dir, "p", 400, 300);
  ControlHarness h(640, 480);
  h.set("FancyZoom", Variant::fromBool(false));
  loadInto(h, page);
  h.set("ZoomLevel", Variant::fromLong(-1));
  paint(h);
  EXPECT_EQ(h.control.image.width, 400);  // full-size raster
  EXPECT_EQ(h.control.drawWidth, 200);
  EXPECT_EQ(h.control.drawHeight, 150);
  EXPECT_EQ(h.control.originX, 220);
  EXPECT_EQ(shown(h, 219, 200), kBackground);
  EXPECT_NE(shown(h, 220, 200), kBackground);
  EXPECT_EQ(shown(h, 420, 200), kBackground);
}

TEST(ViewDraw, EightBitDisplayShowsOnlyHalftoneColors) {
  TempDir dir;
  const std::string path = viewPicture(dir, "a.bmp", "-size 60x40 plasma:fractal -seed 2", "BMP3:");
  ControlHarness h(160, 120);
  h.window.SetDisplay(8, 96);
  h.window.Invalidate(nullptr, true);
  paint(h);
  for (int zoom : {0, 1}) {
    SCOPED_TRACE(zoom);
    loadInto(h, path);
    h.set("ZoomLevel", Variant::fromLong(zoom));
    paint(h);
    ASSERT_EQ(h.control.deviceBitsPerPixel, 8);
    const auto& palette = raster::halftonePaletteColors();
    const std::set<std::uint32_t> allowed(palette.begin(), palette.end());
    std::set<std::uint32_t> seen;
    for (int y = 0; y < 120; ++y)
      for (int x = 0; x < 160; ++x) seen.insert(shown(h, x, y));
    for (std::uint32_t c : seen) EXPECT_TRUE(allowed.count(c)) << std::hex << c;
    EXPECT_GT(seen.size(), 8u);  // the picture, not one flat colour
  }
}

TEST(ViewDraw, OutlineIsDrawnAndClippedToThePicture) {
  TempDir dir;
  const std::string path = viewPicture(dir, "a.bmp", "-size 300x200 xc:white", "BMP3:");
  ControlHarness h(400, 400);
  loadInto(h, path);
  h.forget();
  EXPECT_TRUE(h.call("DrawRectangle",
                     {Variant::fromLong(10), Variant::fromLong(20), Variant::fromLong(100), Variant::fromLong(60),
                      Variant::fromLong(0x0000FF), Variant::fromLong(1), Variant::fromLong(0)})
                  .asBool());
  EXPECT_EQ(countOf(h.log, "event Paint"), 1);  // repainted at once
  EXPECT_EQ(shown(h, 60, 120), 0xFF0000u);      // (10, 20) + origin (50, 100)
  EXPECT_EQ(shown(h, 150, 160), 0xFF0000u);
  EXPECT_EQ(shown(h, 100, 140), 0xFFFFFFu);  // inside stays white
  // Beyond the picture: the outline runs along its edges.
  h.call("DrawRectangle",
         {Variant::fromLong(-50), Variant::fromLong(-50), Variant::fromLong(5000), Variant::fromLong(5000),
          Variant::fromLong(0x00FF00), Variant::fromLong(1), Variant::fromLong(0)});
  paint(h);
  EXPECT_EQ(shown(h, 50, 100), 0x00FF00u);
  EXPECT_EQ(shown(h, 349, 299), 0x00FF00u);
  EXPECT_EQ(shown(h, 200, 99), kBackground);
  EXPECT_EQ(shown(h, 350, 200), kBackground);
  // All zero hides it from the next repaint on, without repainting now.
  const int paints = h.window.paintCount();
  EXPECT_TRUE(
      h.call("DrawRectangle", {Variant::fromLong(0), Variant::fromLong(0), Variant::fromLong(0), Variant::fromLong(0),
                               Variant::fromLong(0), Variant::fromLong(1), Variant::fromLong(0)})
          .asBool());
  EXPECT_EQ(h.window.paintCount(), paints);
  EXPECT_EQ(shown(h, 50, 100), 0x00FF00u);
  h.window.Invalidate(nullptr, true);
  paint(h);
  EXPECT_EQ(shown(h, 50, 100), 0xFFFFFFu);
}

TEST(ViewDraw, FailedCopyShowsBothDiagnosticsAndPaintsRed) {
  TempDir dir;
  const std::string path = viewPicture(dir, "a.bmp", "-size 30x20 xc:blue", "BMP3:");
  ControlHarness h(100, 100);
  loadInto(h, path);
  h.forget();
  h.control.image.header()->biBitCount = 7;  // no device can draw this
  h.window.Invalidate(nullptr, true);
  paint(h);
  const auto texts = h.messageTexts();
  ASSERT_EQ(texts.size(), 2u);
  EXPECT_EQ(texts[0].rfind("DIB to device error:\n\n", 0), 0u) << texts[0];
  EXPECT_NE(texts[0].find("Xpos = 35\nYpos = 40\nWSsub = 30\nHSsub = 20\nXOsrc = 0\nYOsrc = 0\npix = "),
            std::string::npos);
  EXPECT_EQ(texts[1].rfind("Bitmapinfoheader:\n\n", 0), 0u);
  EXPECT_NE(texts[1].find("\n\n40\n30\n20\n1\n7\n0\n"), std::string::npos) << texts[1];
  EXPECT_EQ(shown(h, 0, 0), 0xFF0000u);
  EXPECT_EQ(shown(h, 99, 99), 0xFF0000u);
  h.control.image.header()->biBitCount = 24;
}

}  // namespace
}  // namespace orlim::test
