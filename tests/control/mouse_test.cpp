#include <gtest/gtest.h>

#include "view_fixtures.h"

namespace orlim::test {
namespace {

class Mouse : public ::testing::Test {
 protected:
  void loadFlat(ControlHarness& h, int width, int height, const std::string& name = "a.bmp") {
    loadInto(h, viewPicture(dir, name,
                            "-size " + std::to_string(width) + "x" + std::to_string(height) + " gradient:red-blue",
                            "BMP3:"));
    h.forget();
  }
  void drag(ControlHarness& h, POINT from, POINT to) {
    h.window.SetTrackEnd(to);
    h.window.SendLButtonDown(MK_LBUTTON, from);
    if (h.control.viewMode == 0) {
      h.window.SendMouseMove(MK_LBUTTON, to);
      h.window.SendLButtonUp(0, to);
    }
  }
  Variant selectionRectangle(ControlHarness& h, int l, int t, int r, int b) {
    return h.call("SelectionRectangle",
                  {Variant::fromLong(l), Variant::fromLong(t), Variant::fromLong(r), Variant::fromLong(b)});
  }
  TempDir dir;
};

TEST_F(Mouse, PictureThatFitsKeepsTheCursorAndDoesNotPan) {
  ControlHarness h(400, 400);
  loadFlat(h, 100, 100);
  h.window.SendMouseMove(0, POINT{50, 50});
  EXPECT_EQ(h.window.cursor(), kCursorArrow);
  drag(h, POINT{50, 50}, POINT{10, 10});
  EXPECT_EQ(h.window.cursor(), kCursorArrow);
  EXPECT_EQ(h.getLong("ScrollPosX"), 0);
  EXPECT_FALSE(h.window.IsPaintPending());
  EXPECT_EQ(h.log,
            (std::vector<std::string>{"event MouseMove", "event MouseDown", "event MouseMove", "event MouseUp"}));
}

TEST_F(Mouse, PanningMovesTheScrollPositionsWithHandCursorsAndStopsAtZero) {
  ControlHarness h(300, 300);
  loadFlat(h, 600, 600);
  h.window.SendMouseMove(0, POINT{100, 100});
  EXPECT_EQ(h.window.cursor(), kCursorOpenHand);
  h.set("ScrollPosX", Variant::fromLong(10));
  paint(h);
  h.forget();
  h.window.SendLButtonDown(MK_LBUTTON, POINT{100, 100});
  EXPECT_EQ(h.window.cursor(), kCursorClosedHand);
  EXPECT_FALSE(h.window.hasCapture());
  h.window.SendMouseMove(MK_LBUTTON, POINT{130, 80});
  EXPECT_EQ(h.getLong("ScrollPosX"), 0);  // 10 - 30 stops at 0
  EXPECT_EQ(h.getLong("ScrollPosY"), 20);
  EXPECT_EQ(h.window.scrollInfo(SB_VERT).nPos, 20);
  EXPECT_TRUE(h.control.noErase);
  EXPECT_TRUE(h.window.IsPaintPending());
  EXPECT_EQ(h.log, (std::vector<std::string>{"event MouseDown", "notify 14", "notify 15", "event MouseMove"}));
  paint(h);
  h.window.SendLButtonUp(0, POINT{130, 80});
  EXPECT_EQ(h.window.cursor(), kCursorOpenHand);
  EXPECT_FALSE(h.control.noErase);
  EXPECT_FALSE(h.control.dragging);
  // A move without the button only shows the hand.
  h.window.SendMouseMove(0, POINT{10, 10});
  EXPECT_EQ(h.getLong("ScrollPosY"), 20);
}

TEST_F(Mouse, SelectionRectangleClampsAndSwitchesToSelectionMode) {
  ControlHarness h(700, 500);
  loadFlat(h, 640, 480);
  EXPECT_TRUE(selectionRectangle(h, 50, 50, 10, 10).asBool());
  EXPECT_EQ(h.getLong("ViewMode"), 1);
  EXPECT_EQ(h.getLong("ImageSelectionLeft"), 0);  // stored, but no selection
  EXPECT_EQ(h.control.selection.left, 50);
  EXPECT_FALSE(h.control.hasSelection);
  EXPECT_TRUE(selectionRectangle(h, -5, 0, 99999, 99999).asBool());
  EXPECT_EQ(h.getLong("ImageSelectionLeft"), 0);
  EXPECT_EQ(h.getLong("ImageSelectionTop"), 0);
  EXPECT_EQ(h.getLong("ImageSelectionRight"), 639);
  EXPECT_EQ(h.getLong("ImageSelectionBottom"), 479);
  // Setting a coordinate clamps it and tells the container; the screen stays.
  h.forget();
  h.set("ImageSelectionRight", Variant::fromLong(100000));
  h.set("ImageSelectionTop", Variant::fromLong(-4));
  EXPECT_EQ(h.getLong("ImageSelectionRight"), 639);
  EXPECT_EQ(h.getLong("ImageSelectionTop"), 0);
  EXPECT_EQ(h.log, (std::vector<std::string>{"notify 29", "modified", "notify 28", "modified"}));
  EXPECT_FALSE(h.window.IsPaintPending());
  // Leaving selection mode clears the selection and invalidates it.
  h.set("ViewMode", Variant::fromLong(7));
  EXPECT_EQ(h.getLong("ViewMode"), 0);
  EXPECT_EQ(h.getLong("ImageSelectionRight"), 0);
  EXPECT_TRUE(h.window.IsPaintPending());
  // Without a picture the method fails.
  h.call("Clear");
  EXPECT_FALSE(selectionRectangle(h, 1, 1, 5, 5).asBool());
}

TEST_F(Mouse, SelectionCoordinatesAreIgnoredInPanMode) {
  ControlHarness h(300, 300);
  loadFlat(h, 100, 100);
  h.set("ImageSelectionLeft", Variant::fromLong(5));
  EXPECT_EQ(h.control.selection.left, 0);
  EXPECT_TRUE(h.log.empty());
}

TEST_F(Mouse, SelectionIsDrawnAsTrackerAndRepaintsAtOnce) {
  ControlHarness h(200, 200);
  loadInto(h, viewPicture(dir, "w.bmp", "-size 100x100 xc:white", "BMP3:"));
  const int paints = h.window.paintCount();
  h.forget();
  selectionRectangle(h, 10, 10, 60, 40);
  EXPECT_EQ(h.window.paintCount(), paints + 1);
  EXPECT_EQ(countOf(h.log, "event Paint"), 1);
  // Dotted black outline at the client rectangle of (10, 10)-(60, 40), origin (50, 50).
  int black = 0, white = 0;
  for (int x = 60; x < 110; ++x) {
    black += shown(h, x, 60) == 0x000000u;
    white += shown(h, x, 60) == 0xFFFFFFu;
  }
  EXPECT_GT(black, 10);  // dotted: both inks along the top edge
  EXPECT_GT(white, 10);
  EXPECT_EQ(black + white, 50);
  EXPECT_EQ(shown(h, 60, 60), 0x000000u);
  EXPECT_EQ(shown(h, 60, 59), 0xFFFFFFu);
  EXPECT_EQ(shown(h, 80, 75), 0xFFFFFFu);
}

TEST_F(Mouse, RubberBandSelectionAndItsInvalidations) {
  ControlHarness h(300, 300);
  loadFlat(h, 200, 200);  // drawn at (50, 50)
  h.set("ViewMode", Variant::fromLong(1));
  h.forget();
  drag(h, POINT{60, 70}, POINT{110, 90});
  EXPECT_EQ(h.getLong("ImageSelectionLeft"), 10);
  EXPECT_EQ(h.getLong("ImageSelectionTop"), 20);
  EXPECT_EQ(h.getLong("ImageSelectionRight"), 60);
  EXPECT_EQ(h.getLong("ImageSelectionBottom"), 40);
  // The tracker already shows it exactly: no invalidation, Paint fired directly.
  EXPECT_FALSE(h.window.IsPaintPending());
  EXPECT_EQ(h.log, (std::vector<std::string>{"event Paint", "event MouseDown"}));
  EXPECT_FALSE(h.window.hasCapture());
  // A second selection invalidates the old one grown by 2.
  h.forget();
  drag(h, POINT{200, 200}, POINT{150, 160});  // inverted drag, normalised
  EXPECT_EQ(h.getLong("ImageSelectionLeft"), 100);
  EXPECT_EQ(h.getLong("ImageSelectionBottom"), 150);
  ASSERT_TRUE(h.window.IsPaintPending());
  paint(h);
  EXPECT_EQ(h.window.lastPaintRegion().left, 58);
  EXPECT_EQ(h.window.lastPaintRegion().top, 68);
  EXPECT_EQ(h.log, (std::vector<std::string>{"modified", "event MouseDown", "event Paint"}));
  // A drag that ends where it started leaves no selection.
  h.forget();
  drag(h, POINT{120, 120}, POINT{120, 120});
  EXPECT_EQ(h.getLong("ImageSelectionRight"), 0);
  EXPECT_FALSE(h.control.hasSelection);
}

TEST_F(Mouse, ZoomedSelectionThatDoesNotMatchTheTrackerInvalidatesIt) {
  ControlHarness h(300, 300);
  loadFlat(h, 100, 100);
  h.set("ZoomLevel", Variant::fromLong(1));  // 200 x 200 at (50, 50)
  h.set("ViewMode", Variant::fromLong(1));
  paint(h);
  h.forget();
  drag(h, POINT{61, 61}, POINT{101, 91});
  // (11, 11) -> round(5.5) = 6; (51, 41) -> 26, 21: shown at (62, 62)-(102, 92), not the tracker's.
  EXPECT_EQ(h.control.selection.left, 6);
  EXPECT_EQ(h.control.selection.right, 26);
  EXPECT_EQ(h.control.selection.bottom, 21);
  ASSERT_TRUE(h.window.IsPaintPending());
  EXPECT_EQ(countOf(h.log, "event Paint"), 0);
  paint(h);
  EXPECT_EQ(h.window.lastPaintRegion().left, 61 - 4);  // grown by 2 (z + 1)
  EXPECT_EQ(countOf(h.log, "event Paint"), 1);
}

TEST_F(Mouse, ClientToImageRoundsHalvesUpAtZoomOne) {
  ControlHarness h(100, 100);
  loadFlat(h, 200, 200);
  h.set("ZoomLevel", Variant::fromLong(1));
  h.set("ScrollPosX", Variant::fromLong(0));
  h.set("ScrollPosY", Variant::fromLong(0));
  paint(h);
  ASSERT_EQ(h.control.originX, 0);
  RECT r{101, 51, 101, 51};
  h.control.clientToImage(r, FALSE);
  EXPECT_EQ(r.left, 51);
  EXPECT_EQ(r.top, 26);
  EXPECT_EQ(h.control.imageToClient(RECT{51, 26, 51, 26}).left, 102);
  RECT far{-40, -40, 5000, 5000};
  h.control.clientToImage(far, TRUE);
  EXPECT_EQ(far.left, 0);
  EXPECT_EQ(far.right, 199);
}

TEST_F(Mouse, DrawRectangleRefusalsAndRepaints) {
  ControlHarness h(300, 300);
  loadFlat(h, 100, 100);
  auto drawRectangle = [&](int l, int t, int r, int b, int style) {
    return h
        .call("DrawRectangle", {Variant::fromLong(l), Variant::fromLong(t), Variant::fromLong(r), Variant::fromLong(b),
                                Variant::fromLong(255), Variant::fromLong(0), Variant::fromLong(style)})
        .asBool();
  };
  EXPECT_FALSE(drawRectangle(-1, -1, -1, -1, 0));
  EXPECT_FALSE(h.control.overlayShown);
  EXPECT_TRUE(h.log.empty());
  EXPECT_TRUE(drawRectangle(1, 2, 30, 40, 9));
  EXPECT_TRUE(h.control.overlayShown);
  EXPECT_EQ(h.control.overlayStyle, 0);
  EXPECT_EQ(h.control.overlayThickness, 1);
  EXPECT_FALSE(h.control.noErase);
  EXPECT_EQ(countOf(h.log, "event Paint"), 1);
  EXPECT_TRUE(drawRectangle(1, 2, 30, 40, 3));
  EXPECT_EQ(h.control.overlayStyle, 3);
  // Far beyond the picture at 200 %: clipped to its edges, nothing overflows.
  h.set("ZoomLevel", Variant::fromLong(1));
  EXPECT_TRUE(drawRectangle(-2147483647, -2147483647, 2147483647, 2147483647, 0));
  EXPECT_EQ(shown(h, 50, 50), 0xFF0000u);
  EXPECT_EQ(shown(h, 249, 249), 0xFF0000u);
  EXPECT_TRUE(drawRectangle(0, 0, 0, 0, 0));
  EXPECT_FALSE(h.control.overlayShown);
}

TEST_F(Mouse, DroppedFileIsAnnouncedThenLoaded) {
  ControlHarness h(300, 300);
  const std::string first = viewPicture(dir, "first.bmp", "-size 30x20 xc:red", "BMP3:");
  const std::string second = viewPicture(dir, "second.bmp", "-size 50x40 xc:blue", "BMP3:");
  EXPECT_TRUE(h.window.AcceptsDroppedFiles());
  std::vector<Variant> args;
  struct Catcher : EventSink {
    std::vector<Variant>* args;
    void OnEvent(const MemberInfo& e, const std::vector<Variant>& a) override {
      if (std::string(e.name) == "DropFiles") *args = a;
    }
  } catcher;
  catcher.args = &args;
  h.control.Advise(&catcher);
  h.window.DropFiles({first, second});
  h.control.Unadvise(&catcher);
  ASSERT_EQ(args.size(), 1u);
  EXPECT_EQ(args[0].asString(), first);
  EXPECT_EQ(h.log.front(), "event DropFiles");
  EXPECT_EQ(h.getLong("ImageWidth"), 30);
  EXPECT_EQ(h.get("Picture").asString(), first);
}

TEST_F(Mouse, LosingTheFocusErasesAtTheNextPaint) {
  ControlHarness h(300, 300);
  loadFlat(h, 100, 100);
  h.window.SendKillFocus();
  EXPECT_TRUE(h.control.forceErase);
  h.control.noErase = TRUE;
  h.window.Invalidate(nullptr, false);
  paint(h);
  EXPECT_FALSE(h.control.forceErase);
  EXPECT_EQ(shown(h, 5, 5), 0xF0F0F0u);
}

}  // namespace
}  // namespace orlim::test
