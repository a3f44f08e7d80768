// The subcommands of the `orlim` command-line host. Each declare function adds
// its command and the command's options to the program's command line and
// returns what runs the command once the line has been read.
#pragma once

#include <functional>

namespace CLI {
class App;
}

namespace orlim::cli {

struct Command {
  CLI::App* line;            // the command's part of the command line
  std::function<int()> run;  // runs it; gives the process exit status
};

Command declareInfo(CLI::App& orlim);
Command declareSample(CLI::App& orlim);
Command declareShow(CLI::App& orlim);
Command declareScript(CLI::App& orlim);
Command declareRegister(CLI::App& orlim);
Command declareUnregister(CLI::App& orlim);
Command declareClasses(CLI::App& orlim);
Command declareTypelib(CLI::App& orlim);

}  // namespace orlim::cli
