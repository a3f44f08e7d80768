#include "control/autofit.h"

#include <gtest/gtest.h>

namespace orlim {
namespace {

TEST(ClassifyExtension, KnownExtensionsInAnyCase) {
  EXPECT_EQ(classifyExtension("a.djvu"), 1);
  EXPECT_EQ(classifyExtension("a.DJV"), 1);
  EXPECT_EQ(classifyExtension("a.iw44"), 2);
  EXPECT_EQ(classifyExtension("a.Iw4"), 2);
  EXPECT_EQ(classifyExtension("dir.x/a.bmp"), 3);
  EXPECT_EQ(classifyExtension("a.ppm"), 4);
  EXPECT_EQ(classifyExtension("a.PGM"), 4);
  EXPECT_EQ(classifyExtension("a.pbm"), 4);
  EXPECT_EQ(classifyExtension("A.JPG"), 5);
  EXPECT_EQ(classifyExtension("a.jpeg"), 5);
  EXPECT_EQ(classifyExtension("a.Tiff"), 6);
  EXPECT_EQ(classifyExtension("a.tif"), 6);
}

TEST(ClassifyExtension, OnlyTheLastDotCounts) {
  EXPECT_EQ(classifyExtension("noextension"), 99);
  EXPECT_EQ(classifyExtension("a.bmp.txt"), 99);
  EXPECT_EQ(classifyExtension("a.txt.bmp"), 3);
  EXPECT_EQ(classifyExtension("a.bmpx"), 99);
  EXPECT_EQ(classifyExtension("a."), 99);
  EXPECT_EQ(classifyExtension(""), 99);
  EXPECT_EQ(classifyExtension(nullptr), 99);
}

TEST(AutoFit, LevelsByMode) {
  // 1000 pixels into 100: reduce by 10 (level -9); 1401 gives -14, moved to -15.
  EXPECT_EQ(autoFitZoomLevel(1, 100, 100, 1000, 10, 3), -9);
  EXPECT_EQ(autoFitZoomLevel(1, 100, 100, 1401, 10, 3), -15);
  EXPECT_EQ(autoFitZoomLevel(0, 100, 100, 5000, 5000, 3), 0);
  EXPECT_EQ(autoFitZoomLevel(2, 100, 50, 300, 500, 3), -9);  // height decides
  EXPECT_EQ(autoFitZoomLevel(2, 100, 50, 300, 50, 3), -2);   // width decides
  EXPECT_EQ(autoFitZoomLevel(7, 100, 50, 300, 50, 3), 3);    // unknown mode keeps the level
  EXPECT_EQ(autoFitZoomLevel(-1, 100, 50, 300, 50, -4), -4);
  EXPECT_EQ(autoFitZoomLevel(1, 100, 100, 100, 10, 3), 0);  // fits exactly
  EXPECT_EQ(autoFitZoomLevel(1, 100, 100, 50, 10, 3), 0);   // smaller never enlarges
}

TEST(AutoFit, EmptyClientGivesZero) {
  EXPECT_EQ(autoFitZoomLevel(1, 0, 100, 1000, 1000, 5), 0);
  EXPECT_EQ(autoFitZoomLevel(2, 100, 0, 1000, 1000, 5), 0);
  EXPECT_EQ(autoFitZoomLevel(7, 0, 0, 1000, 1000, 5), 0);
}

TEST(AutoFit, AwkwardReductionFactorsAreAvoided) {
  // width W = cw * (f - 1) + 1 .. cw * f needs level -(f - 1) before adjustment.
  auto levelFor = [](int steps) { return autoFitZoomLevel(1, 10, 10, 10 * steps + 1, 1, 0); };
  EXPECT_EQ(levelFor(12), -12);
  EXPECT_EQ(levelFor(13), -15);
  EXPECT_EQ(levelFor(14), -15);
  EXPECT_EQ(levelFor(15), -15);
  EXPECT_EQ(levelFor(16), -17);
  EXPECT_EQ(levelFor(17), -19);
  EXPECT_EQ(levelFor(18), -19);
  EXPECT_EQ(levelFor(20), -21);
}

TEST(AutoFit, HugePicturesStayInRange) {
  EXPECT_EQ(autoFitZoomLevel(1, 1, 1, 0x7FFFFFFF, 1, 0), -2147483647);
  EXPECT_EQ(autoFitZoomLevel(2, 100, 100, 0, 0, 0), 0);
}

}  // namespace
}  // namespace orlim
