#include "label/maintain_size.h"

#include <gtest/gtest.h>

namespace orlim {
namespace {

TEST(SizeKeepingResize, FivePercentRule) {
  // A 30-pixel label below 400 x 300: q = 0.1, proportions kept, 360 x 270.
  SizeKeepingResize r = sizeKeepingResize(8, 400, 300, 120, 30);
  EXPECT_TRUE(r.needed);
  EXPECT_EQ(r.width, 360);
  EXPECT_EQ(r.height, 270);
  EXPECT_STREQ(r.failureMessage, "Failed to reduce the size of the original image!");
  // Exactly 5 % keeps proportions too: 285 / 300 x 400 = 380.
  r = sizeKeepingResize(2, 400, 300, 120, 15);
  EXPECT_EQ(r.width, 380);
  EXPECT_EQ(r.height, 285);
  // Below 5 % only the height gives way.
  r = sizeKeepingResize(2, 400, 300, 120, 14);
  EXPECT_EQ(r.width, 400);
  EXPECT_EQ(r.height, 286);
  EXPECT_STREQ(r.failureMessage, "Failed to reduce the height of the original image!");
  // Beside the picture: the width gives way; round(300 x 370 / 400) = round(277.5) = 278.
  r = sizeKeepingResize(4, 400, 300, 30, 300);
  EXPECT_EQ(r.width, 370);
  EXPECT_EQ(r.height, 278);
  EXPECT_STREQ(r.failureMessage, "Failed to reduce the size of the original image!");
  r = sizeKeepingResize(6, 400, 300, 10, 300);
  EXPECT_EQ(r.width, 390);
  EXPECT_EQ(r.height, 300);
  EXPECT_STREQ(r.failureMessage, "Failed to reduce the width of the original image!");
  // On the picture nothing is resized.
  EXPECT_FALSE(sizeKeepingResize(5, 400, 300, 30, 30).needed);
}

}  // namespace
}  // namespace orlim
