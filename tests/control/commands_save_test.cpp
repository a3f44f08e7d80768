// The saving commands: files checked with peer tools, the selection saves, the
// full-resolution bracket around DjVu pages and JPEG files, and failed saves.
#include <algorithm>
#include <cstdio>

#include "command_fixtures.h"

namespace orlim::test {
namespace {

bool has(const std::string& haystack, const std::string& needle) { return haystack.find(needle) != std::string::npos; }

class SaveCommands : public ::testing::Test {
 protected:
  void SetUp() override {
    path = bitmapFile(dir, "a.bmp", 7, 5, 24, original);
    c.load(path);
  }
  RgbPicture seen() { return toRgb(c.image()); }

  TempDir dir;
  Image original;
  std::string path;
  CommandHarness c;
};

TEST_F(SaveCommands, BmpAndPnmHoldThePixelsAsShown) {
  SKIP_WITHOUT_TOOLS("identify", "convert");
  ASSERT_TRUE(c.call("FlipImage"));
  const std::string bmp = dir.file("out.bmp"), pnm = dir.file("out.ppm");
  EXPECT_TRUE(c.call("SaveAsBmp", {text(bmp)}));
  EXPECT_TRUE(c.call("SaveAsPnm", {text(pnm)}));
  EXPECT_TRUE(has(peerOutput("identify '" + bmp + "'"), "7x5"));
  EXPECT_TRUE(has(peerOutput("identify '" + pnm + "'"), "PPM 7x5"));
  EXPECT_EQ(maxChannelDifference(decodeWithImagemagick(bmp), seen()), 0);
  EXPECT_EQ(maxChannelDifference(decodeWithImagemagick(pnm), seen()), 0);
  EXPECT_TRUE(c.h.application.messages().empty());
}

TEST_F(SaveCommands, JpegCarriesItsCommentAndDecodesWithDjpeg) {
  SKIP_WITHOUT_TOOLS("djpeg", "convert");
  // Smooth pixels, so that the coder's loss stays small.
  const std::string smooth = dir.file("smooth.bmp");
  shellIn(dir, convertTool() + " -size 7x5 gradient:orange-navy 'BMP3:" + smooth + "'");
  c.load(smooth);
  const std::string jpg = dir.file("out.jpg"), decoded = dir.file("djpeg.ppm");
  EXPECT_TRUE(c.call("SaveAsJpeg", {text(jpg), number(95), number(0), flag(true), number(0), text("made here")}));
  peerOutput("djpeg -pnm -outfile '" + decoded + "' '" + jpg + "'");
  const RgbPicture back = decodeWithImagemagick(decoded);
  EXPECT_EQ(back.width, 7);
  EXPECT_EQ(back.height, 5);
  const int diff = maxChannelDifference(back, seen());
  EXPECT_GE(diff, 0) << "sizes differ";
  EXPECT_LT(diff, 48);  // chroma subsampling of a 7 x 5 picture
  EXPECT_EQ(peerOutput(convertTool() + " '" + jpg + "' -format '%c' info:"), "made here");
}

TEST_F(SaveCommands, TiffPagesAppendWithTheIdentificationText) {
  SKIP_WITHOUT_TOOLS("tiffinfo", "identify", "convert");
  const std::string tif = dir.file("out.tif");
  EXPECT_TRUE(c.call("SaveAsTiff", {text(tif), number(5), number(0), text("first"), flag(false)}));
  ASSERT_TRUE(c.call("MirrorImage"));
  EXPECT_TRUE(c.call("SaveAsTiff", {text(tif), number(1), number(0), text("second"), flag(true)}));
  const std::string info = peerOutput("tiffinfo '" + tif + "' 2>&1");
  EXPECT_TRUE(has(info, "Software: Orlim 2.8"));
  EXPECT_TRUE(has(info, "ImageDescription: first"));
  EXPECT_TRUE(has(info, "ImageDescription: second"));
  EXPECT_TRUE(has(info, "LZW"));
  EXPECT_EQ(peerOutput("identify '" + tif + "' | wc -l"), "2\n");
  EXPECT_EQ(maxChannelDifference(decodeWithImagemagick(tif + "[1]"), seen()), 0);
  ASSERT_TRUE(c.call("MirrorImage"));
  EXPECT_EQ(maxChannelDifference(decodeWithImagemagick(tif + "[0]"), seen()), 0);
}

TEST_F(SaveCommands, SelectionSavesCutACopyAndLeaveThePicture) {
  SKIP_WITHOUT_TOOLS("tiffinfo", "identify", "convert");
  const std::string bmp = dir.file("part.bmp"), tif = dir.file("part.tif");
  EXPECT_FALSE(c.call("SaveSelectionAsBmp", {text(bmp)}));  // no selection yet
  EXPECT_FALSE(fileExists(bmp));
  c.h.control.hasSelection = TRUE;
  c.h.control.selection = RECT{1, 1, 4, 2};
  // Inclusive bounds, row 0 at the top: columns 1 to 4 of rows 1 and 2 as seen.
  const RgbPicture whole = toRgb(original);
  RgbPicture expected{4, 2, {}};
  for (int y = 1; y <= 2; ++y) {
    const auto row = whole.rgb.begin() + 3 * (y * whole.width + 1);
    expected.rgb.insert(expected.rgb.end(), row, row + 3 * 4);
  }
  EXPECT_TRUE(c.call("SaveSelectionAsBmp", {text(bmp)}));
  EXPECT_TRUE(c.call("SaveSelectionAsPnm", {text(dir.file("part.ppm"))}));
  EXPECT_TRUE(c.call("SaveSelectionAsJpeg",
                     {text(dir.file("part.jpg")), number(75), number(0), flag(false), number(0), text("")}));
  EXPECT_TRUE(c.call("SaveSelectionAsTiff", {text(tif), Variant::fromShort(1), number(0), text("cut"), flag(false)}));
  EXPECT_EQ(maxChannelDifference(decodeWithImagemagick(bmp), expected), 0);
  EXPECT_EQ(maxChannelDifference(decodeWithImagemagick(dir.file("part.ppm")), expected), 0);
  EXPECT_EQ(maxChannelDifference(decodeWithImagemagick(tif), expected), 0);
  EXPECT_TRUE(has(peerOutput("identify '" + dir.file("part.jpg") + "'"), "4x2"));
  EXPECT_TRUE(has(peerOutput("tiffinfo '" + tif + "'"), "Software: Orlim 2.8"));
  // The shown picture and its selection are as they were.
  EXPECT_EQ(c.h.getLong("ImageWidth"), 7);
  EXPECT_EQ(maxChannelDifference(toRgb(original), seen()), 0);
  EXPECT_TRUE(c.h.control.hasSelection);
}

TEST_F(SaveCommands, NoSelectionIsSavedOnceViewModeWentBackToPanning) {
  SKIP_WITHOUT_TOOLS("identify");
  const std::string bmp = dir.file("part.bmp");
  ASSERT_TRUE(c.call("SelectionRectangle", {number(1), number(1), number(4), number(3)}));
  EXPECT_TRUE(c.call("SaveSelectionAsBmp", {text(bmp)}));
  EXPECT_TRUE(has(peerOutput("identify '" + bmp + "'"), "4x3"));
  c.h.set("ViewMode", number(0));
  EXPECT_FALSE(c.call("SaveSelectionAsBmp", {text(dir.file("again.bmp"))}));
  EXPECT_FALSE(fileExists(dir.file("again.bmp")));
  EXPECT_TRUE(c.h.application.messages().empty());
}

TEST_F(SaveCommands, ASaveTheWriterRefusesLeavesTheOldFile) {
  const std::string target = dir.file("keep.tif");
  const std::vector<std::uint8_t> old = {'n', 'o', 't', ' ', 'a', ' ', 'T', 'I', 'F', 'F'};
  writeFile(target, old);
  // Appending to a file that is no TIFF fails inside libtiff.
  EXPECT_FALSE(c.call("SaveAsTiff", {text(target), number(1), number(0), text(""), flag(true)}));
  EXPECT_FALSE(c.h.application.messages().empty());
  EXPECT_EQ(readFile(target), old);
  // A compression the writer cannot make for this picture.
  c.h.forget();
  EXPECT_FALSE(c.call("SaveAsTiff", {text(target), number(32908), number(0), text(""), flag(false)}));
  EXPECT_EQ(c.h.messageTexts(), std::vector<std::string>{"Pixar companded 10bit LZW compression is not supported."});
  EXPECT_EQ(readFile(target), old);
}

// A JPEG file kept at full size: with Dither and FancyZoom off nothing is read
// again, so the save writes the edited pixels even when the file has gone.
TEST(SaveBracket, JpegWithoutDitherOrFancyZoomIsSavedAsShown) {
  TempDir dir;
  const std::string jpg = dir.file("a.jpg"), out = dir.file("out.bmp");
  shellIn(dir, convertTool() + " -size 20x10 gradient:red-blue '" + jpg + "'");
  CommandHarness c;
  c.h.set("Dither", flag(false));
  c.h.set("FancyZoom", flag(false));
  c.load(jpg);
  ASSERT_TRUE(c.call("NegativeImage"));
  const RgbPicture shown = toRgb(c.image());
  ASSERT_EQ(std::remove(jpg.c_str()), 0);
  EXPECT_TRUE(c.call("SaveAsBmp", {text(out)}));
  EXPECT_TRUE(c.h.application.messages().empty());
  EXPECT_EQ(maxChannelDifference(decodeWithImagemagick(out), shown), 0);
}

// With Dither on the file is read again at 24 bits; when that fails the save
// says so and goes on with the pixels at hand.
TEST(SaveBracket, AFailedReReadIsReportedAndTheSaveGoesOn) {
  SKIP_WITHOUT_TOOLS("identify");
  TempDir dir;
  const std::string jpg = dir.file("a.jpg"), out = dir.file("out.bmp");
  shellIn(dir, convertTool() + " -size 20x10 gradient:red-blue '" + jpg + "'");
  CommandHarness c;
  c.load(jpg);
  ASSERT_EQ(std::remove(jpg.c_str()), 0);
  EXPECT_TRUE(c.call("SaveAsBmp", {text(out)}));
  const auto messages = c.h.messageTexts();
  EXPECT_NE(std::find(messages.begin(), messages.end(), "Failed to re-render the image!"), messages.end());
  EXPECT_TRUE(has(peerOutput("identify '" + out + "'"), "20x10"));
}

class DjvuBracket : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!haveDjvuEncoder()) GTEST_SKIP() << "c44 missing";
    page = djvuPage(dir, "page.djvu", 120, 90);
    c.load(page);
    ASSERT_EQ(c.h.control.fileType, 1);
  }
  TempDir dir;
  std::string page;
  CommandHarness c;
};

