// The words of a script line.
#include <cctype>

#include "platform/Variant.h"
#include "script.h"

namespace orlim::cli {

bool tokenizeScriptLine(const std::string& line, std::vector<ScriptToken>& tokens, std::string& error) {
  tokens.clear();
  std::size_t i = 0;
  while (i < line.size()) {
    if (std::isspace(static_cast<unsigned char>(line[i]))) {
      ++i;
      continue;
    }
    ScriptToken token;
    if (line[i] == '"') {
      token.quoted = true;
      std::size_t j = i + 1;
      while (j < line.size() && line[j] != '"') j += line[j] == '\\' ? 2 : 1;
      if (j >= line.size()) {
        error = "unterminated string";
        return false;
      }
      token.text = line.substr(i, j + 1 - i);
      i = j + 1;
      if (i < line.size() && !std::isspace(static_cast<unsigned char>(line[i]))) {
        error = "text after a closing quote";
        return false;
      }
    } else {
      std::size_t j = i;
      while (j < line.size() && !std::isspace(static_cast<unsigned char>(line[j]))) ++j;
      token.text = line.substr(i, j - i);
      i = j;
    }
    tokens.push_back(std::move(token));
  }
  return true;
}

bool scriptTokenText(const ScriptToken& token, std::string& text) {
  if (!token.quoted) {
    text = token.text;
    return true;
  }
  Variant value;
  if (!parseVariant(token.text, value)) return false;
  text = value.asString();
  return true;
}

}  // namespace orlim::cli
