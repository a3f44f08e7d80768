// The Edit, View and Pages menus and their shortcuts, the status bar, the
// session kept between runs, and the command line.
#include <QLabel>
#include <QMenu>
#include <QMimeData>
#include <QPushButton>
#include <QStatusBar>
#include <QTest>
#include <QUrl>

#include "CommandLine.h"
#include "viewer_fixture.h"

namespace orlim::viewer::test {
namespace {

QStringList statusTexts(const ViewerWindow& window) {
  QStringList texts;
  for (const QLabel* label : window.statusBar()->findChildren<QLabel*>()) texts << label->text();
  return texts;
}

TEST_F(ViewerTest, EditCommandsChangeThePictureAsTheirNamesSay) {
  ASSERT_TRUE(window->openFile(QString::fromStdString(sample())));
  const QImage original = shown("before.bmp");
  struct Case {
    const char* action;
    QImage expected;
  };
  QImage negative = original;
  negative.invertPixels();
  const Case cases[] = {
      {"editMirror", original.mirrored(true, false)},
      {"editFlip", original.mirrored(false, true)},
      {"editRotate180", original.mirrored(true, true)},
      {"editRotateRight", original.transformed(QTransform().rotate(90))},
      {"editRotateLeft", original.transformed(QTransform().rotate(-90))},
      {"editNegative", negative},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.action);
    window->openFile(QString::fromStdString(sample()));
    ASSERT_TRUE(trigger(c.action));
    EXPECT_EQ(shown("after.bmp"), c.expected.convertToFormat(QImage::Format_RGB32));
  }
  window->openFile(QString::fromStdString(sample()));
  ASSERT_TRUE(trigger("editGray"));
  const QImage gray = shown("gray.bmp");
  for (int y = 0; y < gray.height(); y += 7)
    for (int x = 0; x < gray.width(); x += 7) {
      const QRgb p = gray.pixel(x, y);
      ASSERT_TRUE(qRed(p) == qGreen(p) && qGreen(p) == qBlue(p)) << x << "," << y;
    }
  script.resize.push_back({123, 45, 2});
  ASSERT_TRUE(trigger("editResize"));
  EXPECT_EQ(control().imageWidth(), 123);
  EXPECT_EQ(control().imageHeight(), 45);
}

TEST_F(ViewerTest, CommandsNeedingAPictureAreDisabledWithoutOne) {
  for (const char* name : {"fileSaveTiff", "fileSaveAs", "editCopy", "editRotateLeft", "editResize", "editAddText",
                           "viewZoomIn", "fileSaveSelection", "editCrop", "pageNext"})
    EXPECT_FALSE(action(name)->isEnabled()) << name;
  EXPECT_TRUE(action("fileOpen")->isEnabled());
  EXPECT_TRUE(action("editPaste")->isEnabled());
}

TEST_F(ViewerTest, CopyThenPasteBringsThePictureBack) {
  ASSERT_TRUE(window->openFile(QString::fromStdString(sample())));
  const QImage original = shown("a.bmp");
  ASSERT_TRUE(trigger("editCopy"));
  ASSERT_TRUE(trigger("editRotateRight"));
  ASSERT_TRUE(trigger("editPaste"));
  EXPECT_EQ(shown("b.bmp"), original);
}

TEST_F(ViewerTest, ZoomKeysAndFitsSetTheControlAndThePercentageShows) {
  window->show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
  ASSERT_TRUE(window->openFile(QString::fromStdString(sample())));
  QTest::keyClick(window.get(), Qt::Key_Plus);
  EXPECT_EQ(control().zoomLevel(), 1);
  EXPECT_TRUE(statusTexts(*window).contains("200%"));
  QTest::keyClick(window.get(), Qt::Key_Minus);
  QTest::keyClick(window.get(), Qt::Key_Minus);
  QTest::keyClick(window.get(), Qt::Key_Minus);
  EXPECT_EQ(control().zoomLevel(), -2);
  EXPECT_TRUE(statusTexts(*window).contains("33.3%"));
  QTest::keyClick(window.get(), Qt::Key_0, Qt::ControlModifier);
  EXPECT_EQ(control().zoomLevel(), 0);
  EXPECT_EQ(control().autoFit(), 0);
  EXPECT_TRUE(statusTexts(*window).contains("400 × 300, 24 bit, 96 × 96 dpi") ||
              statusTexts(*window).filter("400 × 300, 24 bit").size() == 1)
      << statusTexts(*window).join(" | ").toStdString();

  // Fits use the control's own arithmetic: a 400-wide picture in a narrower control.
  control().resize(150, 120);
  ASSERT_TRUE(trigger("viewFitWidth"));
  EXPECT_EQ(control().autoFit(), 1);
  EXPECT_EQ(control().zoomLevel(), -2);
  ASSERT_TRUE(trigger("viewFitImage"));
  EXPECT_EQ(control().autoFit(), 2);
  EXPECT_EQ(control().zoomLevel(), -2);
  EXPECT_EQ(fitZoomLevel(2, 100, 100, 1400, 1400), -15);
  EXPECT_EQ(fitZoomLevel(1, 100, 100, 1700, 10), -17);
}

TEST_F(ViewerTest, ArrowKeysScrollAZoomedPicture) {
  window->show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
  ASSERT_TRUE(window->openFile(QString::fromStdString(sample())));
  control().setZoomLevel(2);
  const int x = control().scrollPosX(), y = control().scrollPosY();
  QTest::keyClick(window.get(), Qt::Key_Right);
  QTest::keyClick(window.get(), Qt::Key_Down);
  EXPECT_GT(control().scrollPosX(), x);
  EXPECT_GT(control().scrollPosY(), y);
  QTest::keyClick(window.get(), Qt::Key_Left);
  EXPECT_LT(control().scrollPosX(), control().scrollPosX() + 1);
}

TEST_F(ViewerTest, PagesTurnWithPageKeysAndShowAsNOfM) {
  SKIP_WITHOUT_TOOLS("convert");
  const std::string tiff = dir.file("three.tif");
  ASSERT_EQ(orlim::test::run(orlim::test::convertTool() + " -size 40x30 xc:red xc:green xc:blue '" + tiff + "'"), 0);
  window->show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
  ASSERT_TRUE(window->openFile(QString::fromStdString(tiff)));
  EXPECT_EQ(control().pages(), 3);
  EXPECT_TRUE(statusTexts(*window).contains("1 / 3"));
  QTest::keyClick(window.get(), Qt::Key_PageDown);
  EXPECT_EQ(control().currentPage(), 2);
  EXPECT_TRUE(statusTexts(*window).contains("2 / 3"));
  ASSERT_TRUE(trigger("pageLast"));
  EXPECT_EQ(control().currentPage(), 3);
  ASSERT_TRUE(trigger("pageNext"));
  EXPECT_EQ(control().currentPage(), 3);
  QTest::keyClick(window.get(), Qt::Key_PageUp);
  EXPECT_EQ(control().currentPage(), 2);
  script.page.push_back(1);
  ASSERT_TRUE(trigger("pageGoTo"));
  EXPECT_EQ(control().currentPage(), 1);
  EXPECT_TRUE(statusTexts(*window).contains("1 / 3"));
}

TEST_F(ViewerTest, DjvuLayerIsOfferedForDjvuPagesOnly) {
  const std::string page = orlim::test::corpusFile("djvu/boy.djvu");
  if (page.empty()) GTEST_SKIP() << "corpus page missing";
  ASSERT_TRUE(window->openFile(QString::fromStdString(sample())));
  EXPECT_FALSE(action("viewLayerBackground")->isEnabled());
  ASSERT_TRUE(window->openFile(QString::fromStdString(page)));
  ASSERT_TRUE(trigger("viewLayerBackground"));
  EXPECT_EQ(control().djvuLayer(), 2);
}

TEST_F(ViewerTest, OpenStartsInTheInitialFolderWithTheRememberedFilterAndBothOutliveTheRun) {
  ASSERT_TRUE(window->openFile(QString::fromStdString(sample())));
  script.open.push_back({QString::fromStdString(sample()), 3});
  ASSERT_TRUE(trigger("fileOpen"));
  ASSERT_TRUE(script.lastOpen);
  EXPECT_EQ(script.lastOpen->filterIndex, 7);
  EXPECT_EQ(script.lastOpen->folder, QString::fromStdString(dir.path()));
  // Display settings chosen through the menus.
  trigger("viewDither");
  trigger("viewFancyZoom");
  trigger("viewFitWidth");
  ASSERT_FALSE(control().dither());
  ASSERT_FALSE(control().fancyZoom());
  window->show();
  window->resize(700, 520);
  ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
  window->close();
  window.reset();

  window = makeWindow(false);
  EXPECT_FALSE(control().dither());
  EXPECT_FALSE(control().fancyZoom());
  EXPECT_EQ(control().autoFit(), 1);
  EXPECT_TRUE(action("viewFitWidth")->isChecked());
  EXPECT_EQ(control().property("InitialOpenDir").toString(), QString::fromStdString(dir.path()));
  EXPECT_EQ(window->size(), QSize(700, 520));
  script.open.push_back({});
  trigger("fileOpen");
  EXPECT_EQ(script.lastOpen->filterIndex, 3);
  const QList<QAction*> recent = window->findChild<QMenu*>("fileRecent")->actions();
  ASSERT_FALSE(recent.isEmpty());
  EXPECT_EQ(recent.first()->data().toString(), QString::fromStdString(sample()));
  const std::vector<std::uint8_t> bag = orlim::test::readFile(dir.file("config/orlim/control.properties"));
  EXPECT_NE(std::string(bag.begin(), bag.end()).find("AutoFit = 1"), std::string::npos);
}

TEST_F(ViewerTest, AFileDroppedOnTheWindowOpens) {
  window->show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
  QMimeData data;
  data.setUrls({QUrl("https://example.invalid/remote.bmp"), QUrl::fromLocalFile(QString::fromStdString(sample()))});
  QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
  QCoreApplication::sendEvent(window.get(), &enter);
  EXPECT_TRUE(enter.isAccepted());
  QDropEvent drop(QPointF(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
  QCoreApplication::sendEvent(window.get(), &drop);
  EXPECT_EQ(control().imageWidth(), 400);
}

TEST_F(ViewerTest, AddTextStampsNothingWhenTheTextDialogIsCancelled) {
  ASSERT_TRUE(window->openFile(QString::fromStdString(sample())));
  control().setProperty("TextContent", "ORLIM");
  control().setProperty("TextPosition", 8);  // below the picture
  int dialogsSeen = 0;
  QTimer cancel;
  cancel.setInterval(30);
  QObject::connect(&cancel, &QTimer::timeout, [&dialogsSeen] {
    if (auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget())) {
      ++dialogsSeen;
      dialog->reject();
    }
  });
  cancel.start();
  ASSERT_TRUE(trigger("editAddText"));
  EXPECT_GT(dialogsSeen, 0) << "the text dialog was shown";
  EXPECT_EQ(control().imageWidth(), 400);
  EXPECT_EQ(control().imageHeight(), 300) << "a cancelled dialog stamps no label";
}

TEST(ViewerCommandLine, ArgumentsAreReadOrRefused) {
  struct Case {
    QStringList args;
    QString file;
    std::optional<int> page;
    QString zoom;
    std::optional<int> fit;
    bool error;
  };
  const Case cases[] = {
      {{"a.djvu"}, "a.djvu", {}, "", {}, false},
      {{"a.tif", "--page", "3", "--zoom", "-2", "--fit", "width"}, "a.tif", 3, "-2", 1, false},
      {{"--fit", "image", "b.jpg", "--zoom", "50%"}, "b.jpg", {}, "50%", 2, false},
      {{"--fit", "sideways"}, "", {}, "", {}, true},
      {{"--page"}, "", {}, "", {}, true},
      {{"a", "b"}, "a", {}, "", {}, true},
  };
  for (const Case& c : cases) {
    const CommandLine line = parseCommandLine(c.args);
    SCOPED_TRACE(c.args.join(' ').toStdString());
    EXPECT_EQ(line.error.isEmpty(), !c.error);
    if (c.error) continue;
    EXPECT_EQ(line.file, c.file);
    EXPECT_EQ(line.page, c.page);
    EXPECT_EQ(line.zoom, c.zoom);
    EXPECT_EQ(line.fit, c.fit);
  }
}

}  // namespace
}  // namespace orlim::viewer::test
