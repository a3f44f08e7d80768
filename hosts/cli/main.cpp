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
    {"info", orlim::cli::runInfo, "info FILE          print the description of a picture file"},
    {"sample", orlim::cli::runSample, "sample FILE.bmp    write the bundled sample picture"},
    {"show", orlim::cli::runShow, "show FILE -o view.png [--zoom Z] [--fit none|width|image] [--size WxH] ..."},
    {"script", orlim::cli::runScript, "script [FILE]      drive the control by commands from FILE or stdin"},
    {"register", orlim::cli::runRegister, "register [MODULE]  register the module's classes and type library"},
    {"unregister", orlim::cli::runUnregister, "unregister [MODULE]  remove what registering the module wrote"},
    {"classes", orlim::cli::runClasses, "classes            list the classes and type libraries the registry holds"},
    {"typelib", orlim::cli::runTypelib, "typelib            print the control's type library as IDL"},
};

int usage() {
  std::fprintf(stderr, "usage: orlim COMMAND [ARGS]\n");
  for (const Subcommand& s : kSubcommands) std::fprintf(stderr, "  orlim %s\n", s.usage);
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) return usage();
  for (const Subcommand& s : kSubcommands)
    if (std::strcmp(argv[1], s.name) == 0) return s.run(orlim::cli::Args(argv + 2, argv + argc));
  std::fprintf(stderr, "orlim: unknown command '%s'\n", argv[1]);
  return usage();
}
