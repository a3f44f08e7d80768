// The headless open-file, colour and font dialogs: each describes what it shows
// and takes its own kind of answer (or Cancel) from the queue; any other answer
// is left for the dialog underneath, and this one closes as with Escape.
#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>

#include "platform/Window.h"
#include "platform/headless/HeadlessDialogs.h"

namespace orlim {

namespace {

std::string quotedText(const std::string& text) { return formatVariant(Variant::fromString(text)); }

std::string filterLine(const OpenFileRequest& request) {
  const auto filters = splitFileFilter(request.filter);
  const int index = request.filterIndex;
  const std::string name = index >= 1 && index <= static_cast<int>(filters.size()) ? filters[index - 1].first : "";
  return "  filter " + std::to_string(index) + " " + quotedText(name);
}

std::string colorLine(COLORREF color) {
  char buffer[32];
  std::snprintf(buffer, sizeof buffer, "  colour 0x%06X", static_cast<unsigned>(color & 0xFFFFFF));
  return buffer;
}

std::string fontLine(const LOGFONTA& font) {
  std::string line = "  font " + quotedText(std::string(font.lfFaceName, strnlen(font.lfFaceName, LF_FACESIZE))) +
                     " height " + std::to_string(font.lfHeight) + " weight " + std::to_string(font.lfWeight);
  if (font.lfItalic) line += " italic";
  if (font.lfUnderline) line += " underline";
  if (font.lfStrikeOut) line += " strikeout";
  return line;
}

// The full path a typed name stands for: relative names are in the folder shown.
std::string fullPath(const std::string& name, const std::string& folder) {
  namespace fs = std::filesystem;
  fs::path path(name);
  if (path.is_relative()) {
    std::error_code ignored;
    path = (folder.empty() ? fs::current_path(ignored) : fs::path(folder)) / path;
  }
  return path.lexically_normal().string();
}

}  // namespace

bool HeadlessDialogs::GetOpenFileName(OpenFileRequest& request, Window*) {
  if (!announce(request.title.empty() ? "Open" : request.title)) return false;
  say(filterLine(request));
  say("  folder " + quotedText(request.initialDir));
  say("  file " + quotedText(request.fileName));
  if (!nextIsFor(DialogAnswer::Kind::File) && !nextIsFor(DialogAnswer::Kind::Cancel)) return false;
  const DialogAnswer answer = script_.front();
  script_.pop_front();
  if (answer.kind == DialogAnswer::Kind::Cancel) return false;
  const int filters = static_cast<int>(splitFileFilter(request.filter).size());
  if (answer.number < 0 || answer.number > filters) {
    say("dialog error: no filter " + std::to_string(answer.number) + ", cancelled");
    return false;
  }
  const std::string path = fullPath(answer.text, request.initialDir);
  std::error_code ignored;
  if ((request.flags & OFN_FILEMUSTEXIST) && !std::filesystem::is_regular_file(path, ignored)) {
    say("dialog error: " + quotedText(path) + " does not exist, cancelled");
    return false;
  }
  if (path.size() >= request.maxFileName) {
    say("dialog error: the path is longer than " + std::to_string(request.maxFileName - 1) + " characters, cancelled");
    return false;
  }
  request.fileName = path;
  if (answer.number != 0) request.filterIndex = static_cast<int>(answer.number);
  say(filterLine(request));
  say("  file " + quotedText(request.fileName));
  return true;
}

bool HeadlessDialogs::ChooseColor(ColorRequest& request, Window*) {
  if (!announce("Color")) return false;
  say(colorLine(request.color));
  if (!nextIsFor(DialogAnswer::Kind::Color) && !nextIsFor(DialogAnswer::Kind::Cancel)) return false;
  const DialogAnswer answer = script_.front();
  script_.pop_front();
  if (answer.kind == DialogAnswer::Kind::Cancel) return false;
  request.color = static_cast<COLORREF>(answer.number) & 0x00FFFFFF;
  say(colorLine(request.color));
  return true;
}

bool HeadlessDialogs::ChooseFont(FontRequest& request, Window* owner) {
  if (!announce("Font")) return false;
  say(fontLine(request.font));
  if (!nextIsFor(DialogAnswer::Kind::Font) && !nextIsFor(DialogAnswer::Kind::Cancel)) return false;
  const DialogAnswer answer = script_.front();
  script_.pop_front();
  if (answer.kind == DialogAnswer::Kind::Cancel) return false;
  if (answer.text.empty() || answer.text.size() >= static_cast<std::size_t>(LF_FACESIZE) || answer.number < 1 ||
      answer.number > 1638) {
    say("dialog error: no such font, cancelled");
    return false;
  }
  // Points become screen pixels as the real chooser does: -round(points * dpi / 72).
  const int dpi = owner ? owner->GetDisplayCaps().dpiY : 96;
  LOGFONTA font = request.font;
  std::memset(font.lfFaceName, 0, sizeof font.lfFaceName);
  std::memcpy(font.lfFaceName, answer.text.data(), answer.text.size());
  font.lfHeight = -static_cast<LONG>(std::floor(static_cast<double>(answer.number) * dpi / 72.0 + 0.5));
  font.lfWeight = answer.bold ? 700 : 400;
  font.lfItalic = answer.italic ? 1 : 0;
  request.font = font;
  say(fontLine(request.font));
  return true;
}

}  // namespace orlim
