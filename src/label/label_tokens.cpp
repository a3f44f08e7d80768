#include "label/label_tokens.h"

#include <cstdio>
#include <ctime>

namespace orlim {

namespace {

void replaceAll(std::string& text, const std::string& token, const std::string& value) {
  for (std::size_t at = text.find(token); at != std::string::npos; at = text.find(token, at + value.size()))
    text.replace(at, token.size(), value);
}

}  // namespace

LabelTime localLabelTime() {
  const std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  return {local.tm_year + 1900, local.tm_mon + 1, local.tm_mday, local.tm_hour, local.tm_min, local.tm_sec};
}

std::string substituteLabelTokens(const std::string& text, const char* fileName, const LabelTime& now) {
  char date[48], time[48];
  std::snprintf(date, sizeof date, "%d/%d/%d", now.month, now.day, now.year);
  std::snprintf(time, sizeof time, "%02d:%02d:%02d", now.hour, now.minute, now.second);
  std::string out = text;
  replaceAll(out, "$filename", fileName ? fileName : "");
  replaceAll(out, "$date", date);
  replaceAll(out, "$time", time);
  return out;
}

}  // namespace orlim
