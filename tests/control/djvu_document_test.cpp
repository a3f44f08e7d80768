// Multi-page DjVu documents in the control: Pages and CurrentPage with the TIFF
// rules, and each page shown, zoomed, layered and edited as the same page alone.
#include <gtest/gtest.h>

#include <climits>

#include "command_fixtures.h"

namespace orlim::test {
namespace {

class DjvuDocument : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!haveTool("c44") || !haveTool("cjb2") || !haveTool("djvumake") || !haveTool("djvm"))
      GTEST_SKIP() << "DjVuLibre tools missing";
    // Page 1: background 120 x 90; page 2: compound 96 x 64; page 3: background 80 x 100.
    djvuPage(dir, "p1.djvu", 120, 90);
    shellIn(dir, convertTool() +
                     " -size 96x64 xc:white -fill black -draw 'rectangle 10,10 50,40' mask.pbm && "
                     "cjb2 mask.pbm mask.djvu && " +
                     convertTool() + " -size 96x64 gradient:yellow-navy bg.ppm && " + convertTool() +
                     " -size 96x64 xc:red fg.ppm && c44 bg.ppm bg.djvu && c44 -slice 74 fg.ppm fg.djvu"
                     " && djvuextract bg.djvu BG44=bg.iw4 && djvuextract fg.djvu BG44=fg.iw4 && "
                     "djvumake p2.djvu INFO=96,64,100 Sjbz=mask.djvu FG44=fg.iw4 BG44=bg.iw4");
    shellIn(dir, convertTool() + " -size 80x100 gradient:green-white p3.ppm && c44 p3.ppm p3.djvu");
    shellIn(dir, "djvm -c book.djvu p1.djvu p2.djvu p3.djvu");
    book = dir.file("book.djvu");
  }
  // The window as painted.
  static std::vector<std::uint32_t> shown(CommandHarness& c) {
    c.h.window.DeliverPendingPaint();
    return c.h.window.surface().pixels();
  }
  TempDir dir;
  std::string book;
};

TEST_F(DjvuDocument, PagesAndCurrentPageFollowTheTiffRules) {
  CommandHarness c;
  c.load(book);
  EXPECT_EQ(c.h.getLong("Pages"), 3);
  EXPECT_EQ(c.h.getLong("CurrentPage"), 1);
  EXPECT_EQ(c.h.control.fileType, 1);
  const struct {
    std::int32_t set, page, width;
  } steps[] = {{2, 2, 96}, {99, 3, 80}, {0, 1, 120}, {-4, 1, 120}, {INT_MAX, 3, 80}, {INT_MIN, 1, 120}, {2, 2, 96}};
  for (const auto& s : steps) {
    c.h.forget();
    c.h.set("CurrentPage", number(s.set));
    EXPECT_EQ(c.h.getLong("CurrentPage"), s.page) << s.set;
    EXPECT_EQ(c.h.getLong("ImageWidth"), s.width) << s.set;
    EXPECT_EQ(c.h.log.front(), "modified");
    EXPECT_TRUE(c.h.application.messages().empty()) << c.h.messageTexts().front();
  }
  EXPECT_EQ(c.h.control.djvuKind, 1) << "page 2 is a compound page";
  // Another document opens at the same page; a single page has one.
  shellIn(dir, "djvm -c other.djvu p3.djvu p1.djvu");
  c.load(dir.file("other.djvu"));
  EXPECT_EQ(c.h.getLong("CurrentPage"), 2);
  EXPECT_EQ(c.h.getLong("ImageWidth"), 120);
  c.load(dir.file("p3.djvu"));
  EXPECT_EQ(c.h.getLong("Pages"), 1);
  EXPECT_EQ(c.h.getLong("CurrentPage"), 1);
}

