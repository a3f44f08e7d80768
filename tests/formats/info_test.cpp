// `orlim info` picks the reader by extension and passes the page for TIFF.
#include <gtest/gtest.h>

#include <string>

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
  const std::string second = info("--page 1 " + shellQuoted(both));
  EXPECT_NE(second.find("width = 8\n"), std::string::npos) << second;
  EXPECT_NE(second.find("pageCount = 2\npageIndex = 1\n"), std::string::npos) << second;
  const std::string first = info(shellQuoted(both));
  EXPECT_NE(first.find("pageCount = 2\npageIndex = 0\n"), std::string::npos) << first;
}

}  // namespace
}  // namespace orlim
