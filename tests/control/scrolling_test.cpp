#include <gtest/gtest.h>

#include "view_fixtures.h"

namespace orlim::test {
namespace {

class Scrolling : public ::testing::Test {
 protected:
  void loadFlat(ControlHarness& h, int width, int height) {
    loadInto(h, viewPicture(dir, "a.bmp",
                            "-size " + std::to_string(width) + "x" + std::to_string(height) + " gradient:red-blue",
                            "BMP3:"));
    h.forget();
  }
  TempDir dir;
};

TEST_F(Scrolling, WidePictureNeedsOnlyTheHorizontalBar) {
  ControlHarness h(500, 1000);
  loadFlat(h, 1000, 800);
  EXPECT_TRUE(h.window.scrollBarShown(SB_HORZ));
  EXPECT_FALSE(h.window.scrollBarShown(SB_VERT));
  EXPECT_EQ(h.getLong("ClientWidth"), 500);
  EXPECT_EQ(h.getLong("ClientHeight"), 1000 - 17);
  EXPECT_EQ(h.getLong("ScrollRangeX"), 500);
  EXPECT_EQ(h.getLong("ScrollRangeY"), 0);
  EXPECT_EQ(h.window.scrollInfo(SB_HORZ).nMax, 999);
  EXPECT_EQ(h.window.scrollInfo(SB_HORZ).nPage, 500u);
  RECT client{};
  h.window.GetClientRect(client);
  EXPECT_EQ(client.bottom, 1000 - 17);
  // The bar is drawn below the client area; the picture above it.
  EXPECT_NE(shown(h, 10, 990), shown(h, 10, 500));
}

TEST_F(Scrolling, TallAndWidePictureNeedsBothBars) {
  ControlHarness h(300, 200);
  loadFlat(h, 400, 300);
  EXPECT_TRUE(h.window.scrollBarShown(SB_HORZ));
  EXPECT_TRUE(h.window.scrollBarShown(SB_VERT));
  EXPECT_EQ(h.getLong("ClientWidth"), 283);
  EXPECT_EQ(h.getLong("ClientHeight"), 183);
  EXPECT_EQ(h.getLong("ScrollRangeX"), 117);
  EXPECT_EQ(h.getLong("ScrollRangeY"), 117);
  // A smaller picture hides both and gives the client area back.
  loadFlat(h, 100, 50);
  EXPECT_FALSE(h.window.scrollBarShown(SB_HORZ) || h.window.scrollBarShown(SB_VERT));
  EXPECT_EQ(h.getLong("ClientWidth"), 300);
  EXPECT_EQ(h.getLong("ClientHeight"), 200);
}

TEST_F(Scrolling, ScrollPositionIsClampedToTheBarRangeAndSameValueDoesNothing) {
  ControlHarness h(500, 1000);
  loadFlat(h, 1000, 800);
  EXPECT_EQ(h.set("ScrollPosX", Variant::fromLong(5000)), S_OK);
  EXPECT_EQ(h.getLong("ScrollPosX"), 999);  // the bar's range, beyond ScrollRangeX
  EXPECT_EQ(h.log, (std::vector<std::string>{"notify 14", "modified"}));
  EXPECT_TRUE(h.window.IsPaintPending());
  paint(h);
  h.forget();
  h.set("ScrollPosX", Variant::fromLong(999));
  EXPECT_TRUE(h.log.empty());
  EXPECT_FALSE(h.window.IsPaintPending());
  // A bar never set up reports 0 - 0.
  h.set("ScrollPosY", Variant::fromLong(40));
  EXPECT_EQ(h.getLong("ScrollPosY"), 0);
  h.set("ScrollPosX", Variant::fromLong(-3));
  EXPECT_EQ(h.getLong("ScrollPosX"), 0);
}

TEST_F(Scrolling, LineStepsFollowTheZoom) {
  ControlHarness h(300, 300);
  loadFlat(h, 400, 400);
  h.window.SendScroll(SB_HORZ, SB_LINEDOWN, 0);
  EXPECT_EQ(h.getLong("ScrollPosX"), 1);
  h.set("ZoomLevel", Variant::fromLong(2));
  paint(h);
  const int start = h.getLong("ScrollPosX");
  h.window.SendScroll(SB_HORZ, SB_LINEDOWN, 0);
  EXPECT_EQ(h.getLong("ScrollPosX"), start + 3);
  h.window.SendScroll(SB_HORZ, SB_LINEUP, 0);
  EXPECT_EQ(h.getLong("ScrollPosX"), start);
}

TEST_F(Scrolling, RequestsMoveWithinTheRangeAndNotify) {
  ControlHarness h(300, 300);
  loadFlat(h, 1000, 1000);
  const int range = h.getLong("ScrollRangeY");
  EXPECT_EQ(range, 1000 - 283);
  h.window.SendScroll(SB_VERT, SB_PAGEDOWN, 0);
  EXPECT_EQ(h.getLong("ScrollPosY"), 100);  // a tenth of the zoomed height
  EXPECT_EQ(h.log, (std::vector<std::string>{"notify 15"}));
  EXPECT_TRUE(h.control.noErase);
  h.window.SendScroll(SB_VERT, SB_BOTTOM, 0);
  EXPECT_EQ(h.getLong("ScrollPosY"), range);
  h.window.SendScroll(SB_VERT, SB_PAGEDOWN, 0);
  EXPECT_EQ(h.getLong("ScrollPosY"), range);
  h.window.SendScroll(SB_VERT, SB_THUMBTRACK, 250);
  EXPECT_EQ(h.getLong("ScrollPosY"), 250);
  EXPECT_EQ(h.window.scrollInfo(SB_VERT).nPos, 250);
  h.window.SendScroll(SB_VERT, SB_PAGEUP, 0);
  h.window.SendScroll(SB_VERT, SB_PAGEUP, 0);
  h.window.SendScroll(SB_VERT, SB_PAGEUP, 0);
  EXPECT_EQ(h.getLong("ScrollPosY"), 0);
  h.forget();
  h.window.SendScroll(SB_VERT, SB_TOP, 0);
  EXPECT_TRUE(h.log.empty());
  // While scrolling the picture is painted over itself; end scroll stops that.
  paint(h);
  h.window.SendScroll(SB_VERT, SB_ENDSCROLL, 0);
  EXPECT_FALSE(h.control.noErase);
  EXPECT_EQ(h.getLong("ScrollPosX"), 0);
}

TEST_F(Scrolling, ScrollBarsOffGivesTheWholeClientAndPanningStillWorks) {
  ControlHarness h(300, 300);
  loadFlat(h, 600, 600);
  ASSERT_TRUE(h.window.scrollBarShown(SB_VERT));
  h.set("ScrollBars", Variant::fromBool(false));
  EXPECT_FALSE(h.window.scrollBarShown(SB_HORZ) || h.window.scrollBarShown(SB_VERT));
  EXPECT_EQ(h.getLong("ClientWidth"), 300);
  EXPECT_EQ(h.getLong("ScrollRangeX"), 300);
  EXPECT_EQ(h.log, (std::vector<std::string>{"notify 16", "notify 19", "notify 20", "modified"}));
  paint(h);
  h.window.SendLButtonDown(MK_LBUTTON, POINT{200, 200});
  h.window.SendMouseMove(MK_LBUTTON, POINT{150, 120});
  h.window.SendLButtonUp(0, POINT{150, 120});
  EXPECT_EQ(h.getLong("ScrollPosX"), 50);
  EXPECT_EQ(h.getLong("ScrollPosY"), 80);
}

TEST_F(Scrolling, SizeMessageNotifiesInOrder) {
  ControlHarness h(300, 300);
  loadFlat(h, 600, 200);
  h.window.Resize(700, 300);
  EXPECT_EQ(h.log, (std::vector<std::string>{"notify 16", "notify 14", "notify 15", "notify 17", "notify 18",
                                             "notify 19", "notify 20"}));
  EXPECT_FALSE(h.window.scrollBarShown(SB_HORZ));
  EXPECT_EQ(h.getLong("ClientHeight"), 300);
  // The resized window is painted again: the picture centred in the new width.
  ASSERT_TRUE(h.window.IsPaintPending());
  paint(h);
  EXPECT_EQ(h.control.originX, 50);
  EXPECT_EQ(shown(h, 49, 150), 0xF0F0F0u);
  EXPECT_NE(shown(h, 50, 150), 0xF0F0F0u);
}

TEST_F(Scrolling, WithoutPictureEverythingIsZero) {
  ControlHarness h(300, 300);
  for (const char* name : {"ScrollRangeX", "ScrollRangeY", "ImageVisibleLeft", "ImageVisibleTop", "ImageVisibleRight",
                           "ImageVisibleBottom", "ScrollPosX"})
    EXPECT_EQ(h.getLong(name), 0) << name;
  loadFlat(h, 600, 600);
  h.call("Clear");
  EXPECT_FALSE(h.window.scrollBarShown(SB_HORZ) || h.window.scrollBarShown(SB_VERT));
  EXPECT_EQ(h.getLong("ScrollRangeX"), 0);
  EXPECT_EQ(h.getLong("ClientWidth"), 300);
}

TEST_F(Scrolling, VisibleRegionFollowsTheScrollPosition) {
  ControlHarness h(300, 300);
  loadFlat(h, 1000, 1000);
  h.set("ZoomLevel", Variant::fromLong(1));
  h.set("ScrollPosX", Variant::fromLong(0));
  h.set("ScrollPosY", Variant::fromLong(0));
  h.set("ScrollPosX", Variant::fromLong(200));
  h.set("ScrollPosY", Variant::fromLong(101));
  paint(h);
  EXPECT_EQ(h.getLong("ImageVisibleLeft"), 100);
  EXPECT_EQ(h.getLong("ImageVisibleTop"), 51);               // round(50.5)
  EXPECT_EQ(h.getLong("ImageVisibleRight"), 100 + 142 - 1);  // round(283 / 2) = 142 columns
}

}  // namespace
}  // namespace orlim::test
