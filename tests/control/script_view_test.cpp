#include <gtest/gtest.h>

#include "view_fixtures.h"

namespace orlim::test {
namespace {

std::string runCli(const TempDir& dir, const std::string& arguments, const std::string& script, int& status) {
  const std::string file = dir.file("session.orl");
  writeFile(file, std::vector<std::uint8_t>(script.begin(), script.end()));
  std::string output;
  status = run(std::string(ORLIM_CLI_PATH) + " " + arguments + (script.empty() ? "" : " '" + file + "'"), &output);
  return output;
}

std::uint32_t pngPixel(const RgbPicture& p, int x, int y) { return rgbOf(p, x, y); }

TEST(ScriptView, MouseScrollCursorDropAndSnapshot) {
  TempDir dir;
  const std::string big = viewPicture(dir, "big.bmp", "-size 600x500 gradient:red-blue", "BMP3:");
  const std::string small = viewPicture(dir, "small.bmp", "-size 40x30 xc:lime", "BMP3:");
  const std::string shot = dir.file("shot.png");
  int status = 0;
  const std::string out = runCli(dir, "script",
                                 "window 300 200\n"
                                 "set Picture \"" +
                                     big +
                                     "\"\n"
                                     "cursor\n"
                                     "mouse move 10 10\n"
                                     "cursor\n"
                                     "drag 100 100 60 70\n"
                                     "get ScrollPosX\n"
                                     "get ScrollPosY\n"
                                     "scroll v pagedown\n"
                                     "get ScrollPosY\n"
                                     "scroll h thumbtrack 250\n"
                                     "get ScrollPosX\n"
                                     "scroll h sideways\n",
                                 status);
  EXPECT_EQ(status, 1);
  const std::string expected =
      "event Paint\n"
      "cursor = arrow\n"
      "event MouseMove 0 0 10 10\n"
      "cursor = hand\n"
      "event MouseDown 1 0 100 100\n"
      "event MouseMove 1 0 90 93\n"
      "event Paint\n"
      "event MouseMove 1 0 80 85\n"
      "event Paint\n"
      "event MouseMove 1 0 70 78\n"
      "event Paint\n"
      "event MouseMove 1 0 60 70\n"
      "event Paint\n"
      "event MouseUp 1 0 60 70\n"
      "ScrollPosX = 40\n"
      "ScrollPosY = 30\n"
      "event Paint\n"
      "ScrollPosY = 80\n"
      "event Paint\n"
      "ScrollPosX = 250\n"
      "line 13: usage: scroll h|v CODE [POS]\n";
  EXPECT_EQ(out, expected);

  const std::string out2 = runCli(dir, "script",
                                  "window 300 200\n"
                                  "set Picture \"" +
                                      big +
                                      "\"\n"
                                      "set ViewMode 1\n"
                                      "drag 20 20 80 60 shift\n"
                                      "get ImageSelectionRight\n"
                                      "snapshot \"" +
                                      shot +
                                      "\"\n"
                                      "focus out\n"
                                      "drop \"" +
                                      small +
                                      "\"\n"
                                      "get ImageWidth\n"
                                      "mouse up 1 2 ctrl\n",
                                  status);
  EXPECT_EQ(status, 0) << out2;
  EXPECT_NE(out2.find("event MouseDown 1 1 20 20\nImageSelectionRight = 80\n"), std::string::npos) << out2;
  EXPECT_NE(out2.find("event DropFiles \"" + small + "\"\n"), std::string::npos) << out2;
  EXPECT_NE(out2.find("ImageWidth = 40\n"), std::string::npos) << out2;
  EXPECT_NE(out2.find("event MouseUp 1 2 1 2\n"), std::string::npos) << out2;
  const RgbPicture png = decodeWithImagemagick(shot);
  ASSERT_EQ(png.width, 300);
  ASSERT_EQ(png.height, 200);
  EXPECT_EQ(pngPixel(png, 5, 191), 0x808080u);    // the horizontal bar's thumb, at the left
  EXPECT_EQ(pngPixel(png, 270, 191), 0xC0C0C0u);  // and its track
  EXPECT_EQ(pngPixel(png, 291, 5), 0x808080u);    // the vertical bar's thumb, at the top
  EXPECT_EQ(pngPixel(png, 291, 180), 0xC0C0C0u);
  EXPECT_EQ(pngPixel(png, 20, 20), 0x000000u);  // the tracker's corner
  EXPECT_EQ(pngPixel(png, 0, 0) >> 16, 0xFFu);  // red at the top of the gradient
}

TEST(ShowCommand, WritesWhatThePaintLeft) {
  TempDir dir;
  const std::string path = viewPicture(dir, "a.bmp", "-size 300x200 plasma:fractal -seed 4", "BMP3:");
  const RgbPicture expected = decodeWithImagemagick(path);
  const std::string png = dir.file("view.png");
  int status = 0;
  runCli(dir, "show '" + path + "' -o '" + png + "' --size 400x400", "", status);
  ASSERT_EQ(status, 0);
  const RgbPicture shownPng = decodeWithImagemagick(png);
  ASSERT_EQ(shownPng.width, 400);
  int bad = 0;
  for (int y = 0; y < 200; ++y)
    for (int x = 0; x < 300; ++x) bad += pngPixel(shownPng, 50 + x, 100 + y) != rgbOf(expected, x, y);
  EXPECT_EQ(bad, 0);
  EXPECT_EQ(pngPixel(shownPng, 10, 10), 0xF0F0F0u);

  runCli(dir, "show '" + path + "' -o '" + png + "' --size 100x100 --zoom 1", "", status);
  ASSERT_EQ(status, 0);
  const RgbPicture zoomed = decodeWithImagemagick(png);
  EXPECT_EQ(pngPixel(zoomed, 95, 50), 0xC0C0C0u);  // both bars

  runCli(dir, "show '" + dir.file("missing.bmp") + "' -o '" + png + "'", "", status);
  EXPECT_EQ(status, 1);
  runCli(dir, "show '" + path + "' --zoom x", "", status);
  EXPECT_EQ(status, 2);
}

}  // namespace
}  // namespace orlim::test
