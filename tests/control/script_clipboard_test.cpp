// `orlim script` driving the commands: the clipboard commands standing in for
// other programs, a saved file checked by a peer, the About dialog and a label.
#include "command_fixtures.h"

namespace orlim::test {
namespace {

TEST(ScriptCommands, ClipboardPutGetTextAndFormats) {
  TempDir dir;
  Image original;
  const std::string in = bitmapFile(dir, "in.bmp", 9, 4, 8, original);
  const std::string out = dir.file("out.bmp");
  const std::string output = runScriptLines(dir,
                                            "clipboard formats\n"
                                            "clipboard get '" +
                                                out +
                                                "'\n"
                                                "clipboard put \"" +
                                                in +
                                                "\"\n"
                                                "clipboard formats\n"
                                                "call PasteFromClipboard\n"
                                                "get ImageWidth\n"
                                                "get ImageDepth\n"
                                                "clipboard text \"just words\"\n"
                                                "clipboard formats\n"
                                                "call PasteFromClipboard\n"
                                                "call CopyToClipboard\n"
                                                "clipboard formats\n"
                                                "clipboard get \"" +
                                                out +
                                                "\"\n"
                                                "clipboard put \"" +
                                                dir.file("session.orl") +
                                                "\"\n"
                                                "call AboutBox\n");
  EXPECT_EQ(output,
            "clipboard formats: none\n"
            "clipboard empty\n"
            "clipboard formats: CF_DIB\n"
            "PasteFromClipboard -> True\n"
            "event Paint\n"
            "ImageWidth = 9\n"
            "ImageDepth = 8\n"
            "clipboard formats: CF_TEXT\n"
            "PasteFromClipboard -> False\n"
            "CopyToClipboard -> True\n"
            "clipboard formats: CF_TEXT CF_DIB\n"
            "error clipboard: " +
                dir.file("session.orl") +
                " is not a BMP file\n"
                "dialog \"About Orlim Control\"\n"
                "AboutBox -> Empty\n");
  // The file written from the clipboard is the picture that went through it.
  EXPECT_EQ(maxChannelDifference(decodeWithImagemagick(out), toRgb(original)), 0);
}

TEST(ScriptCommands, ClipboardUsageErrorsStopTheScript) {
  TempDir dir;
  const std::string file = dir.file("bad.orl");
  writeFile(file, {'c', 'l', 'i', 'p', 'b', 'o', 'a', 'r', 'd', ' ', 'e', 'a', 't', '\n'});
  std::string output;
  EXPECT_EQ(run(std::string(ORLIM_CLI_PATH) + " script '" + file + "'", &output), 1);
  EXPECT_NE(output.find("line 1: usage: clipboard"), std::string::npos) << output;
}

TEST(ScriptCommands, StampSaveAndSeeALabelledPage) {
  if (!haveTool("tiffinfo")) GTEST_SKIP() << "tiffinfo missing";
  TempDir dir;
  const std::string in = dir.file("page.bmp"), tif = dir.file("page.tif");
  shellIn(dir, convertTool() + " -size 160x120 xc:white 'BMP3:" + in + "'");
  const std::string before = dir.file("before.png"), after = dir.file("after.png");
  const std::string output = runScriptLines(dir, "set Picture \"" + in +
                                                     "\"\n"
                                                     "snapshot \"" +
                                                     before +
                                                     "\"\n"
                                                     "set TextContent \"Page $date\"\n"
                                                     "set TextPosition 8\n"
                                                     "call AddText False True\n"
                                                     "get ImageHeight\n"
                                                     "snapshot \"" +
                                                     after +
                                                     "\"\n"
                                                     "call SaveAsTiff \"" +
                                                     tif + "\" 5 0 \"stamped\" False\n");
  EXPECT_EQ(output, "event Paint\nAddText -> True\nevent Paint\nImageHeight = 120\nSaveAsTiff -> True\n");
  const std::string info = peerOutput("tiffinfo '" + tif + "'");
  EXPECT_NE(info.find("Image Length: 120"), std::string::npos) << info;
  EXPECT_NE(info.find("Software: Orlim 2.8"), std::string::npos) << info;
  // The white page, centred in the 640 x 480 window, shows black letters in its
  // bottom rows after the stamp and none before.
  auto blackInLabelBand = [](const RgbPicture& view) {
    int black = 0;
    for (int y = 265; y < 300; ++y)
      for (int x = 240; x < 400; ++x) {
        const std::uint8_t* p = &view.rgb[(static_cast<std::size_t>(y) * view.width + x) * 3];
        black += p[0] == 0 && p[1] == 0 && p[2] == 0;
      }
    return black;
  };
  const RgbPicture seenBefore = decodeWithImagemagick(before), seenAfter = decodeWithImagemagick(after);
  ASSERT_EQ(seenAfter.width, 640);
  EXPECT_EQ(blackInLabelBand(seenBefore), 0);
  EXPECT_GT(blackInLabelBand(seenAfter), 20);
}

}  // namespace
}  // namespace orlim::test
