// What the widget puts on the screen is what `orlim show` writes for the same
// file, window size and zoom, pixel for pixel.
#include <gtest/gtest.h>

#include <QScrollBar>
#include <QTest>

#include "qt_fixtures.h"

namespace orlim::test {
namespace {

struct PaintCase {
  const char* name;
  const char* corpus;  // a corpus file, or null for the bundled sample
  int width, height;
  int zoom;  // applied when fit is 0
  int fit;
  int layer;
  bool loadedBeforeShown = false;
};

class PaintTest : public ::testing::TestWithParam<PaintCase> {};

TEST_P(PaintTest, ScreenMatchesOrlimShow) {
  const PaintCase& c = GetParam();
  TempDir dir;
  const std::string file = c.corpus ? corpusFile(c.corpus) : samplePicture(dir);
  if (file.empty()) GTEST_SKIP() << "corpus file missing";

  OrlimWidget widget;
  widget.resize(c.width, c.height);
  const auto show = [&widget] {
    widget.show();
    return QTest::qWaitForWindowExposed(&widget);
  };
  if (!c.loadedBeforeShown) {
    ASSERT_TRUE(show());
  }
  widget.setDjvuLayer(c.layer);
  widget.setAutoFit(c.fit);
  if (c.fit == 0) widget.setZoomLevel(c.zoom);
  widget.setPicture(QString::fromStdString(file));
  if (c.fit == 0) widget.setZoomLevel(c.zoom);  // as orlim show does: a load may choose its own
  if (c.loadedBeforeShown) {
    ASSERT_TRUE(show());
  }
  settle(widget);
  ASSERT_GT(widget.imageWidth(), 0);
  ASSERT_FALSE(windowOf(widget).scrollBar(SB_HORZ)->isVisible() || windowOf(widget).scrollBar(SB_VERT)->isVisible())
      << "cases are chosen to fit the window";

  const DisplayCaps caps = windowOf(widget).GetDisplayCaps();
  std::vector<std::string> options = {"--bits " + std::to_string(caps.bitsPerPixel),
                                      "--layer " + std::to_string(c.layer),
                                      std::string("--fit ") + (c.fit == 0   ? "none"
                                                               : c.fit == 1 ? "width"
                                                                            : "image")};
  if (c.fit == 0) options.push_back("--zoom " + std::to_string(c.zoom));
  const QImage expected = orlimShow(dir, file, c.width, c.height, options);
  ASSERT_FALSE(expected.isNull());
  const QImage screen = widget.grab().toImage().convertToFormat(QImage::Format_RGB32);
  ASSERT_EQ(screen.size(), expected.size());
  EXPECT_EQ(differingPixels(screen, expected, screen.rect()), 0);
}

INSTANTIATE_TEST_SUITE_P(Pictures, PaintTest,
                         ::testing::Values(PaintCase{"SampleOneToOne", nullptr, 480, 360, 0, 0, 0},
                                           PaintCase{"SampleHalved", nullptr, 300, 200, -1, 0, 0},
                                           PaintCase{"DjvuFitted", "djvu/boy.djvu", 320, 400, 0, 2, 0},
                                           PaintCase{"DjvuForegroundFitted", "djvu/boy.djvu", 320, 400, 0, 2, 3},
                                           PaintCase{"DjvuFittedBeforeShown", "djvu/boy.djvu", 330, 410, 0, 2, 0,
                                                     true}),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace orlim::test
