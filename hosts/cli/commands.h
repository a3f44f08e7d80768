// The subcommands of the `orlim` command-line host. Each takes the arguments that
// follow its name and returns the process exit status.
#pragma once

#include <string>
#include <vector>

namespace orlim::cli {

using Args = std::vector<std::string>;

int runInfo(const Args& args);
int runSample(const Args& args);
int runScript(const Args& args);
int runShow(const Args& args);
int runRegister(const Args& args);
int runUnregister(const Args& args);
int runClasses(const Args& args);
int runTypelib(const Args& args);

}  // namespace orlim::cli
