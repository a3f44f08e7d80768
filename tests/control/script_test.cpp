#include <gtest/gtest.h>

#include "support/test_support.h"

namespace orlim::test {
namespace {

struct Result {
  int status;
  std::string output;
};

// Runs `orlim script` on the given lines (from a file, or standard input).
Result runScript(const TempDir& dir, const std::string& lines, bool fromStdin = false) {
  const std::string file = dir.file("session.orl");
  writeFile(file, std::vector<std::uint8_t>(lines.begin(), lines.end()));
  Result r;
  const std::string command = std::string(ORLIM_CLI_PATH) + " script" + (fromStdin ? " < " : " ") + "'" + file + "'";
  r.status = run(command, &r.output);
  return r;
}

TEST(ScriptHost, GetSetCallAndRefusals) {
  TempDir dir;
  const Result r = runScript(dir,
                             "# a comment, then a blank line\n"
                             "\n"
                             "get zoomlevel\n"
                             "get ClientWidth\n"
                             "get TextFontName\n"
                             "get Dither\n"
                             "get TextFont\n"
                             "set Pages 3\n"
                             "set TextPosition 3\n"
                             "get TextPosition\n"
                             "set TextContent \"say \\\"hi\\\" \\\\ bye\"\n"
                             "get TextContent\n"
                             "set ZoomLevel -2147483648\n"
                             "get ZoomLevel\n"
                             "set ZoomLevel 2147483648\n"
                             "set NoSuch 1\n"
                             "call RotateImage 90\n"
                             "call RotateImage\n"
                             "call Clear\n"
                             "set FancyZoom false\n"
                             "get FancyZoom\n");
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.output,
            "ZoomLevel = 0\n"
            "ClientWidth = 640\n"
            "TextFontName = \"Arial\"\n"
            "Dither = True\n"
            "TextFont = Nothing\n"
            "error Pages: Property is read-only.\n"
            "TextPosition = 2\n"
            "TextContent = \"say \\\"hi\\\" \\\\ bye\"\n"
            "ZoomLevel = -2147483648\n"
            "error ZoomLevel: Out of present range.\n"
            "error NoSuch: Unknown name.\n"
            "RotateImage -> False\n"
            "error RotateImage: Invalid number of parameters.\n"
            "Clear -> Empty\n"
            "FancyZoom = False\n");
}

TEST(ScriptHost, LoadTraceMessagesAndWindow) {
  TempDir dir;
  const std::string bmp = dir.file("pic.bmp");
  ASSERT_EQ(run(convertTool() + " -size 1000x10 xc:red 'BMP3:" + bmp + "'"), 0);
  const Result r = runScript(dir,
                             "window 100 50\n"
                             "get ClientWidth\n"
                             "set AutoFit 1\n"
                             "trace on\n"
                             "set Picture \"" +
                                 bmp +
                                 "\"\n"
                                 "trace off\n"
                                 "get ZoomLevel\n"
                                 "set Picture \"" +
                                 dir.file("gone.bmp") +
                                 "\"\n"
                                 "get ImageWidth\n");
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.output,
            "ClientWidth = 100\n"
            "notify 2 ImageWidth\nnotify 1 ImageHeight\nnotify 5 ImageDepth\nnotify 6 ImageResX\n"
            "notify 7 ImageResY\nnotify 12 Pages\nnotify 13 CurrentPage\nnotify 14 ScrollPosX\n"
            "notify 15 ScrollPosY\nnotify 17 ScrollRangeX\nnotify 18 ScrollRangeY\nevent Paint\nmodified\n"
            "ZoomLevel = -9\n"
            "message error \"Could not find file " +
                dir.file("gone.bmp") +
                "!\"\n"
                "ImageWidth = 1000\n");
}

TEST(ScriptHost, StateSavedAndLoadedAcrossRuns) {
  TempDir dir;
  const std::string state = dir.file("control.state");
  Result r = runScript(dir,
                       "set AutoFit 2\n"
                       "set Dither False\n"
                       "set InitialOpenDir \"/photos\"\n"
                       "set ZoomLevel -4\n"
                       "set TextAlign 1\n"
                       "state save \"" +
                           state + "\"\n");
  ASSERT_EQ(r.status, 0) << r.output;
  r = runScript(dir,
                "state load " + state +
                    "\n"
                    "get AutoFit\nget Dither\nget InitialOpenDir\nget ZoomLevel\nget TextAlign\nget FancyZoom\n"
                    "state load \"" +
                    dir.file("missing") + "\"\n",
                /*fromStdin=*/true);
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.output,
            "AutoFit = 2\nDither = False\nInitialOpenDir = \"/photos\"\nZoomLevel = -4\nTextAlign = 0\n"
            "FancyZoom = True\n"
            "error state: cannot read " +
                dir.file("missing") + "\n");
}

TEST(ScriptHost, ScriptErrorsStopTheRun) {
  TempDir dir;
  struct Case {
    const char* script;
    const char* output;
  } cases[] = {
      {"get ZoomLevel\nfly away\nget ZoomLevel\n", "ZoomLevel = 0\nline 2: unknown command fly\n"},
      {"set TextContent \"open\n", "line 1: unterminated string\n"},
      {"set ZoomLevel twelve\n", "line 1: not a value: twelve\n"},
      {"set ZoomLevel\n", "line 1: usage: set NAME VALUE\n"},
      {"window -1 10\n", "line 1: usage: window W H (0 to 100000)\n"},
      {"display 0 96\n", "line 1: usage: display BITS DPI (1 to 32 bits, 1 to 100000 dpi)\n"},
      {"trace maybe\n", "line 1: usage: trace on|off\n"},
      {"state keep x\n", "line 1: usage: state save FILE | state load FILE\n"},
  };
  for (const Case& c : cases) {
    const Result r = runScript(dir, c.script);
    EXPECT_EQ(r.status, 1) << c.script;
    EXPECT_EQ(r.output, c.output) << c.script;
  }
  std::string output;
  EXPECT_EQ(run(std::string(ORLIM_CLI_PATH) + " script '" + dir.file("absent.orl") + "'", &output), 2);
}

}  // namespace
}  // namespace orlim::test