TEST_F(DjvuBracket, APageShownReducedIsSavedFullSizeAndShownReducedAgain) {
  SKIP_WITHOUT_TOOLS("identify");
  c.h.set("ZoomLevel", number(-2));
  ASSERT_EQ(c.image().width, 40);
  const RgbPicture reduced = toRgb(c.image());
  const std::string out = dir.file("page.bmp");
  EXPECT_TRUE(c.call("SaveAsBmp", {text(out)}));
  EXPECT_TRUE(has(peerOutput("identify '" + out + "'"), "120x90"));
  EXPECT_EQ(c.h.getLong("ZoomLevel"), -2);
  EXPECT_EQ(c.image().width, 40);
  EXPECT_EQ(maxChannelDifference(reduced, toRgb(c.image())), 0);
  EXPECT_EQ(c.h.control.fileType, 1);
}

// The re-rendered raster keeps a quarter turn made before the zoom changed.
TEST_F(DjvuBracket, ARotationSurvivesAZoomChange) {
  ASSERT_TRUE(c.call("RotateImage", {Variant::fromFloat(90)}));
  c.h.set("ZoomLevel", number(-1));
  CommandHarness fresh;
  fresh.load(page);
  fresh.h.set("ZoomLevel", number(-1));
  ASSERT_EQ(fresh.image().rotate90(), 1);
  EXPECT_EQ(c.image().width, 45);
  EXPECT_EQ(c.image().height, 60);
  EXPECT_EQ(maxChannelDifference(toRgb(fresh.image()), toRgb(c.image())), 0);
}

