// The window as a person drives it: scroll bar actions, mouse drags that pan
// and select, and files dropped on it.
#include <gtest/gtest.h>

#include <QMimeData>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTest>
#include <QUrl>

#include "qt_fixtures.h"

namespace orlim::test {
namespace {

// The sample at zoom 1 (twice its size) in a small window: both bars shown.
class ScrolledWidget : public ::testing::Test {
 protected:
  void SetUp() override {
    widget.resize(300, 200);
    widget.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&widget));
    widget.setAutoFit(0);
    widget.setPicture(QString::fromStdString(samplePicture(dir)));
    widget.setZoomLevel(1);
    // A zoom keeps the view's centre: start from the picture's top left corner.
    widget.setScrollPosX(0);
    widget.setScrollPosY(0);
    settle(widget);
    ASSERT_TRUE(bar(SB_VERT)->isVisible() && bar(SB_HORZ)->isVisible());
  }
  QScrollBar* bar(int which) { return windowOf(widget).scrollBar(which); }
  int range(const char* name) { return widget.property(name).toInt(); }

  TempDir dir;
  OrlimWidget widget;
};

TEST_F(ScrolledWidget, BarActionsMoveTheViewAndTheBarShowsWhereItWent) {
  struct Step {
    QAbstractSlider::SliderAction action;
    int expected;  // -1: one line, -2: one page further than before
  };
  const int last = range("ScrollRangeY");
  ASSERT_GT(last, 0);
  EXPECT_EQ(bar(SB_VERT)->maximum(), last);
  int before = 0;
  for (const Step& step :
       {Step{QAbstractSlider::SliderSingleStepAdd, -1}, Step{QAbstractSlider::SliderPageStepAdd, -2},
        Step{QAbstractSlider::SliderToMaximum, last}, Step{QAbstractSlider::SliderSingleStepAdd, last},
        Step{QAbstractSlider::SliderToMinimum, 0}}) {
    bar(SB_VERT)->triggerAction(step.action);
    settle(widget);
    const int now = widget.scrollPosY();
    if (step.expected == -1)
      EXPECT_GT(now, before);
    else if (step.expected == -2)
      EXPECT_GT(now, before + 1);
    else
      EXPECT_EQ(now, step.expected);
    EXPECT_EQ(bar(SB_VERT)->value(), now) << "the bar shows the control's position";
    before = now;
  }
  EXPECT_EQ(widget.scrollPosX(), 0) << "the other bar did not move";
}

TEST_F(ScrolledWidget, DraggingTheThumbTracksAndEndsWhereItWasLetGo) {
  QSignalSpy moved(&widget, &OrlimWidget::scrollPosXChanged);
  bar(SB_HORZ)->setSliderDown(true);
  bar(SB_HORZ)->setSliderPosition(124);
  EXPECT_EQ(widget.scrollPosX(), 124) << "the view follows the thumb";
  bar(SB_HORZ)->setSliderDown(false);
  settle(widget);
  EXPECT_EQ(widget.scrollPosX(), 124);
  EXPECT_EQ(bar(SB_HORZ)->value(), 124);
  EXPECT_GE(moved.count(), 1);
  // What the view shows is the picture moved by the scroll.
  const QImage screen = widget.grab().toImage();
  widget.setScrollPosX(0);
  settle(widget);
  const QImage unscrolled = widget.grab().toImage();
  for (int x : {0, 10, 100}) EXPECT_EQ(screen.pixel(x, 50), unscrolled.pixel(x + 124, 50)) << x;
}

