#include "option_values.h"

#include <cerrno>
#include <cstdlib>

namespace orlim::cli {

namespace {

bool parseDecimal(const std::string& text, long lowest, long highest, long& value) {
  if (text.empty()) return false;
  char* end = nullptr;
  errno = 0;
  value = std::strtol(text.c_str(), &end, 10);
  return *end == '\0' && errno == 0 && value >= lowest && value <= highest;
}

}  // namespace

CLI::Validator wholeNumber(long lowest, long highest) {
  return CLI::Validator(
      [lowest, highest](std::string& input) -> std::string {
        long value = 0;
        if (!parseDecimal(input, lowest, highest, value))
          return input + " is not a whole number from " + std::to_string(lowest) + " to " + std::to_string(highest);
        input = std::to_string(value);
        return {};
      },
      "");
}

CLI::Validator pageNumber(long highest) {
  return CLI::Validator(
      [highest](std::string& input) -> std::string {
        long value = 0;
        if (!parseDecimal(input, 1, highest, value)) return "no page " + input + "; pages count from 1";
        input = std::to_string(value);
        return {};
      },
      "");
}

CLI::Validator oneOf(std::vector<std::string> names) {
  return CLI::Validator(
      [names](std::string& input) -> std::string {
        for (std::size_t i = 0; i < names.size(); ++i)
          if (input == names[i]) {
            input = std::to_string(i);
            return {};
          }
        std::string list;
        for (const std::string& name : names) list += (list.empty() ? "" : ", ") + name;
        return input + " is not one of " + list;
      },
      "");
}

CLI::Validator windowSize(int largestSide) {
  return CLI::Validator(
      [largestSide](std::string& input) -> std::string {
        const auto x = input.find('x');
        long side = 0;
        if (x != std::string::npos && parseDecimal(input.substr(0, x), 1, largestSide, side) &&
            parseDecimal(input.substr(x + 1), 1, largestSide, side))
          return {};
        return input + " is not WxH with sides from 1 to " + std::to_string(largestSide);
      },
      "");
}

void splitWindowSize(const std::string& text, int& width, int& height) {
  const auto x = text.find('x');
  width = std::atoi(text.substr(0, x).c_str());
  height = std::atoi(text.substr(x + 1).c_str());
}

}  // namespace orlim::cli
