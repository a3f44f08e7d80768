// `orlim script` driving the property sheet and the text label dialogs as a
// person would: what each page shows, browsing, applying, the remembered filter,
// the display options, and a label set up in the dialogs then stamped.
#include <cstring>
#include <filesystem>

#include "control/command_fixtures.h"

namespace orlim::test {
namespace {

TEST(PropertySheetScript, GeneralPageFactsBrowseApplyAndRememberedFilter) {
  TempDir dir;
  const std::string big = dir.file("big.bmp"), small = dir.file("small.bmp");
  shellIn(dir, convertTool() + " -size 640x480 xc:red -units PixelsPerInch -density 72 'BMP3:" + big + "'");
  shellIn(dir, convertTool() + " -size 30x20 xc:blue -units PixelsPerInch -density 150 'BMP3:" + small + "'");
  const std::string output = runScriptLines(dir, "set Picture \"" + big +
                                                     "\"\n"
                                                     "dialog expect \"Orlim Control Properties\"\n"
                                                     "dialog set 210 \"7\"\n"
                                                     "dialog click 208\n"
                                                     "dialog file \"small.bmp\" 3\n"
                                                     "dialog click Apply\n"
                                                     "dialog click 208\n"
                                                     "dialog cancel\n"
                                                     "dialog click OK\n"
                                                     "verb Properties\n"
                                                     "get ImageWidth\n"
                                                     "dialog click 208\n"
                                                     "verb properties\n");
  const std::string folder = "\"" + dir.path() + "\"";
  EXPECT_EQ(output,
            "event Paint\n"
            "dialog \"Orlim Control Properties\"\n"
            "page \"General\"\n"
            "  210 static \"640\"\n"
            "  211 static \"480\"\n"
            "  212 static \"24\"\n"
            "  215 static \"72\"\n"
            "  214 static \"72\"\n"
            "  218 static \"1\"\n"
            "  209 edit \"1\"\n"
            "  208 button \"Picture\"\n"
            "  207 edit \"" +
                big +
                "\"\n"
                "dialog error: control 210 cannot be edited\n"
                "dialog \"Open\"\n"
                "  filter 7 \"All supported image files\"\n"
                "  folder " +
                folder +
                "\n"
                "  file \"" +
                big +
                "\"\n"
                "  filter 3 \"Windows Bitmap (*.bmp)\"\n"
                "  file \"" +
                small +
                "\"\n"
                "  207 edit \"" +
                small +
                "\"\n"
                "event Paint\n"
                "  210 static \"30\"\n"
                "  211 static \"20\"\n"
                "  215 static \"150\"\n"
                "  214 static \"150\"\n"
                "dialog \"Open\"\n"
                "  filter 3 \"Windows Bitmap (*.bmp)\"\n"
                "  folder " +
                folder +
                "\n"
                "  file \"" +
                small +
                "\"\n"
                "ImageWidth = 30\n"
                // The next sheet's browse still starts from the filter picked before;
                // with no answer left it closes as Escape, and so does the sheet.
                "dialog \"Orlim Control Properties\"\n"
                "page \"General\"\n"
                "  210 static \"30\"\n"
                "  211 static \"20\"\n"
                "  212 static \"24\"\n"
                "  215 static \"150\"\n"
                "  214 static \"150\"\n"
                "  218 static \"1\"\n"
                "  209 edit \"1\"\n"
                "  208 button \"Picture\"\n"
                "  207 edit \"" +
                small +
                "\"\n"
                "dialog \"Open\"\n"
                "  filter 3 \"Windows Bitmap (*.bmp)\"\n"
                "  folder " +
                folder +
                "\n"
                "  file \"" +
                small + "\"\n");
}

TEST(PropertySheetScript, DisplayPageAppliesOnlyWhatChanged) {
  TempDir dir;
  const std::string output = runScriptLines(dir,
                                            "set ZoomLevel -2\n"
                                            "trace on\n"
                                            "dialog page \"Display\"\n"
                                            "dialog click 219\n"
                                            "dialog click 222\n"
                                            "dialog set 206 \"two\"\n"
                                            "dialog click OK\n"
                                            "dialog set 206 -3\n"
                                            "dialog click Apply\n"
                                            "dialog click Apply\n"
                                            "dialog click Cancel\n"
                                            "verb Properties\n"
                                            "trace off\n"
                                            "get ScrollBars\nget DjvuLayer\nget ZoomLevel\nget Dither\n");
  EXPECT_EQ(output,
            "dialog \"Orlim Control Properties\"\n"
            "page \"General\"\n"
            "  210 static \"0\"\n  211 static \"0\"\n  212 static \"0\"\n  215 static \"0\"\n  214 static \"0\"\n"
            "  218 static \"0\"\n  209 edit \"1\"\n  208 button \"Picture\"\n  207 edit \"\"\n"
            "page \"Display\"\n"
            "  216 check \"DjVu fancy zoom\" checked\n"
            "  203 radio \"None\" checked\n"
            "  204 radio \"Width\"\n"
            "  205 radio \"Image\"\n"
            "  206 edit \"-2\"\n"
            "  220 updown 0..100\n"
            "  219 check \"Scrollbars\" checked\n"
            "  217 check \"Dither\" checked\n"
            "  221 radio \"Color\" checked\n"
            "  222 radio \"B&W\"\n"
            "  223 radio \"Background\"\n"
            "  224 radio \"Foreground\"\n"
            "  219 check \"Scrollbars\"\n"
            "  221 radio \"Color\"\n"
            "  222 radio \"B&W\" checked\n"
            "  206 edit \"two\"\n"
            // OK refuses a zoom level that is no number, and writes nothing.
            "message warning \"Please enter an integer.\"\n"
            "  206 edit \"-3\"\n"
            // Apply writes the changed values in the page's exchange order (a
            // DjVu layer and a zoom level without a picture are only stored).
            "notify 16 ScrollBars\nnotify 19 ClientWidth\nnotify 20 ClientHeight\nmodified\n"
            // Nothing is left to apply.
            "dialog error: Apply is disabled\n"
            "ScrollBars = False\nDjvuLayer = 1\nZoomLevel = -3\nDither = True\n");
}

TEST(DialogScript, ExpectationsMissingFilesAndRefusedLines) {
  TempDir dir;
  const std::string output = runScriptLines(dir,
                                            "dialog expect \"Wrong\"\n"
                                            "dialog click 1\n"
                                            "dialog expect \"About Orlim Control\"\n"
                                            "call AboutBox\n"
                                            "call AboutBox\n"
                                            "dialog click 208\n"
                                            "dialog file \"nowhere.bmp\"\n"
                                            "dialog click OK\n"
                                            "verb Properties\n"
                                            "get Picture\n"
                                            "verb Fly\n");
  const std::string sheet =
      "dialog \"Orlim Control Properties\"\npage \"General\"\n"
      "  210 static \"0\"\n  211 static \"0\"\n  212 static \"0\"\n  215 static \"0\"\n"
      "  214 static \"0\"\n  218 static \"0\"\n  209 edit \"1\"\n  208 button \"Picture\"\n"
      "  207 edit \"\"\n";
  EXPECT_EQ(output,
            "dialog \"About Orlim Control\"\n"
            "dialog error: expected \"Wrong\", cancelled\n"
            "AboutBox -> Empty\n"
            "dialog \"About Orlim Control\"\n"
            "AboutBox -> Empty\n" +
                sheet +
                "dialog \"Open\"\n  filter 7 \"All supported image files\"\n  folder \"\"\n  file \"\"\n"
                "dialog error: \"" +
                std::filesystem::current_path().string() +
                "/nowhere.bmp\" does not exist, cancelled\n"
                "Picture = \"\"\n"
                "error verb Fly: the control has no such verb\n");
  for (const char* line : {"dialog frob\n", "dialog click Later\n", "dialog colour red\n", "dialog font \"A\" 0\n",
                           "dialog file \"a.bmp\" 0\n", "dialog set 1200\n"}) {
    const std::string file = dir.file("bad.orl");
    writeFile(file, std::vector<std::uint8_t>(line, line + std::strlen(line)));
    std::string refused;
    EXPECT_EQ(run(std::string(ORLIM_CLI_PATH) + " script '" + file + "'", &refused), 1) << line;
    EXPECT_EQ(refused.rfind("line 1: usage: dialog", 0), 0u) << refused;
  }
}

// A label set up in the two dialogs and stamped by AddText looks exactly like one
// set up through the properties; the dialogs' example leaves position 8, anchor 5.
TEST(TextDialogsScript, AddTextStampsWhatTheDialogsSet) {
  TempDir dir;
  const std::string page = dir.file("page.bmp");
  shellIn(dir, convertTool() + " -size 160x120 xc:white 'BMP3:" + page + "'");
  const std::string byDialog = dir.file("dialog.png"), byProperties = dir.file("properties.png");
  const std::string output =
      runScriptLines(dir, "set Picture \"" + page +
                              "\"\n"
                              "dialog expect \"Add Text\"\n"
                              "dialog set 1200 \"Scanned $date\"\n"
                              "dialog click 1222\n"
                              "dialog click 1207\n"
                              "dialog colour 0x0000FF\n"
                              "dialog click 1212\n"
                              "dialog font \"Liberation Serif\" 14 bold\n"
                              "dialog click 1\n"
                              "dialog expect \"Text position details\"\n"
                              "dialog click 1235\n"
                              "dialog click 1\n"
                              "call TextOptions False\n"
                              "get TextPosition\nget TextAnchor\nget TextFontSize\nget TextForegroundColor\n"
                              "call AddText False False\n"
                              "get ImageHeight\n"
                              "snapshot \"" +
                              byDialog + "\"\n");
  const std::string tail = output.substr(output.find("TextOptions -> "));
  EXPECT_EQ(tail.substr(0, tail.find("ImageHeight")),
            "TextOptions -> 1\nTextPosition = 8\nTextAnchor = 5\nTextFontSize = 14\nTextForegroundColor = 255\n"
            "AddText -> True\nevent Paint\n")
      << output;
  const int height = std::atoi(tail.substr(tail.find("ImageHeight = ") + 14).c_str());
  ASSERT_GT(height, 130);
  EXPECT_NE(output.find("  1215 static \"Style:  Bold\"\n"), std::string::npos) << output;
  EXPECT_NE(output.find("  1210 swatch 0x0000FF\n"), std::string::npos) << output;

  runScriptLines(dir, "set Picture \"" + page +
                          "\"\n"
                          "set TextContent \"Scanned $date\"\nset TextPosition 8\nset TextAnchor 5\n"
                          "set TextForegroundColor 255\nset TextFontName \"Liberation Serif\"\nset TextFontSize 14\n"
                          "set TextFontWeight 700\ncall AddText False False\n"
                          "snapshot \"" +
                          byProperties + "\"\n");
  const RgbPicture seen = decodeWithImagemagick(byDialog), expected = decodeWithImagemagick(byProperties);
  ASSERT_EQ(seen.width, 640);
  EXPECT_EQ(seen.rgb, expected.rgb);
  // The red letters sit in the rows added below the white page, which is centred
  // in the 480-row window, and nowhere above them.
  auto redRows = [&](int top, int bottom) {
    int red = 0;
    for (int y = top; y < bottom; ++y)
      for (int x = 240; x < 400; ++x) {
        const std::uint8_t* p = &seen.rgb[(static_cast<std::size_t>(y) * seen.width + x) * 3];
        red += p[0] > 200 && p[1] < 60 && p[2] < 60;
      }
    return red;
  };
  const int top = (480 - height) / 2;
  EXPECT_EQ(redRows(top, top + 120), 0);
  EXPECT_GT(redRows(top + 120, top + height), 30);
}

}  // namespace
}  // namespace orlim::test
