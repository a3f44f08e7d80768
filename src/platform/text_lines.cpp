#include "platform/text_lines.h"

namespace orlim {

char32_t ansiToUnicode(unsigned char byte) {
  // 0x80..0x9F are where code page 1252 differs from Latin-1; its five unused
  // places keep their byte value.
  static constexpr char16_t kHigh[32] = {0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                         0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
                                         0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                         0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};
  if (byte >= 0x80 && byte < 0xA0) return kHigh[byte - 0x80];
  return byte;
}

std::vector<TextLine> splitTextLines(std::string_view text, bool prefixes) {
  std::vector<TextLine> lines;
  TextLine line;
  bool open = false;  // characters or a break have started the current line
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (c == '\r' || c == '\n') {
      if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
      lines.push_back(std::move(line));
      line.clear();
      open = false;
      continue;
    }
    open = true;
    if (prefixes && c == '&') {
      if (i + 1 >= text.size()) break;
      const char next = text[i + 1];
      if (next == '\r' || next == '\n') continue;
      ++i;
      line.push_back({ansiToUnicode(static_cast<unsigned char>(next)), next != '&'});
      continue;
    }
    line.push_back({ansiToUnicode(static_cast<unsigned char>(c)), false});
  }
  if (open) lines.push_back(std::move(line));
  return lines;
}

}  // namespace orlim
