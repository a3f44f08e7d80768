// Placement of a label into a picture: the keypad on the picture and the four
// places beside it, in both row orders as seen on screen; enlargement with the
// fill value; transparency; indexed pictures; the failures.
#include <gtest/gtest.h>

#include "label/TextLabel.h"
#include "label/label_placement.h"
#include "label_fixtures.h"
#include "support/image_pixels.h"

namespace orlim {
namespace {

using test::countMismatches;
using test::seenColor;

constexpr COLORREF kRed = RGB(255, 0, 0);
constexpr COLORREF kWhite = RGB(255, 255, 255);

class InsertLabel : public ::testing::TestWithParam<int> {
 protected:
  int rowOrder() const { return GetParam(); }
  void makeTarget(int w, int h, int bits = 24) {
    test::makePicture(picture, w, h, bits, rowOrder(), 7);
    test::makePicture(before, w, h, bits, rowOrder(), 7);
    messages.attach(picture);
  }
  TextLabel label;
  Image picture, before;
  test::MessageLog messages;
};

TEST_P(InsertLabel, KeypadOnThePicture) {
  // 200 x 100 picture, 50 x 20 label, offsets 10 and 5: left and top as seen for anchors 1..9.
  const int seen[9][2] = {{10, 5}, {75, 5}, {140, 5}, {10, 40}, {75, 40}, {140, 40}, {10, 75}, {75, 75}, {140, 75}};
  label.TextPosition = 5;
  label.TextOffsetX = 10;
  label.TextOffsetY = 5;
  label.TextForegroundColor = kRed;
  for (int anchor = 1; anchor <= 9; ++anchor) {
    SCOPED_TRACE(anchor);
    label.TextAnchor = anchor;
    test::setPatternLabel(label, 50, 20);
    makeTarget(200, 100);
    ASSERT_EQ(insertLabel(label, picture), 1);
    EXPECT_EQ(picture.width, 200);
    EXPECT_EQ(picture.height, 100);
    EXPECT_EQ(countMismatches(picture, label.labelImage, seen[anchor - 1][0], seen[anchor - 1][1], before, 0, 0, 0), 0);
  }
  // The stored row of anchor 9 on a bottom-up picture is 5: five rows above the bottom edge.
  LabelPlacement place;
  label.TextAnchor = 9;
  ASSERT_EQ(placeLabel(label, 200, 100, 50, 20, kRowsBottomUp, place), nullptr);
  EXPECT_EQ(place.x, 140);
  EXPECT_EQ(place.y, 5);
  ASSERT_EQ(placeLabel(label, 200, 100, 50, 20, kRowsTopDown, place), nullptr);
  EXPECT_EQ(place.y, 75);
  // The label block keeps its own row order.
  EXPECT_EQ(label.labelImage.rowOrder, kRowsBottomUp);
}

TEST_P(InsertLabel, BesideThePictureEnlargesItWithTheBackgroundColor) {
  struct Case {
    int position, anchor;
    int newW, newH;      // 60 x 40 picture, 20 x 10 label, offsets 3 and 2
    int left, top;       // label as seen
    int shiftX, shiftY;  // old picture as seen
  } cases[] = {
      {2, 4, 60, 50, 3, 0, 0, 10},  {2, 5, 60, 50, 20, 0, 0, 10}, {2, 6, 60, 50, 37, 0, 0, 10},
      {8, 6, 60, 50, 37, 40, 0, 0}, {8, 1, 60, 50, 20, 40, 0, 0}, {4, 2, 80, 40, 0, 2, 20, 0},
      {4, 5, 80, 40, 0, 15, 20, 0}, {4, 8, 80, 40, 0, 28, 20, 0}, {6, 8, 80, 40, 60, 28, 0, 0},
      {6, 2, 80, 40, 60, 2, 0, 0},
  };
  label.TextOffsetX = 3;
  label.TextOffsetY = 2;
  label.TextForegroundColor = RGB(0, 0, 255);
  label.TextBackgroundColor = RGB(10, 200, 30);
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "position " << c.position << " anchor " << c.anchor);
    label.TextPosition = c.position;
    label.TextAnchor = c.anchor;
    test::setPatternLabel(label, 20, 10);
    makeTarget(60, 40);
    ASSERT_EQ(insertLabel(label, picture), 1);
    ASSERT_EQ(picture.width, c.newW);
    ASSERT_EQ(picture.height, c.newH);
    EXPECT_EQ(countMismatches(picture, label.labelImage, c.left, c.top, before, c.shiftX, c.shiftY,
                              seenColor(label.TextBackgroundColor)),
              0);
  }
}

