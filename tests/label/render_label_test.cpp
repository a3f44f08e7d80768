// The label as drawn by renderLabel: the rasteriser's drawing as a bottom-up
// 1-bit picture with the label's two colours, turned and made transparent as
// asked, its tokens read with a clock the test sets.
#include <gtest/gtest.h>

#include <string>

#include "label/TextLabel.h"
#include "label_fixtures.h"
#include "platform/TextRasterizer.h"

namespace orlim {
namespace {

LabelTime sixDecember() { return {2026, 12, 6, 9, 5, 3}; }

// The text drawn by the rasteriser directly with the label's flags.
MonoBitmap directDrawing(const TextLabel& label, const std::string& text, UINT align) {
  const TextRasterizer r(label.font);
  RECT rc{0, 0, 0, 0};
  r.DrawText(text.c_str(), -1, rc, DT_CALCRECT | align | DT_EXPANDTABS | DT_NOPREFIX);
  MonoBitmap bm(rc.right, rc.bottom);
  r.DrawText(text.c_str(), -1, rc, align | DT_EXPANDTABS | DT_NOPREFIX, &bm);
  return bm;
}

int mismatchesWith(const Image& label, const MonoBitmap& drawing, COLORREF fg, COLORREF bg) {
  int mismatches = 0;
  for (int y = 0; y < drawing.height(); ++y)
    for (int x = 0; x < drawing.width(); ++x)
      mismatches += test::seenPixel(label, x, y) != test::seenColor(drawing.ink(x, y) ? fg : bg);
  return mismatches;
}

TEST(RenderLabel, TheDrawingBecomesABottomUpOneBitPictureInTheLabelsColors) {
  TextLabel label;
  label.TextContent = "Page $date";
  label.TextForegroundColor = RGB(200, 10, 20);
  label.TextBackgroundColor = RGB(5, 250, 6);
  ASSERT_EQ(renderLabel(label, sixDecember), 1);
  const Image& im = label.labelImage;
  const MonoBitmap drawing = directDrawing(label, "Page 12/6/2026", DT_LEFT);
  ASSERT_EQ(im.width, drawing.width());
  ASSERT_EQ(im.height, drawing.height());
  EXPECT_EQ(im.height, TextRasterizer(label.font).metrics().height);
  EXPECT_EQ(im.bitsPerPixel, 1);
  EXPECT_EQ(im.rowOrder, kRowsBottomUp);
  EXPECT_EQ(im.paletteSize, 8);
  EXPECT_GT(im.header()->biHeight, 0);
  EXPECT_EQ(mismatchesWith(im, drawing, label.TextForegroundColor, label.TextBackgroundColor), 0);
  // Set bits are text: entry 1 is the foreground.
  EXPECT_EQ(im.palette()[1].rgbRed, 200);
  EXPECT_EQ(im.palette()[0].rgbGreen, 250);
  EXPECT_EQ(im.transparent, 0);
}

TEST(RenderLabel, ClockIsReadOnceAndAlignmentComesFromTheBlock) {
  int reads = 0;
  TextLabel label;
  label.TextContent = "$time\n$date\twide line $time";
  label.TextAlign = 2;
  label.TextTransparentBackground = 1;
  ASSERT_EQ(renderLabel(label,
                        [&] {
                          ++reads;
                          return sixDecember();
                        }),
            1);
  EXPECT_EQ(reads, 1);
  EXPECT_EQ(mismatchesWith(label.labelImage, directDrawing(label, "09:05:03\n12/6/2026\twide line 09:05:03", DT_RIGHT),
                           label.TextForegroundColor, label.TextBackgroundColor),
            0);
  EXPECT_EQ(label.labelImage.transparent, 1);
  EXPECT_EQ(label.labelImage.transparentColor, label.TextBackgroundColor);
}

TEST(RenderLabel, OrientationTurnsTheLabel) {
  TextLabel label;
  label.TextContent = "Ab#";
  ASSERT_EQ(renderLabel(label, sixDecember), 1);
  Image flat;
  ASSERT_EQ(flat.clone(label.labelImage), 1);
  const int w = flat.width, h = flat.height;

  label.TextOrientation = 1;  // a quarter turn counter-clockwise: reads upward
  ASSERT_EQ(renderLabel(label, sixDecember), 1);
  ASSERT_EQ(label.labelImage.width, h);
  ASSERT_EQ(label.labelImage.height, w);
  int mismatches = 0;
  for (int y = 0; y < w; ++y)
    for (int x = 0; x < h; ++x)
      mismatches += test::seenPixel(label.labelImage, x, y) != test::seenPixel(flat, w - 1 - y, x);
  EXPECT_EQ(mismatches, 0);

  label.TextOrientation = 2;  // clockwise: reads downward
  ASSERT_EQ(renderLabel(label, sixDecember), 1);
  mismatches = 0;
  for (int y = 0; y < w; ++y)
    for (int x = 0; x < h; ++x)
      mismatches += test::seenPixel(label.labelImage, x, y) != test::seenPixel(flat, y, h - 1 - x);
  EXPECT_EQ(mismatches, 0);
}

TEST(RenderLabel, NoTextRendersNoLabel) {
  TextLabel label;
  label.TextContent = "x";
  ASSERT_EQ(renderLabel(label, sixDecember), 1);
  label.TextContent.clear();
  EXPECT_EQ(renderLabel(label, sixDecember), 0);
  EXPECT_EQ(label.labelImage.dib, nullptr);
  // A text that is only a file name, with no file shown: nothing to draw either.
  label.TextContent = "$filename";
  EXPECT_EQ(renderLabel(label, sixDecember), 0);
  label.labelFileName = "page1.tif";
  EXPECT_EQ(renderLabel(label, sixDecember), 1);
}

TEST(RenderLabel, RenderedLabelGoesBelowAPicture) {
  TextLabel label;
  label.TextContent = "Page $date";
  label.TextPosition = 8;
  label.TextForegroundColor = RGB(0, 0, 128);
  ASSERT_EQ(renderLabel(label, sixDecember), 1);
  Image picture, before;
  test::makePicture(picture, 150, 40, 24);
  test::makePicture(before, 150, 40, 24);
  ASSERT_GE(picture.width, label.labelImage.width);
  ASSERT_EQ(insertLabel(label, picture), 1);
  EXPECT_EQ(picture.height, 40 + label.labelImage.height);
  EXPECT_EQ(
      test::countMismatches(picture, label.labelImage, (150 - label.labelImage.width) / 2, 40, before, 0, 0, 0xFFFFFF),
      0);
}

}  // namespace
}  // namespace orlim