// Snapshot: page 2 of the document after CurrentPage, ZoomLevel and DjvuLayer
// changes shows exactly what page 2 alone shows with the same settings.
TEST_F(DjvuDocument, APageZoomedAndLayeredShowsAsThatPageAlone) {
  CommandHarness c, alone, other;
  c.load(book);
  c.h.set("CurrentPage", number(2));
  c.h.set("ZoomLevel", number(-1));
  c.h.set("DjvuLayer", number(2));
  alone.load(dir.file("p2.djvu"));
  alone.h.set("ZoomLevel", number(-1));
  alone.h.set("DjvuLayer", number(2));
  EXPECT_EQ(c.image().width, 48);
  EXPECT_EQ(shown(c), shown(alone));
  other.load(dir.file("p2.djvu"));
  other.h.set("ZoomLevel", number(-1));
  EXPECT_NE(shown(c), shown(other)) << "the layer is in the picture";
  c.h.set("DjvuLayer", number(1));
  alone.h.set("DjvuLayer", number(1));
  EXPECT_EQ(c.image().bitsPerPixel, 8);
  EXPECT_EQ(shown(c), shown(alone));
}

TEST_F(DjvuDocument, ARotationOnPage3SurvivesAZoomChange) {
  CommandHarness c, alone;
  c.load(book);
  c.h.set("CurrentPage", number(3));
  ASSERT_TRUE(c.call("RotateImage", {Variant::fromFloat(90)}));
  c.h.set("ZoomLevel", number(-1));
  alone.load(dir.file("p3.djvu"));
  alone.h.set("ZoomLevel", number(-1));
  ASSERT_TRUE(alone.call("RotateImage", {Variant::fromFloat(90)}));
  EXPECT_EQ(c.image().width, 50);
  EXPECT_EQ(c.image().height, 40);
  EXPECT_EQ(shown(c), shown(alone));
}

// Issue: a page whose INFO chunk asks for a quarter turn was shown as stored.
// The control holds the upright page: its size, a save and the symmetry of an
// edit that a zoom change re-applies all concern the upright picture.
TEST_F(DjvuDocument, APageTurnedByItsInfoChunkIsEditedAndSavedUpright) {
  if (!haveTool("djvused") || !haveTool("identify")) GTEST_SKIP() << "djvused or identify missing";
  shellIn(dir, "cp p1.djvu turned.djvu && djvused turned.djvu -e 'select 1; set-rotation 1' -s");
  CommandHarness c, stored;
  c.load(dir.file("turned.djvu"));
  stored.load(dir.file("p1.djvu"));
  EXPECT_EQ(c.h.getLong("ImageWidth"), 90);
  EXPECT_EQ(c.h.getLong("ImageHeight"), 120);
  // The page as stored, turned a quarter counter-clockwise (rotate90 of bottom-up rows).
  ASSERT_EQ(stored.image().rotate90(), 1);
  EXPECT_EQ(maxChannelDifference(toRgb(c.image()), toRgb(stored.image())), 0);
  ASSERT_TRUE(c.call("MirrorImage"));
  c.h.set("ZoomLevel", number(-2));
  c.h.set("ZoomLevel", number(0));
  ASSERT_EQ(stored.image().mirror(), 1);
  EXPECT_EQ(maxChannelDifference(toRgb(c.image()), toRgb(stored.image())), 0) << "the mirror survives a re-render";
  const std::string saved = dir.file("turned.bmp");
  c.h.set("ZoomLevel", number(-1));
  ASSERT_TRUE(c.call("SaveAsBmp", {text(saved)}));
  EXPECT_NE(peerOutput("identify '" + saved + "'").find("90x120"), std::string::npos);
}

TEST_F(DjvuDocument, AMissingPageIsNamedAndTheFileNotTakenForAPicture) {
  if (!haveTool("djvmcvt")) GTEST_SKIP() << "djvmcvt missing";
  shellIn(dir, "mkdir ind && djvmcvt -i book.djvu ind index.djvu && rm ind/p2.djvu");
  CommandHarness c;
  const std::string index = dir.file("ind/index.djvu");
  c.load(index);
  EXPECT_EQ(c.h.getLong("Pages"), 3);
  c.h.set("CurrentPage", number(2));
  const auto texts = c.h.messageTexts();
  ASSERT_EQ(texts.size(), 2u);
  EXPECT_EQ(texts[0], "Error! Page 2 of the DjVu document " + index + " is missing: could not open " +
                          dir.file("ind/p2.djvu") + "!\n");
  EXPECT_EQ(texts[1], "File type not recognized!");
  EXPECT_EQ(c.h.control.fileType, 99);
}

}  // namespace
}  // namespace orlim::test
