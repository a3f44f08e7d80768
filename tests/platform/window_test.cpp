#include <gtest/gtest.h>

#include <algorithm>

#include "platform/RectTracker.h"
#include "platform/headless/HeadlessWindow.h"

namespace orlim {
namespace {

TEST(HeadlessWindowBars, ShownBarsTakeTheirWidthFromTheClientArea) {
  HeadlessWindow window(200, 100);
  EXPECT_EQ(window.GetSystemMetrics(SM_CXVSCROLL), 17);
  EXPECT_EQ(window.GetSystemMetrics(SM_CYHSCROLL), 17);
  int low = -1, high = -1;
  window.GetScrollRange(SB_HORZ, low, high);
  EXPECT_EQ(low, 0);
  EXPECT_EQ(high, 0);  // never set up
  window.ShowScrollBar(SB_VERT, true);
  RECT client{};
  window.GetClientRect(client);
  EXPECT_EQ(client.right, 183);
  EXPECT_EQ(client.bottom, 100);
  EXPECT_TRUE(window.IsPaintPending());  // the client area changed
  window.ShowScrollBar(SB_HORZ, true);
  window.GetClientRect(client);
  EXPECT_EQ(client.bottom, 83);
  window.SetScrollInfo(SB_HORZ, SCROLLINFO{0, 399, 183, 300}, true);
  window.GetScrollRange(SB_HORZ, low, high);
  EXPECT_EQ(high, 399);
  EXPECT_EQ(window.scrollInfo(SB_HORZ).nPos, 217);  // the last position the page leaves
  // Bars are drawn outside the client area, the corner filled.
  EXPECT_EQ(window.surface().pixel(190, 50), 0xC0C0C0u);
  EXPECT_EQ(window.surface().pixel(195, 95), 0xC0C0C0u);
  EXPECT_EQ(window.surface().pixel(10, 10), 0xFFFFFFu);
  // Invalidation stays inside the client area.
  window.DeliverPendingPaint();
  window.Invalidate(nullptr, false);
  window.DeliverPendingPaint();
  EXPECT_EQ(window.lastPaintRegion().right, 183);
  EXPECT_EQ(window.lastPaintRegion().bottom, 83);
}

// A window narrower or lower than its bars (down to 0 x 0) draws what fits of
// them and nothing outside its surface.
TEST(HeadlessWindowBars, TinyWindowsDrawOnlyInsideTheirSurface) {
  const std::uint32_t drawn[] = {0xFFFFFFu, 0xC0C0C0u, 0x808080u};
  for (const bool horizontal : {false, true})
    for (const bool vertical : {false, true})
      for (int w = 0; w <= 40; ++w)
        for (int h = 0; h <= 40; h += (h < 20 ? 1 : 7)) {
          HeadlessWindow window(8, 8);
          window.ShowScrollBar(SB_HORZ, horizontal);
          window.ShowScrollBar(SB_VERT, vertical);
          window.SetScrollInfo(SB_HORZ, SCROLLINFO{0, 99, 5, 40}, true);
          window.SetScrollInfo(SB_VERT, SCROLLINFO{0, 99, 5, 90}, true);
          window.Resize(w, h);
          window.DeliverPendingPaint();
          ASSERT_EQ(window.surface().pixels().size(), std::size_t(w) * h);
          for (const std::uint32_t p : window.surface().pixels())
            ASSERT_NE(std::find(std::begin(drawn), std::end(drawn), p), std::end(drawn)) << w << "x" << h;
        }
}

TEST(HeadlessWindowBars, PaintContextsAreClippedToTheirRegion) {
  HeadlessWindow window(50, 50);
  const RECT clip{10, 10, 20, 20};
  window.GetDC(&clip)->FillRect(RECT{0, 0, 50, 50}, RGB(255, 0, 0));
  EXPECT_EQ(window.surface().pixel(9, 10), 0xFFFFFFu);
  EXPECT_EQ(window.surface().pixel(10, 10), 0xFF0000u);
  EXPECT_EQ(window.surface().pixel(19, 19), 0xFF0000u);
  EXPECT_EQ(window.surface().pixel(20, 19), 0xFFFFFFu);
}

TEST(RectTracker, RubberBandEndsWhereTheHostSaysAndIsNormalized) {
  HeadlessWindow window(100, 100);
  CRectTracker tracker(RECT{}, CRectTracker::dottedLine);
  EXPECT_EQ(tracker.handleSize, 10);
  window.SetTrackEnd(POINT{10, 20});
  EXPECT_TRUE(tracker.TrackRubberBand(window, POINT{40, 50}, TRUE));
  EXPECT_EQ(tracker.rect.left, 40);  // inverted, as allowed
  EXPECT_FALSE(window.hasCapture());
  tracker.NormalizeRect();
  EXPECT_EQ(tracker.rect.left, 10);
  EXPECT_EQ(tracker.rect.bottom, 50);
  // Without an end point the loop ends where it began: an empty rectangle.
  EXPECT_FALSE(tracker.TrackRubberBand(window, POINT{5, 5}, FALSE));
  tracker.rect = RECT{10, 10, 30, 20};
  tracker.Draw(*window.GetDC(nullptr));
  const Surface& s = window.surface();
  int black = 0;
  for (int x = 10; x < 30; ++x) black += s.pixel(x, 10) == 0;
  EXPECT_GT(black, 4);
  EXPECT_LT(black, 20);  // dotted
  EXPECT_EQ(s.pixel(29, 15) == 0 || s.pixel(29, 14) == 0, true);
  EXPECT_EQ(s.pixel(30, 15), 0xFFFFFFu);
  EXPECT_EQ(s.pixel(20, 15), 0xFFFFFFu);
}

}  // namespace
}  // namespace orlim
