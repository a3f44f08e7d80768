// `orlim`: the command-line container of the control.
#include <cstdio>
#include <cstring>

#include "commands.h"

namespace {

struct Subcommand {
  const char* name;
  int (*run)(const orlim::cli::Args&);
  const char* usage;
};

constexpr Subcommand kSubcommands[] = {
    {"info", orlim::cli::runInfo,
     "info [--page N] [--render ZOOM] FILE\n      print the description of a picture file (pages count from 1)"},
    {"sample", orlim::cli::runSample, "sample FILE.bmp\n      write the bundled sample picture"},
    {"show", orlim::cli::runShow,
     "show FILE -o view.png [--zoom Z] [--fit none|width|image] [--layer N] [--size WxH]\n"
     "           [--page N] [--no-fancy-zoom] [--no-dither] [--bits N]\n"
     "      paint a picture in a window of the given size and write the window as PNG"},
    {"script", orlim::cli::runScript,
     "script [FILE]\n      drive the control by commands from FILE or stdin (see orlim(1) for the commands)"},
    {"register", orlim::cli::runRegister, "register [MODULE]\n      register the module's classes and type library"},
    {"unregister", orlim::cli::runUnregister, "unregister [MODULE]\n      remove what registering the module wrote"},
    {"classes", orlim::cli::runClasses, "classes\n      list the classes and type libraries the registry holds"},
    {"typelib", orlim::cli::runTypelib, "typelib\n      print the control's type library as IDL"},
};

int usage(std::FILE* to, int status) {
  std::fprintf(to, "usage: orlim COMMAND [ARGS]\n       orlim --help | --version | COMMAND --help\n");
  for (const Subcommand& s : kSubcommands) std::fprintf(to, "  orlim %s\n", s.usage);
  return status;
}

bool isHelp(const char* arg) { return std::strcmp(arg, "--help") == 0 || std::strcmp(arg, "-h") == 0; }

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) return usage(stderr, 2);
  if (isHelp(argv[1])) return usage(stdout, 0);
  if (std::strcmp(argv[1], "--version") == 0) {
    std::printf("orlim %s\n", ORLIM_MODULE_VERSION);
    return 0;
  }
  for (const Subcommand& s : kSubcommands) {
    if (std::strcmp(argv[1], s.name) != 0) continue;
    if (argc > 2 && isHelp(argv[2])) {
      std::printf("usage: orlim %s\n", s.usage);
      return 0;
    }
    return s.run(orlim::cli::Args(argv + 2, argv + argc));
  }
  std::fprintf(stderr, argv[1][0] == '-' ? "orlim: unknown option '%s'\n" : "orlim: unknown command '%s'\n", argv[1]);
  return usage(stderr, 2);
}
