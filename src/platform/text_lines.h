// DrawText's reading of a string: Windows ANSI bytes to characters, line breaks,
// and the "&" prefix that underlines the next character.
#pragma once

#include <string_view>
#include <vector>

namespace orlim {

struct TextChar {
  char32_t code;
  bool prefixUnderline;  // marked by a preceding "&"
};
using TextLine = std::vector<TextChar>;

// Splits `text` into lines at "\r\n", "\n" and "\r"; a break at the very end
// starts no further line, so "" gives no line and "a\n" one. With `prefixes`,
// "&&" becomes "&", "&x" an underlined x and a final lone "&" disappears.
std::vector<TextLine> splitTextLines(std::string_view text, bool prefixes);

// The character of one byte of the Windows ANSI code page (1252).
char32_t ansiToUnicode(unsigned char byte);

}  // namespace orlim
