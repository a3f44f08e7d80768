// The widget on a real X server (started by xvfb-run): what the screen shows,
// the clipboard shared with another process (xclip), and a dropped file.
#include <gtest/gtest.h>

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>
#include <QProcess>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTest>
#include <QUrl>
#include <cstdlib>
#include <functional>

#include "qt_fixtures.h"

namespace orlim::test {
namespace {

// The screen's pixels under `area`, as imagemagick's import grabs them.
QImage grabScreen(const TempDir& dir, const QRect& area, const std::string& name = "screen.png") {
  const std::string png = dir.file(name);
  const std::string crop = std::to_string(area.width()) + "x" + std::to_string(area.height()) + "+" +
                           std::to_string(area.x()) + "+" + std::to_string(area.y());
  std::string output;
  if (run("import -window root -crop " + crop + " 'png:" + png + "'", &output) != 0) {
    ADD_FAILURE() << output;
    return {};
  }
  return QImage(QString::fromStdString(png)).convertToFormat(QImage::Format_RGB32);
}

// Grabs until `done` holds for what the screen shows (the X server draws what
// was sent in its own time), at most for about two seconds; the last grab.
QImage grabWhen(const TempDir& dir, const QRect& area, const std::function<bool(const QImage&)>& done) {
  QImage screen;
  for (int attempt = 0; attempt < 10; ++attempt) {
    screen = grabScreen(dir, area);
    if (screen.isNull() || done(screen)) break;
    QTest::qWait(200);
  }
  return screen;
}

int blackPixelsInRow(const QImage& image, int y, int from, int to) {
  int black = 0;
  for (int x = from; x < to; ++x) black += (image.pixel(x, y) & 0xFFFFFF) == 0;
  return black;
}

// A widget shown at a known place on the screen, every paint delivered.
void showAt(OrlimWidget& widget, const QRect& geometry) {
  widget.setGeometry(geometry);
  widget.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&widget));
  settle(widget);
  QTest::qWait(300);  // the X server has drawn what was sent
}

bool haveDesktopTools() { return haveTool("import") && haveTool("xclip"); }

TEST(X11Desktop, ScreenShowsWhatOrlimShowWritesAndTheSelectionOutline) {
  if (!haveDesktopTools()) GTEST_SKIP() << "import or xclip missing";
  const std::string page = corpusFile("djvu/boy.djvu");
  if (page.empty()) GTEST_SKIP() << "corpus page missing";
  TempDir dir;
  OrlimWidget widget;
  showAt(widget, QRect(40, 30, 360, 450));
  widget.setAutoFit(2);
  widget.setPicture(QString::fromStdString(page));
  settle(widget);
  ASSERT_FALSE(windowOf(widget).scrollBar(SB_VERT)->isVisible());
  const QRect onScreen(widget.mapToGlobal(QPoint(0, 0)), widget.size());

  const DisplayCaps caps = windowOf(widget).GetDisplayCaps();
  const QImage expected = orlimShow(dir, page, onScreen.width(), onScreen.height(),
                                    {"--fit image", "--bits " + std::to_string(caps.bitsPerPixel)});
  ASSERT_FALSE(expected.isNull());
  const QImage screen = grabWhen(dir, onScreen, [&](const QImage& shown) {
    return shown.size() == expected.size() && differingPixels(shown, expected, shown.rect()) == 0;
  });
  ASSERT_EQ(screen.size(), expected.size());
  EXPECT_EQ(differingPixels(screen, expected, screen.rect()), 0);

  // A selection as a person would pull it: its dotted outline on the screen.
  widget.call("SelectionRectangle", {60, 80, 180, 200});
  settle(widget);
  const auto outlined = [&](const QImage& shown) { return differingPixels(shown, screen, screen.rect()) > 100; };
  EXPECT_TRUE(outlined(grabWhen(dir, onScreen, outlined))) << "the outline shows";
}

