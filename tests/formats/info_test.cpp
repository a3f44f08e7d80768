// `orlim info` picks the reader by extension and passes the page for TIFF;
// `orlim info` and `orlim show` count pages from 1 and say when a load failed.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "format_fixtures.h"

namespace orlim {
namespace {

using test::shellOk;
using test::shellQuoted;

std::string info(const std::string& arguments) {
  std::string out;
  EXPECT_EQ(test::run(std::string(ORLIM_CLI_PATH) + " info " + arguments, &out), 0) << out;
  return out;
}

TEST(InfoCommand, ReadsEveryFormatAndChoosesTiffPages) {
  if (!test::haveTool("convert") || !test::haveTool("tiffcp")) GTEST_SKIP() << "imagemagick or tiffcp missing";
  test::TempDir dir;
  const std::string pgm = dir.file("a.pgm"), jpg = dir.file("b.JPG"), one = dir.file("one.tif"),
                    two = dir.file("two.tif"), both = dir.file("both.tiff");
  ASSERT_TRUE(shellOk(test::convertTool() + " -size 5x3 xc:gray " + shellQuoted(pgm)));
  ASSERT_TRUE(shellOk(test::convertTool() + " -size 6x4 xc:red " + shellQuoted(jpg)));
  ASSERT_TRUE(shellOk(test::convertTool() + " -size 7x5 xc:red " + shellQuoted(one)));
  ASSERT_TRUE(shellOk(test::convertTool() + " -size 8x6 xc:blue " + shellQuoted(two)));
  ASSERT_TRUE(shellOk("tiffcp " + shellQuoted(one) + " " + shellQuoted(two) + " " + shellQuoted(both)));

  EXPECT_NE(info(shellQuoted(pgm)).find("width = 5\nheight = 3\nbitsPerPixel = 8\n"), std::string::npos);
  EXPECT_NE(info(shellQuoted(jpg)).find("width = 6\nheight = 4\nbitsPerPixel = 24\n"), std::string::npos);
  const std::string second = info("--page 2 " + shellQuoted(both));
  EXPECT_NE(second.find("width = 8\n"), std::string::npos) << second;
  EXPECT_NE(second.find("pageCount = 2\npageIndex = 1\n"), std::string::npos) << second;
  const std::string first = info(shellQuoted(both));
  EXPECT_NE(first.find("pageCount = 2\npageIndex = 0\n"), std::string::npos) << first;
}

TEST(InfoCommand, InfoAndShowCountPagesFromOneAndRefuseFailedLoads) {
  if (!test::haveTool("convert") || !test::haveTool("tiffcp")) GTEST_SKIP() << "imagemagick or tiffcp missing";
  test::TempDir dir;
  const std::string one = dir.file("one.tif"), two = dir.file("two.tif"), both = dir.file("both.tif"),
                    good = dir.file("good.jpg"), cut = dir.file("cut.jpg"), png = dir.file("view.png");
  ASSERT_TRUE(shellOk(test::convertTool() + " -size 7x5 xc:red " + shellQuoted(one)));
  ASSERT_TRUE(shellOk(test::convertTool() + " -size 8x6 xc:blue " + shellQuoted(two)));
  ASSERT_TRUE(shellOk("tiffcp " + shellQuoted(one) + " " + shellQuoted(two) + " " + shellQuoted(both)));
  ASSERT_TRUE(shellOk(test::convertTool() + " -size 64x64 plasma:fractal -quality 90 " + shellQuoted(good)));
  // A second frame header after the scan: libjpeg stops with an error once the
  // rows have been decoded into the picture's block.
  std::vector<std::uint8_t> bytes = test::readFile(good);
  for (std::size_t i = 0; i + 4 < bytes.size(); ++i)
    if (bytes[i] == 0xFF && bytes[i + 1] == 0xC0) {
      const std::size_t length = 2 + (bytes[i + 2] << 8 | bytes[i + 3]);
      const std::vector<std::uint8_t> frame(bytes.begin() + i, bytes.begin() + i + length);
      bytes.insert(bytes.end() - 2, frame.begin(), frame.end());
      break;
    }
  test::writeFile(cut, bytes);
  const std::string cli = std::string(ORLIM_CLI_PATH), q = shellQuoted(both);
  struct Case {
    std::string arguments;
    int status;
    std::string said;
  };
  const Case cases[] = {
      {"info --page 1 " + q, 0, "pageIndex = 0\n"},
      {"info --page 3 " + q, 1, both + " has 2 page(s); there is no page 3."},
      {"info --page 0 " + q, 2, "pages count from 1"},
      {"show " + q + " -o " + shellQuoted(png) + " --page 2", 0, ""},
      {"show " + q + " -o " + shellQuoted(png) + " --page 3", 1, both + " has 2 page(s); there is no page 3."},
      {"show " + shellQuoted(cut) + " -o " + shellQuoted(png), 1, "Failed to load " + cut},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.arguments);
    std::remove(png.c_str());
    std::string out;
    EXPECT_EQ(test::run(cli + " " + c.arguments, &out), c.status) << out;
    EXPECT_NE(out.find(c.said), std::string::npos) << out;
    EXPECT_EQ(test::fileExists(png), c.status == 0 && c.arguments.rfind("show", 0) == 0);
  }
}

}  // namespace
}  // namespace orlim
