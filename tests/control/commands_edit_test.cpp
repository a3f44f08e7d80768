// The editing commands through the automation interface: results, pixels, the
// picture kind, the selection and the scroll ranges.
#include <algorithm>
#include <cmath>
#include <limits>

#include "command_fixtures.h"

namespace orlim::test {
namespace {

bool contains(const std::vector<std::string>& log, const std::string& entry) {
  return std::find(log.begin(), log.end(), entry) != log.end();
}

TEST(EditCommands, WithoutAPictureEveryCommandDeclinesQuietly) {
  CommandHarness c;
  for (const char* name : {"FlipImage", "MirrorImage", "NegativeImage", "GrayImage", "CopyToClipboard"})
    EXPECT_FALSE(c.call(name)) << name;
  EXPECT_FALSE(c.call("RotateImage", {Variant::fromFloat(90)}));
  EXPECT_FALSE(c.call("ResizeImage", {number(10), number(10), number(0)}));
  EXPECT_FALSE(c.call("SaveAsBmp", {text("/tmp/never.bmp")}));
  EXPECT_FALSE(c.call("AddText", {flag(false), flag(false)}));
  EXPECT_TRUE(c.h.application.messages().empty());
  EXPECT_TRUE(c.h.log.empty());
}

TEST(EditCommands, FlipMirrorNegativeAndGrayChangeTheShownPixels) {
  TempDir dir;
  Image original;
  const std::string path = bitmapFile(dir, "a.bmp", 7, 5, 24, original);
  CommandHarness c;
  c.load(path);
  const RgbPicture before = toRgb(c.image());

  EXPECT_TRUE(c.call("FlipImage"));
  EXPECT_EQ(rgbAt(c.image(), 2, 0), rgbAt(original, 2, 4));
  EXPECT_TRUE(c.call("MirrorImage"));
  EXPECT_EQ(rgbAt(c.image(), 0, 0), rgbAt(original, 6, 4));
  EXPECT_TRUE(c.h.window.IsPaintPending());
  EXPECT_FALSE(contains(c.h.log, "modified"));  // only the gray conversion marks the control

  EXPECT_TRUE(c.call("NegativeImage"));
  const auto seen = rgbAt(original, 6, 4);
  const auto negated = rgbAt(c.image(), 0, 0);
  for (int k = 0; k < 3; ++k) EXPECT_EQ(negated[k], 255 - seen[k]);

  EXPECT_TRUE(c.call("GrayImage"));
  const auto gray = rgbAt(c.image(), 3, 2);
  EXPECT_EQ(gray[0], gray[1]);
  EXPECT_EQ(gray[1], gray[2]);
  EXPECT_TRUE(contains(c.h.log, "modified"));
  EXPECT_EQ(c.h.control.fileType, 3);
  EXPECT_EQ(maxChannelDifference(before, toRgb(original)), 0);  // the load itself changed nothing
}

// RotateImage(angle) against the quarter turn the image model makes itself.
TEST(EditCommands, RotationAnglesRoundToQuarterTurns) {
  TempDir dir;
  const std::string path = bitmapFile(dir, "a.bmp", 6, 3);
  struct Case {
    float degrees;
    int quarter;  // 0 none, 1 rotate90, 2 rotate180, 3 rotate270, -1 refused
  } cases[] = {{-90, 3},
               {360, 0},
               {30, -1},
               {89.6f, 1},
               {89.4f, -1},
               {450, 1},
               {180, 2},
               {-180.2f, 2},
               {45, -1},
               {std::numeric_limits<float>::quiet_NaN(), -1},
               {std::numeric_limits<float>::infinity(), -1},
               {3e9f, -1},
               {-3e9f, -1}};
  for (const Case& k : cases) {
    CommandHarness c;
    c.load(path);
    Image expected;
    ASSERT_EQ(expected.clone(c.image()), 1);
    if (k.quarter == 1) expected.rotate90();
    if (k.quarter == 2) expected.rotate180();
    if (k.quarter == 3) expected.rotate270();
    EXPECT_EQ(c.call("RotateImage", {Variant::fromFloat(k.degrees)}), k.quarter >= 0) << k.degrees;
    EXPECT_EQ(maxChannelDifference(toRgb(expected), toRgb(c.image())), 0) << k.degrees;
    EXPECT_TRUE(c.h.application.messages().empty()) << k.degrees;
  }
}

TEST(EditCommands, AQuarterTurnRecomputesTheScrollRanges) {
  TempDir dir;
  const std::string path = bitmapFile(dir, "wide.bmp", 300, 60);
  CommandHarness c;
  c.h.window.Resize(200, 100);
  c.load(path);
  const int paints = c.h.window.paintCount();
  ASSERT_GT(c.h.getLong("ScrollRangeX"), 0);
  ASSERT_EQ(c.h.getLong("ScrollRangeY"), 0);
  EXPECT_TRUE(c.call("RotateImage", {Variant::fromFloat(90)}));
  EXPECT_EQ(c.h.getLong("ImageWidth"), 60);
  EXPECT_EQ(c.h.getLong("ScrollRangeX"), 0);
  EXPECT_GT(c.h.getLong("ScrollRangeY"), 0);
  EXPECT_EQ(c.h.window.paintCount(), paints + 1);  // the window is updated at once
}

TEST(EditCommands, ResizeRefusesEmptySizesAndMakesThePictureAnEditedBitmap) {
  TempDir dir;
  const std::string path = dir.file("a.jpg");
  shellIn(dir, convertTool() + " -size 40x30 gradient:red-blue '" + path + "'");
  CommandHarness c;
  c.load(path);
  ASSERT_EQ(c.h.control.fileType, 5);
  EXPECT_FALSE(c.call("ResizeImage", {number(0), number(100), number(0)}));
  EXPECT_FALSE(c.call("ResizeImage", {number(100), number(-1), number(0)}));
  EXPECT_TRUE(c.h.application.messages().empty());
  EXPECT_EQ(c.h.getLong("ImageWidth"), 40);

  c.h.window.Resize(30, 60);  // wide enough for neither picture, tall enough for the new one
  EXPECT_TRUE(c.call("ResizeImage", {number(80), number(15), number(1)}));
  EXPECT_EQ(c.h.getLong("ImageWidth"), 80);
  EXPECT_EQ(c.h.getLong("ImageHeight"), 15);
  EXPECT_EQ(c.h.control.fileType, 3);
  EXPECT_GT(c.h.getLong("ScrollRangeX"), 0);
  EXPECT_EQ(c.h.getLong("ScrollRangeY"), 0);
}

TEST(EditCommands, CropKeepsTheSelectionOrSaysItFailed) {
  TempDir dir;
  const std::string path = bitmapFile(dir, "a.bmp", 9, 7);
  CommandHarness c;
  c.load(path);
  // No selection: the message, and (unlike a success) FALSE; nothing changes.
  EXPECT_FALSE(c.call("CropImage"));
  EXPECT_EQ(c.h.messageTexts(), std::vector<std::string>{"Failed to crop the image!"});
  EXPECT_EQ(c.h.getLong("ImageWidth"), 9);

  ASSERT_TRUE(c.call("SelectionRectangle", {number(2), number(1), number(5), number(3)}));
  c.h.forget();
  Image expected;
  ASSERT_EQ(expected.clone(c.image()), 1);
  ASSERT_EQ(expected.crop(RECT{2, 1, 5, 3}), 1);
  EXPECT_TRUE(c.call("CropImage"));
  EXPECT_TRUE(c.h.application.messages().empty());
  EXPECT_EQ(c.h.getLong("ImageWidth"), 4);
  EXPECT_EQ(c.h.getLong("ImageHeight"), 3);
  EXPECT_EQ(maxChannelDifference(toRgb(expected), toRgb(c.image())), 0);
  EXPECT_FALSE(c.h.control.hasSelection);
  EXPECT_EQ(c.h.getLong("ImageSelectionRight"), 0);
  EXPECT_EQ(c.h.control.fileType, 3);
  EXPECT_TRUE(contains(c.h.log, "modified"));
}

TEST(EditCommands, CropWithoutAPictureStillSaysItFailed) {
  CommandHarness c;
  EXPECT_FALSE(c.call("CropImage"));
  EXPECT_EQ(c.h.messageTexts(), std::vector<std::string>{"Failed to crop the image!"});
}

TEST(EditCommands, AboutBoxRunsDialogResourceOne) {
  CommandHarness c;
  c.h.call("AboutBox");
  ASSERT_EQ(c.dialogs.shown().size(), 1u);
  const DialogTemplate& about = c.dialogs.shown()[0];
  EXPECT_EQ(about.resourceId, 1);
  EXPECT_EQ(about.title, "About Orlim Control");
  EXPECT_EQ(about.width, 193);
  EXPECT_EQ(about.height, 178);
  EXPECT_EQ(about.fontName, "MS Sans Serif");
  EXPECT_EQ(about.fontPoints, 8);
  std::vector<int> bitmaps;
  bool versionLine = false;
  for (const DialogItem& item : about.items) {
    EXPECT_NE(item.kind, DialogItemKind::Button);  // closed by its close box or Escape
    if (item.kind == DialogItemKind::Bitmap) bitmaps.push_back(item.resource);
    if (item.text == "Orlim Control, Version 2.5") versionLine = true;
    EXPECT_LE(item.rect.right, about.width);
    EXPECT_LE(item.rect.bottom, about.height);
  }
  EXPECT_EQ(bitmaps, (std::vector<int>{201, 205, 206}));
  EXPECT_TRUE(versionLine);
}

}  // namespace
}  // namespace orlim::test