TEST_F(ScrolledWidget, DragWithTheButtonDownPansTheView) {
  QWidget* view = widget.view();
  widget.setScrollPosX(100);
  widget.setScrollPosY(100);
  QTest::mousePress(view, Qt::LeftButton, {}, QPoint(150, 100));
  EXPECT_EQ(view->cursor().shape(), Qt::ClosedHandCursor);
  QMouseEvent move(QEvent::MouseMove, QPointF(120, 80), view->mapToGlobal(QPointF(120, 80)), Qt::NoButton,
                   Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(view, &move);
  QTest::mouseRelease(view, Qt::LeftButton, {}, QPoint(120, 80));
  settle(widget);
  EXPECT_EQ(widget.scrollPosX(), 130);
  EXPECT_EQ(widget.scrollPosY(), 120);
  EXPECT_EQ(bar(SB_HORZ)->value(), 130);
}

TEST_F(ScrolledWidget, RubberBandDragSelectsAndShowsTheOutlineWhileItRuns) {
  widget.setViewMode(1);
  settle(widget);
  QWidget* view = widget.view();
  const Surface& surface = windowOf(widget).surface();
  const auto blackOnTopEdge = [&surface] {
    int black = 0;
    for (int x = 20; x < 120; ++x) black += (surface.pixel(x, 30) & 0xFFFFFF) == 0;
    return black;
  };
  ASSERT_LT(blackOnTopEdge(), 5) << "the sample has no black there";
  bool outlinedDuringDrag = false;
  soon([&] {
    EXPECT_TRUE(windowOf(widget).isTracking());
    QMouseEvent move(QEvent::MouseMove, QPointF(120, 90), view->mapToGlobal(QPointF(120, 90)), Qt::NoButton,
                     Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(view, &move);
    // The dotted outline: its top edge runs from (20, 30); some of its dots are black.
    outlinedDuringDrag = blackOnTopEdge() > 20;
    QTest::mouseRelease(view, Qt::LeftButton, {}, QPoint(120, 90));
  });
  QSignalSpy selected(&widget, &OrlimWidget::selectionChanged);
  QTest::mousePress(view, Qt::LeftButton, {}, QPoint(20, 30));
  settle(widget);
  EXPECT_TRUE(outlinedDuringDrag);
  EXPECT_FALSE(windowOf(widget).isTracking());
  // Zoom 1: client pixels are half picture pixels.
  EXPECT_EQ(widget.property("ImageSelectionLeft").toInt(), 10);
  EXPECT_EQ(widget.property("ImageSelectionTop").toInt(), 15);
  EXPECT_EQ(widget.property("ImageSelectionRight").toInt(), 60);
  EXPECT_EQ(widget.property("ImageSelectionBottom").toInt(), 45);
  EXPECT_GT(blackOnTopEdge(), 20) << "the selection is outlined";
}

TEST(QtWindowDrop, LocalFilesDroppedAreOpenedAndAnnounced) {
  TempDir dir;
  const std::string sample = samplePicture(dir);
  OrlimWidget widget;
  widget.resize(200, 150);
  widget.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&widget));
  QSignalSpy dropped(&widget, &OrlimWidget::filesDropped);

  QMimeData data;
  data.setUrls({QUrl("https://example.invalid/remote.bmp"), QUrl::fromLocalFile(QString::fromStdString(sample))});
  QDragEnterEvent enter(QPoint(50, 50), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(widget.view(), &enter);
  EXPECT_TRUE(enter.isAccepted());
  QDropEvent drop(QPointF(50, 50), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(widget.view(), &drop);
  ASSERT_EQ(dropped.count(), 1);
  EXPECT_EQ(dropped.at(0).at(0).toString().toStdString(), sample);
  EXPECT_EQ(widget.imageWidth(), 400);

  QMimeData remoteOnly;
  remoteOnly.setUrls({QUrl("https://example.invalid/remote.bmp")});
  QDragEnterEvent refused(QPoint(50, 50), Qt::CopyAction, &remoteOnly, Qt::LeftButton, Qt::NoModifier);
  refused.ignore();
  QApplication::sendEvent(widget.view(), &refused);
  EXPECT_FALSE(refused.isAccepted()) << "nothing local to open";
}

}  // namespace
}  // namespace orlim::test
