// The checks `orlim`'s options put on their values, so that a bad value is
// refused with a message naming it instead of being read as something else.
#pragma once

#include <CLI/CLI.hpp>
#include <string>
#include <vector>

namespace orlim::cli {

// A decimal whole number from `lowest` to `highest`, rewritten without leading
// zeros or sign so that the option's own conversion cannot read it as octal.
CLI::Validator wholeNumber(long lowest, long highest);

// A page number, counted from 1 as CurrentPage counts, up to `highest`.
CLI::Validator pageNumber(long highest);

// One of `names`, rewritten as its index in them.
CLI::Validator oneOf(std::vector<std::string> names);

// A window size "WxH", each side from 1 to `largestSide`.
CLI::Validator windowSize(int largestSide);

// Splits a size that windowSize() accepted.
void splitWindowSize(const std::string& text, int& width, int& height);

}  // namespace orlim::cli
