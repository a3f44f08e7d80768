// File menu saves: each format with its options, the selection, overwriting
// only after a yes, appending TIFF pages, failures reported.
#include <QFile>

#include "viewer_fixture.h"

namespace orlim::viewer::test {
namespace {

using orlim::test::run;

std::string tool(const std::string& command) {
  std::string output;
  run(command, &output);
  return output;
}

TEST_F(ViewerTest, EachFormatIsWrittenWithTheOptionsChosen) {
  SKIP_WITHOUT_TOOLS("identify", "tiffinfo", "djpeg");
  ASSERT_TRUE(window->openFile(QString::fromStdString(sample())));
  struct Case {
    const char* action;
    SaveFormat format;
    const char* file;
    SaveOptions options;
    std::string check;     // a peer's command on the saved file
    std::string expected;  // text its output must contain
  };
  const Case cases[] = {
      {"fileSaveTiff", SaveFormat::Tiff, "lzw.tif", {5, 75, "scanned by me", false}, "tiffinfo", "LZW"},
      {"fileSaveTiff", SaveFormat::Tiff, "lzw2.tif", {5, 75, "scanned by me", false}, "tiffinfo", "scanned by me"},
      {"fileSaveTiff", SaveFormat::Tiff, "jpeg.tif", {7, 60, "", false}, "tiffinfo", "JPEG"},
      {"fileSaveJpeg",
       SaveFormat::Jpeg,
       "q.jpg",
       {1, 92, "a comment", false},
       "identify -format '%Q %c'",
       "92 a comment"},
      {"fileSaveJpeg", SaveFormat::Jpeg, "q2.jpg", {1, 92, "", false}, "djpeg -bmp -outfile /dev/null", ""},
      {"fileSaveBmp", SaveFormat::Bmp, "p.bmp", {}, "identify -format '%m %wx%h'", "BMP3 400x300"},
      {"fileSavePnm", SaveFormat::Pnm, "p.ppm", {}, "identify -format '%m %wx%h'", "PPM 400x300"},
      // Ctrl+S: the format follows the file dialog's choice.
      {"fileSaveAs", SaveFormat::Pnm, "chosen.ppm", {}, "identify -format '%m'", "PPM"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.file);
    script.saveFile.push_back({path(c.file), c.format});
    script.saveOptions.push_back(c.options);
    ASSERT_TRUE(trigger(c.action));
    const std::string out = tool(c.check + " '" + dir.file(c.file) + "' 2>&1");
    EXPECT_NE(out.find(c.expected), std::string::npos) << out;
    EXPECT_TRUE(orlim::test::fileExists(dir.file(c.file)));
  }
  EXPECT_EQ(script.lastDepth, 24);
  EXPECT_TRUE(script.errors.isEmpty()) << script.errors.join("; ").toStdString();
}

TEST_F(ViewerTest, SelectionIsSavedAtTheSizeCropGivesAndOnlyWithASelection) {
  SKIP_WITHOUT_TOOLS("identify");
  ASSERT_TRUE(window->openFile(QString::fromStdString(sample())));
  EXPECT_FALSE(action("fileSaveSelection")->isEnabled());
  EXPECT_FALSE(action("editCrop")->isEnabled());
  control().call("SelectionRectangle", {10, 20, 130, 90});
  EXPECT_TRUE(action("fileSaveSelection")->isEnabled());
  script.saveFile.push_back({path("part.bmp"), SaveFormat::Bmp});
  ASSERT_TRUE(trigger("fileSaveSelection"));
  ASSERT_TRUE(trigger("editCrop"));
  const std::string size = std::to_string(control().imageWidth()) + "x" + std::to_string(control().imageHeight());
  EXPECT_EQ(tool("identify -format '%wx%h' '" + dir.file("part.bmp") + "'"), size);
  EXPECT_NE(size, "400x300");
  EXPECT_FALSE(action("editCrop")->isEnabled()) << "crop consumed the selection";
}

TEST_F(ViewerTest, AnExistingFileIsReplacedOnlyAfterAYesAndAppendingAddsPages) {
  SKIP_WITHOUT_TOOLS("tiffinfo");
  ASSERT_TRUE(window->openFile(QString::fromStdString(sample())));
  const std::string target = dir.file("old.tif");
  orlim::test::writeFile(target, {'k', 'e', 'e', 'p'});
  script.saveFile.push_back({path("old.tif"), SaveFormat::Tiff});
  script.overwrite.push_back(false);
  ASSERT_TRUE(trigger("fileSaveTiff"));
  EXPECT_EQ(script.overwriteAsked.size(), 1);
  EXPECT_EQ(orlim::test::readFile(target).size(), 4u) << "refused: untouched";

  script.saveFile.push_back({path("old.tif"), SaveFormat::Tiff});
  script.overwrite.push_back(true);
  ASSERT_TRUE(trigger("fileSaveTiff"));
  EXPECT_GT(orlim::test::readFile(target).size(), 4u);

  // Appending is asked for in the options; no overwrite question.
  script.saveFile.push_back({path("old.tif"), SaveFormat::Tiff});
  script.saveOptions.push_back({1, 75, "", true});
  ASSERT_TRUE(trigger("fileSaveTiff"));
  EXPECT_EQ(script.overwriteAsked.size(), 2);
  const std::string info = tool("tiffinfo '" + target + "' 2>&1");
  EXPECT_NE(info.find("TIFF Directory at offset"), info.rfind("TIFF Directory at offset")) << info;
}

TEST_F(ViewerTest, AFailedSaveIsAMessageNotASilentLoss) {
  ASSERT_TRUE(window->openFile(QString::fromStdString(sample())));
  MessageBoxCatcher boxes;
  script.saveFile.push_back({path("no-such-folder/out.jpg"), SaveFormat::Jpeg});
  ASSERT_TRUE(trigger("fileSaveJpeg"));
  ASSERT_EQ(script.errors.size(), 1);
  EXPECT_TRUE(script.errors[0].contains("out.jpg"));
  // A compression the picture cannot take is refused by the control; the viewer says so too.
  script.saveFile.push_back({path("g4.tif"), SaveFormat::Tiff});
  script.saveOptions.push_back({4, 75, "", false});
  ASSERT_TRUE(trigger("fileSaveTiff"));
  EXPECT_EQ(script.errors.size(), 2);
  EXPECT_FALSE(QFile::exists(path("g4.tif")));
}

}  // namespace
}  // namespace orlim::viewer::test
