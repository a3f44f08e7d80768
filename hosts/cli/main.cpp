// `orlim`: the command-line container of the control.
#include <CLI/CLI.hpp>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "commands.h"
#include "help_format.h"

namespace {

// A usage error: wrong arguments, as opposed to a picture or script that failed.
constexpr int kUsageError = 2;

std::vector<orlim::cli::Command> declareCommands(CLI::App& orlim) {
  using namespace orlim::cli;
  return {declareInfo(orlim),     declareSample(orlim),     declareShow(orlim),    declareScript(orlim),
          declareRegister(orlim), declareUnregister(orlim), declareClasses(orlim), declareTypelib(orlim)};
}

// The command the line named, or null.
const orlim::cli::Command* chosen(const std::vector<orlim::cli::Command>& commands) {
  for (const orlim::cli::Command& command : commands)
    if (command.line->parsed()) return &command;
  return nullptr;
}

// "orlim" or "orlim show": who speaks in a message about the line.
std::string speaker(const CLI::App& orlim, const orlim::cli::Command* command) {
  return command ? orlim.get_name() + " " + command->line->get_name() : orlim.get_name();
}

// A word the line has that no option or argument took, named the way the user
// typed it; "" when every word was taken.
std::string unexpectedWord(const CLI::App& orlim, const orlim::cli::Command* command) {
  std::vector<std::string> left = command ? command->line->remaining() : orlim.remaining();
  std::erase(left, "--");  // CLI11 keeps the end-of-options mark among the words left over
  if (left.empty()) return {};
  const std::string& word = left.front();
  if (word.size() > 1 && word[0] == '-') return "unknown option '" + word + "'";
  return (command ? "unexpected argument '" : "unknown command '") + word + "'";
}

// CLI11 says "--zoom: 1 required Z missing"; say it plainly.
std::string describe(const CLI::ParseError& error, const orlim::cli::Command* command) {
  const std::string text = error.what();
  if (command && dynamic_cast<const CLI::ArgumentMismatch*>(&error))
    for (const CLI::Option* option : command->line->get_options())
      if (text.rfind(option->get_name() + ": ", 0) == 0 && text.find(" missing") != std::string::npos)
        return option->get_name() + " needs a value";
  return text;
}

int usageError(const CLI::App& orlim, const orlim::cli::Command* command, const std::string& message) {
  std::fprintf(stderr, "%s: %s\n", speaker(orlim, command).c_str(), message.c_str());
  std::fputs((command ? orlim::cli::commandUsage(*command->line) : orlim.help()).c_str(), stderr);
  return kUsageError;
}

}  // namespace

int main(int argc, char** argv) {
  CLI::App orlim("the ORLIM image control on the command line", "orlim");
  orlim.formatter(std::make_shared<orlim::cli::HelpFormatter>());
  orlim.set_help_flag("-h,--help", "print this help and exit");
  orlim.set_version_flag("--version", "orlim " ORLIM_MODULE_VERSION, "print the module's version and exit");
  orlim.require_subcommand(0, 1);  // after a command, a command's name is an argument like any other
  orlim.option_defaults()->multi_option_policy(CLI::MultiOptionPolicy::TakeLast);  // a repeated option: the last wins
  orlim.allow_extras();  // unknown words are named below, in the program's own words
  const std::vector<orlim::cli::Command> commands = declareCommands(orlim);
  try {
    orlim.parse(argc, argv);
  } catch (const CLI::Success& success) {  // --help or --version
    return orlim.exit(success);
  } catch (const CLI::ParseError& error) {
    const orlim::cli::Command* command = chosen(commands);
    const std::string unexpected = unexpectedWord(orlim, command);
    return usageError(orlim, command, unexpected.empty() ? describe(error, command) : unexpected);
  }
  const orlim::cli::Command* command = chosen(commands);
  if (const std::string unexpected = unexpectedWord(orlim, command); !unexpected.empty())
    return usageError(orlim, command, unexpected);
  if (!command) {
    std::fputs(orlim.help().c_str(), stderr);
    return kUsageError;
  }
  return command->run();
}
