#include <gtest/gtest.h>
#include <unistd.h>

#include <climits>
#include <filesystem>

#include "control_harness.h"
#include "djvu/DjvuFileInfo.h"
#include "support/image_pixels.h"
#include "support/test_support.h"

namespace orlim::test {
namespace {

const std::vector<std::string> kLoadLog = {"notify 2",  "notify 1",    "notify 5",  "notify 6",  "notify 7",
                                           "notify 12", "notify 13",   "notify 14", "notify 15", "notify 17",
                                           "notify 18", "event Paint", "modified"};  // drawn at once, before the
                                                                                     // modified flag

// Makes a fixture with imagemagick: `recipe` is everything before the output name;
// a last word ending in ":" ("BMP3:") is the format prefix of the output.
std::string makePicture(const TempDir& dir, const std::string& name, const std::string& recipe) {
  const std::string path = dir.file(name);
  std::string options = recipe, prefix;
  const auto space = recipe.find_last_of(' ');
  if (space != std::string::npos && recipe.back() == ':') {
    options = recipe.substr(0, space);
    prefix = recipe.substr(space + 1);
  }
  std::string output;
  if (run(convertTool() + " " + options + " '" + prefix + path + "'", &output) != 0) ADD_FAILURE() << output;
  return path;
}

void load(ControlHarness& h, const std::string& path) {
  h.forget();
  EXPECT_EQ(h.set("Picture", Variant::fromString(path)), S_OK);
}

TEST(Loading, BitmapLoadNotifiesInOrderAndRepaints) {
  TempDir dir;
  const std::string path = makePicture(dir, "a.bmp", "-size 300x200 xc:red BMP3:");
  ControlHarness h;
  const int paints = h.window.paintCount();
  load(h, path);
  EXPECT_TRUE(h.application.messages().empty());
  EXPECT_EQ(h.log, kLoadLog);
  EXPECT_EQ(h.getLong("ImageWidth"), 300);
  EXPECT_EQ(h.getLong("ImageHeight"), 200);
  EXPECT_EQ(h.getLong("ImageDepth"), 24);
  EXPECT_EQ(h.getLong("Pages"), 1);
  EXPECT_EQ(h.getLong("CurrentPage"), 1);
  EXPECT_EQ(h.get("Picture").asString(), path);
  EXPECT_EQ(h.get("InitialOpenDir").asString(), dir.path());
  EXPECT_EQ(h.control.fileType, 3);
  // Updated at once, under the wait cursor.
  EXPECT_EQ(h.window.paintCount(), paints + 1);
  EXPECT_FALSE(h.window.IsPaintPending());
  EXPECT_GT(h.application.waitCursorShows(), 0);
  EXPECT_EQ(h.application.waitCursorDepth(), 0);
}

TEST(Loading, EmptyPathClearsSilently) {
  TempDir dir;
  const std::string path = makePicture(dir, "a.bmp", "-size 30x20 xc:red BMP3:");
  ControlHarness h;
  load(h, path);
  load(h, "");
  EXPECT_TRUE(h.application.messages().empty());
  EXPECT_EQ(h.log, std::vector<std::string>(kLoadLog.begin(), kLoadLog.begin() + 7));
  EXPECT_EQ(h.getLong("ImageWidth"), 0);
  EXPECT_EQ(h.getLong("Pages"), 0);
  EXPECT_EQ(h.get("Picture").asString(), "");
  EXPECT_EQ(h.control.fileType, 99);
  EXPECT_EQ(h.control.image.dib, nullptr);
}

TEST(Loading, MissingFileKeepsThePicture) {
  TempDir dir;
  const std::string path = makePicture(dir, "a.bmp", "-size 30x20 xc:red BMP3:");
  ControlHarness h;
  load(h, path);
  const std::string missing = dir.file("nothing-here.bmp");
  load(h, missing);
  EXPECT_EQ(h.messageTexts(), std::vector<std::string>{"Could not find file " + missing + "!"});
  EXPECT_EQ(h.application.messages()[0].type, MB_OK | MB_ICONERROR);
  EXPECT_EQ(h.log, std::vector<std::string>{"modified"});
  EXPECT_EQ(h.get("Picture").asString(), path);
  EXPECT_EQ(h.getLong("ImageWidth"), 30);
  EXPECT_EQ(h.control.fileType, 3);
}

TEST(Loading, UnknownExtensionKeepsThePixels) {
  TempDir dir;
  const std::string path = makePicture(dir, "a.bmp", "-size 30x20 xc:red BMP3:");
  const std::string notes = dir.file("notes.txt"), bare = dir.file("README");
  writeFile(notes, {'h', 'i'});
  writeFile(bare, {'h', 'i'});
  ControlHarness h;
  load(h, notes);  // nothing before: stays empty
  EXPECT_EQ(h.messageTexts(), std::vector<std::string>{"File type not recognized!"});
  EXPECT_EQ(h.control.image.dib, nullptr);
  EXPECT_EQ(h.get("Picture").asString(), notes);
  load(h, path);
  load(h, bare);
  EXPECT_EQ(h.messageTexts(), std::vector<std::string>{"File type not recognized!"});
  EXPECT_EQ(h.log, kLoadLog);
  EXPECT_EQ(h.getLong("ImageWidth"), 30);
  EXPECT_NE(h.control.image.dib, nullptr);
  EXPECT_EQ(h.control.fileType, 99);
  EXPECT_EQ(h.get("Picture").asString(), bare);
  EXPECT_EQ(h.get("InitialOpenDir").asString(), dir.path());
  // With nothing loaded from a file, Clear leaves the path alone only when there is no picture.
  h.call("Clear");
  EXPECT_EQ(h.get("Picture").asString(), "");
  load(h, notes);
  h.forget();
  h.call("Clear");
  EXPECT_EQ(h.get("Picture").asString(), notes);
  EXPECT_TRUE(h.log.empty());
}

TEST(Loading, DamagedFileShowsTheReadersMessageThenFails) {
  TempDir dir;
  const std::string good = makePicture(dir, "a.bmp", "-size 30x20 xc:red BMP3:");
  const std::string bad = dir.file("bad.bmp");
  writeFile(bad, {'B', 'M', 1, 2, 3, 4, 5, 6, 7, 8, 9});
  ControlHarness h;
  load(h, good);
  load(h, bad);
  const auto texts = h.messageTexts();
  ASSERT_EQ(texts.size(), 2u);
  EXPECT_NE(texts[0].find("bad.bmp"), std::string::npos) << texts[0];
  EXPECT_EQ(texts[1], "Failed to load " + bad);
  EXPECT_EQ(h.control.image.dib, nullptr);
  EXPECT_EQ(h.getLong("ImageWidth"), 0);
  EXPECT_EQ(h.get("Picture").asString(), bad);
  EXPECT_EQ(h.control.fileType, 3);
  // Folder, scroll notifications and the modified flag as after any load; nothing to paint.
  EXPECT_EQ(h.log, (std::vector<std::string>{"notify 14", "notify 15", "notify 17", "notify 18", "modified"}));
}

TEST(Loading, TiffLibraryErrorsReachTheMessageBoxWithTheirCaption) {
  TempDir dir;
  const std::string bad = dir.file("bad.tif");
  writeFile(bad, {'I', 'I', '*', 0, 8, 0, 0, 0, 5, 0, 'x', 'y', 'z'});
  ControlHarness h;
  load(h, bad);
  const auto& boxes = h.application.messages();
  ASSERT_GE(boxes.size(), 2u);
  EXPECT_EQ(boxes.back().text, "Failed to load " + bad);
  EXPECT_TRUE(boxes.back().caption.empty());
  const std::string caption = boxes.front().caption;
  ASSERT_GE(caption.size(), 6u);
  EXPECT_EQ(caption.substr(caption.size() - 6), " Error");
  EXPECT_EQ(boxes.front().type, MB_OK | MB_ICONERROR);
  EXPECT_EQ(h.control.image.dib, nullptr);
}

TEST(Loading, AutoFitChoosesTheZoomLevel) {
  TempDir dir;
  const std::string wide = makePicture(dir, "wide.bmp", "-size 1000x10 xc:blue BMP3:");
  const std::string wider = makePicture(dir, "wider.bmp", "-size 1401x10 xc:blue BMP3:");
  const std::string tall = makePicture(dir, "tall.bmp", "-size 50x1000 xc:blue BMP3:");
  ControlHarness h(100, 100);
  h.set("AutoFit", Variant::fromLong(1));
  load(h, wide);
  EXPECT_EQ(h.getLong("ZoomLevel"), -9);
  load(h, wider);
  EXPECT_EQ(h.getLong("ZoomLevel"), -15);
  load(h, tall);
  EXPECT_EQ(h.getLong("ZoomLevel"), 0);
  h.set("AutoFit", Variant::fromLong(2));
  load(h, tall);
  EXPECT_EQ(h.getLong("ZoomLevel"), -9);
  h.set("AutoFit", Variant::fromLong(5));  // outside the enumeration: the level stays
  h.set("ZoomLevel", Variant::fromLong(3));
  load(h, wide);
  EXPECT_EQ(h.getLong("ZoomLevel"), 3);
  h.set("AutoFit", Variant::fromLong(0));
  load(h, wide);
  EXPECT_EQ(h.getLong("ZoomLevel"), 0);
}

TEST(Loading, InitialOpenDirIsTheFolderOfThePath) {
  TempDir dir;
  makePicture(dir, "here.bmp", "-size 8x8 xc:red BMP3:");
  makePicture(dir, "back\\slash.bmp", "-size 8x8 xc:red BMP3:");
  ControlHarness h;
  const auto cwd = std::filesystem::current_path();
  std::filesystem::current_path(dir.path());
  load(h, "here.bmp");
  EXPECT_EQ(h.get("InitialOpenDir").asString(), "");
  load(h, "back\\slash.bmp");  // a backslash separates folders too
  EXPECT_EQ(h.get("InitialOpenDir").asString(), "back");
  std::filesystem::current_path(cwd);
  EXPECT_EQ(h.getLong("ImageWidth"), 8);
}

TEST(Loading, ZoomExtremesOnABitmapStayInRange) {
  TempDir dir;
  const std::string path = makePicture(dir, "a.bmp", "-size 300x200 xc:red BMP3:");
  ControlHarness h(100, 100);
  load(h, path);
  for (std::int32_t z : {INT_MIN, INT_MAX, INT_MIN + 1, INT_MAX - 1, -5, 5}) {
    h.forget();
    EXPECT_EQ(h.set("ZoomLevel", Variant::fromLong(z)), S_OK);
    EXPECT_EQ(h.getLong("ZoomLevel"), z);
    EXPECT_GE(h.getLong("ScrollRangeX"), 0);
    EXPECT_GE(h.getLong("ScrollPosX"), 0);
    EXPECT_LE(h.getLong("ScrollPosX"), h.getLong("ScrollRangeX"));
    EXPECT_EQ(h.log, (std::vector<std::string>{"notify 9", "notify 17", "notify 18", "modified"}));
  }
  h.set("ZoomLevel", Variant::fromLong(INT_MAX));
  EXPECT_EQ(h.getLong("ScrollRangeX"), INT_MAX);
}

TEST(Loading, PnmKinds) {
  TempDir dir;
  ControlHarness h;
  struct Case {
    const char* name;
    const char* recipe;
    int depth;
  } cases[] = {{"a.ppm", "-size 7x5 xc:red", 24},
               {"a.PGM", "-size 7x5 xc:gray50 -depth 8", 8},
               {"a.pbm", "-size 7x5 xc:black", 1}};
  for (const Case& c : cases) {
    const std::string path = makePicture(dir, c.name, c.recipe);
    load(h, path);
    EXPECT_TRUE(h.application.messages().empty()) << c.name;
    EXPECT_EQ(h.control.fileType, 4);
    EXPECT_EQ(h.getLong("ImageWidth"), 7);
    EXPECT_EQ(h.getLong("ImageDepth"), c.depth) << c.name;
  }
}

TEST(Loading, JpegDepthFollowsDitherAndTheDisplay) {
  TempDir dir;
  const std::string path = makePicture(dir, "a.JPG", "-size 40x30 gradient:red-blue -quality 90");
  ControlHarness h;
  h.window.SetDisplay(8, 96);
  h.call("Refresh");
  h.window.DeliverPendingPaint();
  load(h, path);
  EXPECT_EQ(h.control.fileType, 5);
  EXPECT_EQ(h.getLong("ImageWidth"), 40);
  EXPECT_LE(h.control.image.bitsPerPixel, 8);
  h.set("Dither", Variant::fromBool(false));
  load(h, path);
  EXPECT_EQ(h.control.image.bitsPerPixel, 24);
}

TEST(Loading, JpegReRenderKeepsEditsAndReportsALostFile) {
  TempDir dir;
  const std::string path = makePicture(dir, "a.jpeg", "-size 40x30 gradient:red-blue -quality 90");
  ControlHarness h;
  h.set("Dither", Variant::fromBool(false));
  load(h, path);
  ASSERT_EQ(h.control.image.bitsPerPixel, 24);
  ASSERT_TRUE(h.control.image.mirror());
  const int symmetry = h.control.image.symmetry;
  h.forget();
  EXPECT_EQ(h.control.reRender(8, 0), TRUE);
  EXPECT_EQ(h.control.image.bitsPerPixel, 8);
  EXPECT_EQ(h.control.image.symmetry, symmetry);
  EXPECT_TRUE(h.application.messages().empty());
  std::filesystem::remove(path);
  EXPECT_EQ(h.control.reRender(24, 0), FALSE);
  ASSERT_FALSE(h.application.messages().empty());
  EXPECT_EQ(h.application.messages().back().text, "Failed to re-render the image!");
}

TEST(Loading, TiffPagesAndCurrentPage) {
  TempDir dir;
  const std::string path = makePicture(dir, "multi.tif", "-size 10x4 xc:red -size 20x4 xc:green -size 30x4 xc:blue");
  const std::string other = makePicture(dir, "other.Tiff", "-size 11x4 xc:red -size 22x4 xc:green");
  ControlHarness h;
  load(h, path);
  EXPECT_EQ(h.getLong("Pages"), 3);
  EXPECT_EQ(h.getLong("CurrentPage"), 1);
  EXPECT_EQ(h.getLong("ImageWidth"), 10);
  struct Step {
    std::int32_t set;
    std::int32_t page;
    std::int32_t width;
  } steps[] = {{2, 2, 20}, {99, 3, 30}, {0, 1, 10}, {-4, 1, 10}, {INT_MAX, 3, 30}, {INT_MIN, 1, 10}, {2, 2, 20}};
  for (const Step& s : steps) {
    h.forget();
    h.set("CurrentPage", Variant::fromLong(s.set));
    EXPECT_EQ(h.getLong("CurrentPage"), s.page) << s.set;
    EXPECT_EQ(h.getLong("ImageWidth"), s.width) << s.set;
    EXPECT_EQ(h.log.front(), "modified");
    EXPECT_TRUE(h.application.messages().empty());
  }
  // Another TIFF opens at the same page index.
  load(h, other);
  EXPECT_EQ(h.getLong("ImageWidth"), 22);
  EXPECT_EQ(h.getLong("CurrentPage"), 2);
}

// ---- DjVu and IW44 ----

// The pages are made with DjVuLibre's encoders; each test names those it uses.
class DjvuLoading : public ::testing::Test {
 protected:
  std::string shell(const std::string& command) {
    std::string output;
    EXPECT_EQ(run("cd '" + dir.path() + "' && " + command, &output), 0) << command << "\n" << output;
    return output;
  }
  // A colour page with only a background (c44): red at the top, blue at the bottom,
  // or red at the left, blue at the right.
  std::string backgroundPage(int w, int h, bool leftToRight = false) {
    const std::string direction = leftToRight ? " -define gradient:direction=east" : "";
    makePicture(dir, "bg.ppm",
                "-size " + std::to_string(w) + "x" + std::to_string(h) + direction + " gradient:red-blue");
    shell("c44 bg.ppm bg.djvu");
    return dir.file("bg.djvu");
  }
  // A bitonal page (cjb2).
  std::string bitonalPage() {
    makePicture(dir, "mask.pbm", "-size 64x48 xc:white -fill black -draw 'rectangle 10,10 40,30'");
    shell("cjb2 mask.pbm mask.djvu");
    return dir.file("mask.djvu");
  }
  // A compound page: mask, background and foreground colours.
  std::string compoundPage() {
    bitonalPage();
    backgroundPage(64, 48);
    makePicture(dir, "fg.ppm", "-size 64x48 xc:green");
    shell(
        "c44 -slice 74 fg.ppm fg.djvu && djvuextract fg.djvu BG44=fg.iw4 && djvuextract mask.djvu Sjbz=mask.jb2"
        " && djvuextract bg.djvu BG44=bg.iw4 && djvumake compound.djvu INFO=64,48,100 Sjbz=mask.jb2"
        " FG44=fg.iw4 BG44=bg.iw4");
    return dir.file("compound.djvu");
  }
  // An IW44 colour image (FORM:PM44) under a name of the caller's choice.
  std::string iw44Image(const std::string& name) {
    backgroundPage(64, 48);
    shell("djvuextract bg.djvu BG44=raw.iw4 && (printf 'AT&T'; cat raw.iw4) > '" + name + "'");
    return dir.file(name);
  }
  TempDir dir;
};

TEST_F(DjvuLoading, ProbeDecidesTheKind) {
  SKIP_WITHOUT_TOOLS("c44", "cjb2", "djvumake", "djvuextract");
  ControlHarness h;
  struct Case {
    std::string path;
    int fileType;
    int djvuKind;
  } cases[] = {{backgroundPage(64, 48), 1, 3},
               {bitonalPage(), 1, 2},
               {compoundPage(), 1, 1},
               {iw44Image("image.djvu"), 2, 1},
               {iw44Image("image.iw4"), 2, 1}};
  for (const Case& c : cases) {
    load(h, c.path);
    EXPECT_TRUE(h.application.messages().empty()) << c.path << ": " << h.messageTexts()[0];
    EXPECT_EQ(h.control.fileType, c.fileType) << c.path;
    EXPECT_EQ(h.control.djvuKind, c.djvuKind) << c.path;
    EXPECT_EQ(h.getLong("ImageWidth"), 64) << c.path;
    EXPECT_EQ(h.log, kLoadLog) << c.path;
  }
}

TEST_F(DjvuLoading, AFileThatIsNeitherFormIsNotRecognized) {
  ControlHarness h;
  const std::string path = dir.file("fake.djvu");
  writeFile(path, {'A', 'T', '&', 'T', 'F', 'O', 'R', 'M', 0, 0, 0, 4, 'D', 'J', 'V', 'M'});
  load(h, path);
  const auto texts = h.messageTexts();
  ASSERT_FALSE(texts.empty());
  EXPECT_EQ(texts.back(), "File type not recognized!");
  EXPECT_EQ(h.control.fileType, 99);
}

TEST_F(DjvuLoading, LayerAppliesOnlyToCompoundPages) {
  SKIP_WITHOUT_TOOLS("c44", "cjb2", "djvumake", "djvuextract");
  ControlHarness h;
  load(h, compoundPage());
  EXPECT_EQ(h.control.image.bitsPerPixel, 24);
  h.forget();
  h.set("DjvuLayer", Variant::fromLong(1));  // the mask: rendered in gray levels
  EXPECT_EQ(h.control.image.bitsPerPixel, 8);
  EXPECT_EQ(h.log, (std::vector<std::string>{"notify 21", "modified"}));

  load(h, backgroundPage(64, 48));  // kind 3: stored and announced, not rendered
  h.forget();
  h.set("DjvuLayer", Variant::fromLong(2));
  EXPECT_EQ(h.control.image.bitsPerPixel, 24);
  EXPECT_EQ(h.log, (std::vector<std::string>{"notify 21", "modified"}));

  load(h, iw44Image("image.iw44"));  // not a DjVu document page: only stored
  h.forget();
  h.set("DjvuLayer", Variant::fromLong(1));
  EXPECT_EQ(h.getLong("DjvuLayer"), 1);
  EXPECT_TRUE(h.log.empty());
  EXPECT_EQ(h.control.image.bitsPerPixel, 24);
}

TEST_F(DjvuLoading, ZoomReRendersTheKeptPageAndKeepsEdits) {
  SKIP_WITHOUT_TOOLS("c44");
  ControlHarness h;
  load(h, backgroundPage(200, 100, true));  // left and right differ, so a lost mirror shows
  Image& image = h.control.image;
  ASSERT_EQ(image.width, 200);
  const auto plain = toRgb(image);
  ASSERT_TRUE(image.mirror());
  ASSERT_TRUE(image.negate());
  const int symmetry = image.symmetry;

  h.set("ZoomLevel", Variant::fromLong(-1));
  EXPECT_EQ(image.width, 100);
  EXPECT_EQ(image.height, 50);
  EXPECT_EQ(h.getLong("ImageWidth"), 200);
  EXPECT_EQ(image.symmetry, symmetry);
  EXPECT_EQ(image.negative, 1);
  // Left of the mirrored negative is the inverted right of the plain page.
  const auto shown = rgbAt(image, 0, 25);
  const std::size_t at = (50u * 200u + 199u) * 3u;
  EXPECT_NEAR(shown[0], 255 - plain.rgb[at], 40);
  EXPECT_NEAR(shown[2], 255 - plain.rgb[at + 2], 40);

  ASSERT_TRUE(image.convertToGray());
  h.set("ZoomLevel", Variant::fromLong(-3));
  EXPECT_EQ(image.width, 50);
  EXPECT_EQ(image.isGray, 1);
  EXPECT_EQ(image.bitsPerPixel, 8);

  h.set("ZoomLevel", Variant::fromLong(0));
  EXPECT_EQ(image.width, 200);
  h.set("FancyZoom", Variant::fromBool(false));
  h.set("ZoomLevel", Variant::fromLong(-1));
  EXPECT_EQ(image.width, 200);  // without FancyZoom the view reduces, not the decoder

  h.set("FancyZoom", Variant::fromBool(true));
  for (std::int32_t z : {INT_MIN, INT_MAX, -199, -200, 0}) {
    h.set("ZoomLevel", Variant::fromLong(z));
    EXPECT_EQ(h.getLong("ZoomLevel"), z);
    EXPECT_GE(h.getLong("ScrollRangeX"), 0);
  }
}

TEST_F(DjvuLoading, AutoFitUsesTheFullPageSize) {
  SKIP_WITHOUT_TOOLS("c44");
  ControlHarness h(100, 100);
  h.set("AutoFit", Variant::fromLong(1));
  load(h, backgroundPage(401, 50));
  EXPECT_EQ(h.getLong("ZoomLevel"), -4);
  EXPECT_EQ(h.control.image.width, 401 / 5);
  EXPECT_EQ(h.getLong("ImageWidth"), 401);
}

TEST_F(DjvuLoading, ReplacingAPageByABitmapReleasesIt) {
  SKIP_WITHOUT_TOOLS("c44");
  ControlHarness h;
  load(h, backgroundPage(64, 48));
  EXPECT_NE(h.control.image.djvuPage, nullptr);
  load(h, makePicture(dir, "a.bmp", "-size 30x20 xc:red BMP3:"));
  EXPECT_EQ(h.control.image.djvuPage, nullptr);
  EXPECT_EQ(h.control.reRender(24, 0), FALSE);  // a bitmap cannot be got again
}

}  // namespace
}  // namespace orlim::test
