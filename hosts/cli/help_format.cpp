#include "help_format.h"

#include <sstream>
#include <vector>

namespace orlim::cli {

namespace {

constexpr std::size_t kWidth = 100;

// One word of a synopsis: "FILE", "-o view.png", "[--page N]", "[--no-dither]".
std::string synopsisWord(const CLI::Option& option) {
  std::string word = option.get_positional() ? option.get_name(true, false) : option.get_name(false, false);
  if (!option.get_positional() && !option.get_option_text().empty()) word += " " + option.get_option_text();
  return option.get_required() ? word : "[" + word + "]";
}

// The full name a command is called by: "orlim" or "orlim show".
std::string calledName(const CLI::App& app) {
  return app.get_parent() ? calledName(*app.get_parent()) + " " + app.get_name() : app.get_name();
}

// "orlim show FILE -o view.png [--zoom Z] ...": the positionals and options in
// the order the command declares them, optional ones in brackets, broken
// before kWidth columns and continued under the first argument.
std::string commandSynopsis(const CLI::App& command, const std::string& lead) {
  std::string text = lead, line = lead;
  const std::string indent(lead.size() + 1, ' ');
  for (const CLI::Option* option : command.get_options()) {
    if (option == command.get_help_ptr()) continue;
    const std::string word = synopsisWord(*option);
    if (line.size() + 1 + word.size() > kWidth) {
      text += "\n" + indent + word;
      line = indent + word;
    } else {
      text += " " + word;
      line += " " + word;
    }
  }
  return text + "\n";
}

}  // namespace

std::string commandUsage(const CLI::App& command) { return commandSynopsis(command, "usage: " + calledName(command)); }

std::string HelpFormatter::make_usage(const CLI::App* app, std::string name) const {
  if (!app->get_subcommands({}).empty())
    return "usage: " + name + " COMMAND [ARGS]\n       " + name + " --help | --version | COMMAND --help\n";
  return commandSynopsis(*app, "usage: " + name);
}

std::string HelpFormatter::make_help(const CLI::App* app, std::string name, CLI::AppFormatMode mode) const {
  std::ostringstream out;
  out << make_usage(app, name);
  const std::vector<const CLI::App*> commands = app->get_subcommands({});
  out << (commands.empty() ? "      " + app->get_description() + "\n" : "\nCommands:\n");
  for (const CLI::App* command : commands)
    out << commandSynopsis(*command, "  " + calledName(*command)) << "      " << command->get_description() << "\n";
  out << make_positionals(app) << make_groups(app, mode);
  return out.str();
}

// Positionals need no type ("TEXT"): the help says what each one is.
std::string HelpFormatter::make_option_opts(const CLI::Option* option) const {
  if (option->get_positional()) return option->get_required() ? " REQUIRED" : "";
  return CLI::Formatter::make_option_opts(option);
}

}  // namespace orlim::cli
