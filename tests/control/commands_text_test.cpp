// AddText through the automation interface: the size-keeping resize, the file
// name token, the resolution kept, the picture kind, and the refusals.
#include <algorithm>

#include "command_fixtures.h"
#include "label/TextLabel.h"
#include "label/label_tokens.h"

namespace orlim::test {
namespace {

// The size of the label the control would render for `text` with its defaults.
SIZE labelSize(const std::string& text) {
  TextLabel label;
  label.TextContent = text;
  EXPECT_EQ(renderLabel(label), 1);
  return SIZE{label.labelImage.width, label.labelImage.height};
}

void setText(CommandHarness& c, const std::string& content, int position) {
  c.h.set("TextContent", text(content));
  c.h.set("TextPosition", number(position));
}

TEST(AddText, BelowWithMaintainSizeKeepsTheOldHeight) {
  TempDir dir;
  CommandHarness c;
  c.load(bitmapFile(dir, "a.bmp", 400, 300));
  setText(c, "Page one", 8);
  const SIZE label = labelSize("Page one");
  ASSERT_GT(label.cy, 0);
  c.h.forget();
  EXPECT_TRUE(c.call("AddText", {flag(false), flag(true)}));
  EXPECT_TRUE(c.h.application.messages().empty());
  // A label of a twentieth of the height or more: the picture keeps its 4 : 3
  // proportions in the rows left above the label, to the nearest column.
  ASSERT_GE(label.cy, 15);
  EXPECT_NEAR(c.h.getLong("ImageWidth"), (300 - label.cy) * 4.0 / 3.0, 0.5);
  EXPECT_EQ(c.h.getLong("ImageHeight"), 300);
  EXPECT_EQ(c.h.getLong("ImageResX"), 96);  // the resize and the enlargement keep the resolution
  EXPECT_EQ(c.h.control.fileType, 3);
  EXPECT_NE(std::find(c.h.log.begin(), c.h.log.end(), "modified"), c.h.log.end());
}

TEST(AddText, WithoutMaintainSizeTheLabelEnlargesThePicture) {
  TempDir dir;
  CommandHarness c;
  c.load(bitmapFile(dir, "a.bmp", 200, 100));
  setText(c, "Left", 4);
  const SIZE label = labelSize("Left");
  EXPECT_TRUE(c.call("AddText", {flag(false), flag(false)}));
  EXPECT_EQ(c.h.getLong("ImageWidth"), 200 + label.cx);
  EXPECT_EQ(c.h.getLong("ImageHeight"), 100);
}

// "$filename" is the shown file's name: the same label as the literal name.
TEST(AddText, TheFileNameTokenNamesTheShownFile) {
  TempDir dir;
  const std::string path = bitmapFile(dir, "named.bmp", 120, 40);
  CommandHarness byToken, literal;
  byToken.load(path);
  literal.load(path);
  setText(byToken, "$filename", 5);
  setText(literal, "named.bmp", 5);
  EXPECT_TRUE(byToken.call("AddText", {flag(false), flag(false)}));
  EXPECT_TRUE(literal.call("AddText", {flag(false), flag(false)}));
  EXPECT_EQ(maxChannelDifference(toRgb(literal.image()), toRgb(byToken.image())), 0);
  EXPECT_GT(maxChannelDifference(toRgb(literal.image()),
                                 [&] {
                                   Image plain;
                                   bitmapFile(dir, "plain.bmp", 120, 40, 24, plain);
                                   return toRgb(plain);
                                 }()),
            0);
}

TEST(AddText, NoTextLeavesThePictureAndSaysFalse) {
  TempDir dir;
  CommandHarness c;
  c.load(bitmapFile(dir, "a.bmp", 50, 40));
  const RgbPicture before = toRgb(c.image());
  EXPECT_FALSE(c.call("AddText", {flag(false), flag(true)}));
  EXPECT_TRUE(c.h.application.messages().empty());
  EXPECT_EQ(maxChannelDifference(before, toRgb(c.image())), 0);
  EXPECT_EQ(c.h.control.fileType, 3);
  EXPECT_TRUE(c.h.log.empty());
}

TEST(AddText, ALabelThatDoesNotFitIsReportedAndTheResultIsFalse) {
  TempDir dir;
  CommandHarness c;
  c.load(bitmapFile(dir, "small.bmp", 12, 8));
  const RgbPicture before = toRgb(c.image());
  setText(c, "far too long for the picture", 5);
  EXPECT_FALSE(c.call("AddText", {flag(false), flag(false)}));
  const auto messages = c.h.messageTexts();
  ASSERT_FALSE(messages.empty());
  EXPECT_EQ(messages.back(), "Failed to insert the text label!");
  EXPECT_EQ(maxChannelDifference(before, toRgb(c.image())), 0);
}

TEST(AddText, AMaintainedSizeThatCannotBeMadeIsReported) {
  TempDir dir;
  CommandHarness c;
  c.load(bitmapFile(dir, "flat.bmp", 200, 6));  // the label is taller than the picture
  setText(c, "Tall", 2);
  EXPECT_FALSE(c.call("AddText", {flag(false), flag(true)}));
  const auto messages = c.h.messageTexts();
  ASSERT_FALSE(messages.empty());
  EXPECT_EQ(messages.back(), "Failed to reduce the size of the original image!");
  EXPECT_EQ(c.h.getLong("ImageHeight"), 6);
}

}  // namespace
}  // namespace orlim::test