// What the window shows after a rotation and a zoom change is what it shows for
// the page zoomed first and turned after.
TEST_F(DjvuBracket, TheViewStillShowsARotatedPageAfterAZoomChange) {
  ASSERT_TRUE(c.call("RotateImage", {Variant::fromFloat(90)}));
  c.h.set("ZoomLevel", number(-1));
  c.h.window.DeliverPendingPaint();
  CommandHarness fresh;
  fresh.load(page);
  fresh.h.set("ZoomLevel", number(-1));
  ASSERT_TRUE(fresh.call("RotateImage", {Variant::fromFloat(90)}));
  fresh.h.window.DeliverPendingPaint();
  EXPECT_EQ(c.h.window.surface().pixels(), fresh.h.window.surface().pixels());
  CommandHarness unturned;
  unturned.load(page);
  unturned.h.set("ZoomLevel", number(-1));
  unturned.h.window.DeliverPendingPaint();
  EXPECT_NE(c.h.window.surface().pixels(), unturned.h.window.surface().pixels());
}

TEST_F(DjvuBracket, ResizingAReducedPageWorksOnTheFullPage) {
  c.h.set("ZoomLevel", number(-2));
  EXPECT_TRUE(c.call("ResizeImage", {number(60), number(45), number(0)}));
  EXPECT_EQ(c.h.control.fileType, 3);
  EXPECT_EQ(c.image().width, 60);  // no longer re-rendered for the display
  EXPECT_EQ(c.h.getLong("ZoomLevel"), -2);
}

}  // namespace
}  // namespace orlim::test