TEST(X11Desktop, RubberBandDraggedOnAScrolledPageSelectsWhatTheScreenOutlines) {
  if (!haveDesktopTools()) GTEST_SKIP() << "import or xclip missing";
  const std::string page = corpusFile("djvu/century_p6683.djvu");
  if (page.empty()) GTEST_SKIP() << "corpus page missing";
  TempDir dir;
  OrlimWidget widget;
  showAt(widget, QRect(0, 0, 640, 480));
  widget.setAutoFit(1);
  widget.setPicture(QString::fromStdString(page));
  widget.setViewMode(1);
  settle(widget);
  ASSERT_TRUE(windowOf(widget).scrollBar(SB_VERT)->isVisible()) << "a page fitted by width scrolls down";
  widget.setScrollPosY(300);
  settle(widget);
  const QImage before = widget.grab().toImage().convertToFormat(QImage::Format_RGB32);
  QWidget* view = widget.view();
  soon([view] {
    QMouseEvent move(QEvent::MouseMove, QPointF(420, 330), view->mapToGlobal(QPointF(420, 330)), Qt::NoButton,
                     Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(view, &move);
    QTest::mouseRelease(view, Qt::LeftButton, {}, QPoint(420, 330));
  });
  QTest::mousePress(view, Qt::LeftButton, {}, QPoint(140, 120));
  settle(widget);
  const int left = widget.property("ImageSelectionLeft").toInt();
  const int right = widget.property("ImageSelectionRight").toInt();
  // Fitted by width, the page is reduced by a whole factor: 280 client pixels are that many times more.
  const int reduction = 1 - widget.zoomLevel();
  ASSERT_GT(reduction, 1);
  EXPECT_NEAR(right - left, 280 * reduction, reduction);
  // The dotted outline's 980-pixel perimeter, about half of it dots, much of it on paper.
  const auto outlined = [&before](const QImage& shown) {
    return shown.size() == before.size() && differingPixels(shown, before, before.rect()) > 200 &&
           blackPixelsInRow(shown, 120, 140, 420) > blackPixelsInRow(before, 120, 140, 420) + 40;
  };
  const QImage screen = grabWhen(dir, QRect(widget.mapToGlobal(QPoint(0, 0)), widget.size()), outlined);
  EXPECT_TRUE(outlined(screen)) << "the selection's dotted outline is on the screen";
  if (const char* keep = std::getenv("ORLIM_TEST_TMP")) screen.save(QString(keep) + "/qt-widget-djvu-selection.png");
}

TEST(X11Desktop, CopiedPictureIsReadByAnotherProcessAsPng) {
  if (!haveDesktopTools()) GTEST_SKIP() << "import or xclip missing";
  TempDir dir;
  const std::string sample = samplePicture(dir);
  OrlimWidget widget;
  widget.setPicture(QString::fromStdString(sample));
  showAt(widget, QRect(0, 0, 320, 240));
  ASSERT_TRUE(widget.call("CopyToClipboard").toBool());

  QProcess xclip;
  xclip.start("xclip", {"-selection", "clipboard", "-t", "image/png", "-o"});
  // This process serves the clipboard from its event loop while xclip reads it.
  ASSERT_TRUE(QTest::qWaitFor([&] { return xclip.state() == QProcess::NotRunning; }, 20000));
  const QImage read = QImage::fromData(xclip.readAllStandardOutput(), "PNG").convertToFormat(QImage::Format_RGB32);
  const QImage expected = QImage(QString::fromStdString(sample)).convertToFormat(QImage::Format_RGB32);
  ASSERT_EQ(read.size(), expected.size());
  EXPECT_EQ(differingPixels(read, expected, expected.rect()), 0);
}

TEST(X11Desktop, PngPutThereByAnotherProcessIsPasted) {
  if (!haveDesktopTools()) GTEST_SKIP() << "import or xclip missing";
  TempDir dir;
  const std::string png = dir.file("other.png");
  QImage other(57, 33, QImage::Format_RGB32);
  other.fill(QColor(200, 40, 90));
  ASSERT_TRUE(other.save(QString::fromStdString(png)));
  OrlimWidget widget;
  showAt(widget, QRect(0, 0, 320, 240));
  // xclip stays in the background serving the clipboard until another owner
  // takes it; its output goes nowhere so that this call returns.
  QClipboard* clipboard = QGuiApplication::clipboard();
  clipboard->clear();  // nothing of this process's own is taken for xclip's
  ASSERT_EQ(run("xclip -selection clipboard -t image/png -i '" + png + "' >/dev/null 2>&1"), 0);
  ASSERT_TRUE(QTest::qWaitFor(
      [clipboard] {
        const QMimeData* data = clipboard->mimeData();
        return !clipboard->ownsClipboard() && data && data->hasFormat("image/png");
      },
      20000));
  ASSERT_TRUE(widget.call("PasteFromClipboard").toBool());
  EXPECT_EQ(widget.imageWidth(), 57);
  EXPECT_EQ(widget.imageHeight(), 33);
  settle(widget);
  const QImage shown = widget.grab().toImage();
  EXPECT_EQ(shown.pixel(shown.width() / 2, shown.height() / 2) & 0xFFFFFF, QColor(200, 40, 90).rgb() & 0xFFFFFF);
}

TEST(X11Desktop, DroppedFileIsOpened) {
  TempDir dir;
  const std::string sample = samplePicture(dir);
  OrlimWidget widget;
  showAt(widget, QRect(0, 0, 320, 240));
  QSignalSpy dropped(&widget, &OrlimWidget::filesDropped);
  QMimeData data;
  data.setUrls({QUrl::fromLocalFile(QString::fromStdString(sample))});
  QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(widget.view(), &enter);
  QDropEvent drop(QPointF(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(widget.view(), &drop);
  EXPECT_EQ(dropped.count(), 1);
  EXPECT_EQ(widget.imageWidth(), 400);
}

}  // namespace
}  // namespace orlim::test
