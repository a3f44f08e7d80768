// The tokens of a label text: "$filename", "$date" and "$time".
#pragma once

#include <functional>
#include <string>

#include "platform/orlim_api.h"

namespace orlim {

// A local date and time as the label shows it.
struct LabelTime {
  int year = 0;
  int month = 0;  // 1..12
  int day = 0;
  int hour = 0;  // 0..23
  int minute = 0;
  int second = 0;
};

// Where the label reads the time from; tests set their own.
using LabelClock = std::function<LabelTime()>;
ORLIM_API LabelTime localLabelTime();

// Replaces, in this order and every occurrence of each, "$filename" by
// `fileName` (null counts as ""), "$date" by month/day/year without leading zeros
// and "$time" by hh:mm:ss. Each token is searched from the start, and after a
// replacement the search goes on after the inserted text.
ORLIM_API std::string substituteLabelTokens(const std::string& text, const char* fileName, const LabelTime& now);

}  // namespace orlim
