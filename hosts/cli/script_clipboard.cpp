// `clipboard put FILE.bmp | get FILE.bmp | text "..." | formats`: the script's
// side of the in-memory clipboard, standing in for the other programs that put
// bitmaps or text there and take them away.
#include <cstring>
#include <fstream>
#include <iterator>

#include "script.h"

namespace orlim::cli {

namespace {

constexpr std::size_t kFileHeaderLength = 14;
constexpr std::size_t kDibHeaderLength = 40;

void putLittleEndian(std::vector<std::uint8_t>& out, std::size_t at, std::uint32_t value) {
  for (int i = 0; i < 4; ++i) out[at + i] = static_cast<std::uint8_t>(value >> (8 * i));
}

// Where the rows of a packed DIB start: after its header and colour table.
std::size_t rowsOffset(const ClipboardBlock& dib) {
  if (dib.size() < kDibHeaderLength) return dib.size();
  BITMAPINFOHEADER h;
  std::memcpy(&h, dib.data(), sizeof h);
  std::uint64_t table = 0;
  if (h.biClrUsed != 0)
    table = std::uint64_t{h.biClrUsed} * 4;
  else if (h.biBitCount == 1 || h.biBitCount == 4 || h.biBitCount == 8)
    table = std::uint64_t{4} << h.biBitCount;
  else if (h.biCompression == BI_BITFIELDS)
    table = 12;
  const std::uint64_t offset = std::uint64_t{h.biSize} + table;
  return offset < dib.size() ? static_cast<std::size_t>(offset) : dib.size();
}

const char* formatName(UINT format) {
  switch (format) {
    case CF_TEXT: return "CF_TEXT";
    case CF_DIB: return "CF_DIB";
    default: return "other";
  }
}

}  // namespace

bool ScriptHost::commandClipboard(const Args& args, std::string& error) {
  const std::string usage = "usage: clipboard put FILE.bmp | get FILE.bmp | text \"TEXT\" | formats";
  if (args.empty() || args[0].quoted) {
    error = usage;
    return false;
  }
  const std::string& what = args[0].text;
  if (what == "formats" && args.size() == 1) {
    clipboardFormats();
    return true;
  }
  std::string text;
  if (args.size() != 2 || !scriptTokenText(args[1], text) || (what != "put" && what != "get" && what != "text")) {
    error = usage;
    return false;
  }
  if (what == "put")
    clipboardPut(text);
  else if (what == "get")
    clipboardGet(text);
  else
    clipboard_.replaceWith(CF_TEXT, ClipboardBlock(text.begin(), text.end()));
  return true;
}

void ScriptHost::clipboardPut(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  const ClipboardBlock bytes((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
  if (!file.is_open() || bytes.size() <= kFileHeaderLength || bytes[0] != 'B' || bytes[1] != 'M') {
    print("error clipboard: " + path + " is not a BMP file");
    return;
  }
  // A BMP file is its 14-byte file header followed by the packed DIB.
  clipboard_.replaceWith(CF_DIB, ClipboardBlock(bytes.begin() + kFileHeaderLength, bytes.end()));
}

void ScriptHost::clipboardGet(const std::string& path) {
  const ClipboardBlock* dib = clipboard_.data(CF_DIB);
  if (!dib) {
    print("clipboard empty");
    return;
  }
  std::vector<std::uint8_t> out(kFileHeaderLength);
  out[0] = 'B';
  out[1] = 'M';
  putLittleEndian(out, 2, static_cast<std::uint32_t>(kFileHeaderLength + dib->size()));
  putLittleEndian(out, 10, static_cast<std::uint32_t>(kFileHeaderLength + rowsOffset(*dib)));
  out.insert(out.end(), dib->begin(), dib->end());
  std::ofstream file(path, std::ios::binary | std::ios::trunc);
  file.write(reinterpret_cast<const char*>(out.data()), static_cast<std::streamsize>(out.size()));
  if (!file) print("error clipboard: cannot write " + path);
}

void ScriptHost::clipboardFormats() {
  std::string line = "clipboard formats:";
  const std::vector<UINT> formats = clipboard_.EnumClipboardFormats();
  if (formats.empty()) line += " none";
  for (UINT format : formats) {
    line += ' ';
    line += formatName(format);
  }
  print(line);
}

}  // namespace orlim::cli