TEST_P(InsertLabel, IndexedPictureTakesTheNearestColorsAndFillsWithThem) {
  // 8-bit gray picture, red text on white below it: the text becomes the gray
  // nearest to red (85: least squared distance), the background white (255).
  label.TextPosition = 8;
  label.TextAnchor = 5;
  label.TextForegroundColor = kRed;
  label.TextBackgroundColor = kWhite;
  test::setPatternLabel(label, 20, 6);
  makeTarget(30, 10, 8);
  test::setGrayRamp(picture);
  test::setGrayRamp(before);
  ASSERT_EQ(insertLabel(label, picture), 1);
  ASSERT_EQ(picture.height, 16);
  int text = 0;
  for (int y = 0; y < 6; ++y)
    for (int x = 0; x < 30; ++x) {
      const int lx = x - 5;
      const bool ink = lx >= 0 && lx < 20 && test::patternInk(lx, y);
      EXPECT_EQ(test::seenPixel(picture, x, 10 + y), ink ? 0x555555u : 0xFFFFFFu) << x << "," << y;
      text += ink;
    }
  EXPECT_GT(text, 10);
  for (int y = 0; y < 10; ++y)
    for (int x = 0; x < 30; ++x) EXPECT_EQ(test::seenPixel(picture, x, y), test::seenPixel(before, x, y));
}

TEST_P(InsertLabel, OneBitPictureMapsByNearestOfItsTwoColors) {
  label.TextPosition = 6;
  label.TextAnchor = 5;
  label.TextForegroundColor = RGB(20, 20, 20);
  label.TextBackgroundColor = RGB(230, 240, 220);
  test::setPatternLabel(label, 12, 8);
  makeTarget(20, 8, 1);
  for (Image* im : {&picture, &before}) {
    RGBQUAD* t = im->palette();
    t[0] = {0, 0, 0, 0};
    t[1] = {255, 255, 255, 0};
  }
  ASSERT_EQ(insertLabel(label, picture), 1);
  ASSERT_EQ(picture.width, 32);
  // Text is black (entry 0), background white (entry 1), fill white.
  for (int y = 0; y < 8; ++y)
    for (int x = 0; x < 12; ++x)
      EXPECT_EQ(test::seenPixel(picture, 20 + x, y), test::patternInk(x, y) ? 0u : 0xFFFFFFu) << x << "," << y;
  for (int y = 0; y < 8; ++y)
    for (int x = 0; x < 20; ++x) EXPECT_EQ(test::seenPixel(picture, x, y), test::seenPixel(before, x, y));
}

TEST_P(InsertLabel, TransparentBackgroundChangesOnlyTheLettersPixels) {
  label.TextPosition = 5;
  label.TextAnchor = 5;
  label.TextTransparentBackground = 1;
  label.TextForegroundColor = RGB(1, 2, 3);
  test::setPatternLabel(label, 16, 9);
  makeTarget(40, 30);
  ASSERT_EQ(insertLabel(label, picture), 1);
  const int left = 12, top = 30 - 9 - 10;  // (40-16)/2; seen top of a centred label: H - lh - (H-lh)/2
  for (int y = 0; y < 30; ++y)
    for (int x = 0; x < 40; ++x) {
      const int lx = x - left, ly = y - top;
      const bool ink = lx >= 0 && ly >= 0 && lx < 16 && ly < 9 && test::patternInk(lx, ly);
      EXPECT_EQ(test::seenPixel(picture, x, y), ink ? 0x010203u : test::seenPixel(before, x, y)) << x << "," << y;
    }
}

TEST_P(InsertLabel, Failures) {
  // A label wider than the picture above it: enlarged first, then refused by insert.
  label.TextPosition = 2;
  test::setPatternLabel(label, 50, 8);
  makeTarget(30, 20);
  EXPECT_EQ(insertLabel(label, picture), 0);
  EXPECT_EQ(messages.last(), "Inserted image out of bounds in the original.");
  EXPECT_EQ(picture.width, 30);
  EXPECT_EQ(picture.height, 28);

  // Values the property setters refuse: a message, nothing changed.
  makeTarget(30, 20);
  label.TextPosition = 5;
  label.TextAnchor = 10;
  EXPECT_EQ(insertLabel(label, picture), 0);
  EXPECT_EQ(messages.last(), "Illegal TextAnchor value!");
  label.TextPosition = 3;
  label.TextAnchor = 1;
  EXPECT_EQ(insertLabel(label, picture), 0);
  EXPECT_EQ(messages.last(), "Illegal TextPosition value!");
  EXPECT_EQ(test::maxChannelDifference(test::seenRgb(picture), test::seenRgb(before)), 0);

  // Offsets that push the label off the picture.
  label.TextPosition = 5;
  label.TextOffsetX = 25;
  EXPECT_EQ(insertLabel(label, picture), 0);
  EXPECT_EQ(messages.last(), "Inserted image out of bounds in the original.");

  // No label, or no picture: nothing to do, no message.
  messages.messages.clear();
  label.labelImage.reset(true);
  EXPECT_EQ(insertLabel(label, picture), 0);
  test::setPatternLabel(label, 5, 5);
  Image empty;
  EXPECT_EQ(insertLabel(label, empty), 0);
  EXPECT_TRUE(messages.messages.empty());
}

INSTANTIATE_TEST_SUITE_P(RowOrders, InsertLabel, ::testing::Values(kRowsBottomUp, kRowsTopDown),
                         [](const auto& info) { return info.param == kRowsBottomUp ? "BottomUp" : "TopDown"; });

}  // namespace
}  // namespace orlim
