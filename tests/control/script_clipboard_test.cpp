// `orlim script` driving the commands: the clipboard commands standing in for
// other programs, a saved file checked by a peer, the About dialog and a label.
#include "command_fixtures.h"

namespace orlim::test {
namespace {

std::string runLines(const TempDir& dir, const std::string& lines) {
  const std::string file = dir.file("session.orl");
  writeFile(file, std::vector<std::uint8_t>(lines.begin(), lines.end()));
  std::string output;
  EXPECT_EQ(run(std::string(ORLIM_CLI_PATH) + " script '" + file + "'", &output), 0) << output;
  return output;
}

TEST(ScriptCommands, ClipboardPutGetTextAndFormats) {
  TempDir dir;
  Image original;
  const std::string in = bitmapFile(dir, "in.bmp", 9, 4, 8, original);
  const std::string out = dir.file("out.bmp");
  const std::string output = runLines(dir,
                                      "clipboard formats\n"
                                      "clipboard get '" + out + "'\n"
                                      "clipboard put \"" + in + "\"\n"
                                      "clipboard formats\n"
                                      "call PasteFromClipboard\n"
                                      "get ImageWidth\n"
                                      "get ImageDepth\n"
                                      "clipboard text \"just words\"\n"
                                      "clipboard formats\n"
                                      "call PasteFromClipboard\n"
                                      "call CopyToClipboard\n"
                                      "clipboard formats\n"
                                      "clipboard get \"" + out + "\"\n"
                                      "clipboard put \"" + dir.file("session.orl") + "\"\n"
                                      "call AboutBox\n");
  EXPECT_EQ(output,
            "clipboard formats: none\n"
            "clipboard empty\n"
            "clipboard formats: CF_DIB\n"
            "PasteFromClipboard -> True\n"
            "ImageWidth = 9\n"
            "ImageDepth = 8\n"
            "clipboard formats: CF_TEXT\n"
            "PasteFromClipboard -> False\n"
            "CopyToClipboard -> True\n"
            "clipboard formats: CF_TEXT CF_DIB\n"
            "error clipboard: " + dir.file("session.orl") + " is not a BMP file\n"
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

TEST(ScriptCommands, StampAndSaveALabelledPage) {
  if (!haveTool("tiffinfo")) GTEST_SKIP() << "tiffinfo missing";
  TempDir dir;
  const std::string in = bitmapFile(dir, "page.bmp", 160, 120);
  const std::string tif = dir.file("page.tif");
  const std::string output = runLines(dir,
                                      "set Picture \"" + in + "\"\n"
                                      "set TextContent \"Page $date\"\n"
                                      "set TextPosition 8\n"
                                      "call AddText False True\n"
                                      "get ImageHeight\n"
                                      "call SaveAsTiff \"" + tif + "\" 5 0 \"stamped\" False\n");
  EXPECT_EQ(output, "AddText -> True\nImageHeight = 120\nSaveAsTiff -> True\n");
  const std::string info = peerOutput("tiffinfo '" + tif + "'");
  EXPECT_NE(info.find("Image Length: 120"), std::string::npos) << info;
  EXPECT_NE(info.find("Software: Orlim 2.8"), std::string::npos) << info;
}

}  // namespace
}  // namespace orlim::test
