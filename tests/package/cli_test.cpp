// The command line's own options: help, version, unknown options named, and a
// man page that documents every command the program offers.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>

#include "support/test_support.h"

namespace orlim::test {
namespace {

struct CliRun {
  int status;
  std::string output;
};

// Runs orlim with `args`, keeping standard output only or standard error only.
CliRun runOrlim(const std::string& args, bool errorStream) {
  const std::string quiet = errorStream ? " >/dev/null" : " 2>/dev/null";
  CliRun r;
  r.status = run("(" + std::string(ORLIM_CLI_PATH) + " " + args + quiet + ")", &r.output);
  return r;
}

TEST(CommandLine, HelpVersionAndUnknownOptions) {
  const struct {
    const char* args;
    int status;
    bool errorStream;
    const char* expected;
  } cases[] = {
      {"--help", 0, false, "usage: orlim COMMAND [ARGS]"},
      {"-h", 0, false, "orlim show FILE -o view.png"},
      {"--version", 0, false, "orlim 2.10.0.0\n"},
      {"info --help", 0, false, "usage: orlim info [--page N] [--render ZOOM] FILE"},
      {"sample --help", 0, false, "usage: orlim sample FILE.bmp"},
      {"show --help", 0, false, "[--no-fancy-zoom] [--no-dither] [--bits N]"},
      {"script -h", 0, false, "usage: orlim script [FILE]"},
      {"", 2, true, "usage: orlim COMMAND [ARGS]"},
      {"--frobnicate", 2, true, "orlim: unknown option '--frobnicate'"},
      {"frobnicate", 2, true, "orlim: unknown command 'frobnicate'"},
      {"show in.bmp -o out.png --frobnicate", 2, true, "orlim show: unknown option '--frobnicate'"},
      {"show in.bmp --zoom", 2, true, "orlim show: --zoom needs a value"},
      {"info --frobnicate in.bmp", 2, true, "orlim info: unknown option '--frobnicate'"},
      // Each command's help has its options table; bad values are refused by name.
      {"show --help", 0, false, "--size WxH                  the window's size (default 640x480)"},
      {"classes --help", 0, false, "usage: orlim classes\n"},
      {"show in.bmp", 2, true, "orlim show: -o is required"},
      {"show in.bmp -o out.png --zoom 12abc", 2, true, "orlim show: --zoom: 12abc is not a whole number from -1000"},
      {"show in.bmp -o out.png --fit page", 2, true, "--fit: page is not one of none, width, image"},
      {"show in.bmp -o out.png --size 10", 2, true, "--size: 10 is not WxH"},
      {"show in.bmp -o out.png --size 0x10", 2, true, "--size: 0x10 is not WxH"},
      {"info --render x in.djvu", 2, true, "orlim info: --render: x is not a whole number"},
      {"info --page -1 in.bmp", 2, true, "orlim info: --page: no page -1; pages count from 1"},
      {"sample a.bmp b.bmp", 2, true, "orlim sample: unexpected argument 'b.bmp'"},
      {"typelib x", 2, true, "usage: orlim typelib"},
      // Numbers are decimal (08 is not octal) and "--" ends the options: the
      // line is taken and the run fails only on the missing file.
      {"info --page 08 -- /nonexistent/in.bmp", 1, true, "/nonexistent/in.bmp"},
  };
  for (const auto& c : cases) {
    const CliRun r = runOrlim(c.args, c.errorStream);
    EXPECT_EQ(r.status, c.status) << c.args;
    EXPECT_NE(r.output.find(c.expected), std::string::npos) << c.args << " printed:\n" << r.output;
  }
  // Help goes where it was asked for, nothing else besides it.
  EXPECT_EQ(runOrlim("--help", true).output, "");
}

TEST(CommandLine, ManPageDocumentsEveryCommand) {
  std::ifstream in(ORLIM_MAN_PAGE);
  ASSERT_TRUE(in) << ORLIM_MAN_PAGE;
  std::stringstream page;
  page << in.rdbuf();
  std::istringstream help(runOrlim("--help", false).output);
  int commands = 0;
  for (std::string line; std::getline(help, line);) {
    const std::string lead = "  orlim ";
    if (line.rfind(lead, 0) != 0) continue;
    const std::string name = line.substr(lead.size(), line.find(' ', lead.size()) - lead.size());
    // The command's heading, with its arguments or (none) ending the line.
    const bool documented = page.str().find("\n.B " + name + " ") != std::string::npos ||
                            page.str().find("\n.B " + name + "\n") != std::string::npos;
    EXPECT_TRUE(documented) << "orlim.1 lacks " << name;
    ++commands;
  }
  EXPECT_GE(commands, 4);
}

}  // namespace
}  // namespace orlim::test
