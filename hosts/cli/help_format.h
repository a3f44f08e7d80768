// How `orlim --help` and `orlim COMMAND --help` read: a usage line written out
// from the command's own declarations (so it cannot drift from them), the
// description, then the options table; the whole program's help lists every
// command with its usage line.
#pragma once

#include <CLI/CLI.hpp>
#include <string>

namespace orlim::cli {

class HelpFormatter : public CLI::Formatter {
 public:
  HelpFormatter() { label("Positionals", "Arguments"); }
  std::string make_help(const CLI::App* app, std::string name, CLI::AppFormatMode mode) const override;
  std::string make_usage(const CLI::App* app, std::string name) const override;
  std::string make_option_opts(const CLI::Option* option) const override;
};

// "usage: orlim show FILE ...": the usage line(s) of one command, as its help starts.
std::string commandUsage(const CLI::App& command);

}  // namespace orlim::cli
