// How a headless dialog describes its controls: one line per control with an
// id, in template order, so that a run reads like a recording of the screen.
#include <cstdio>
#include <cstring>

#include "platform/headless/HeadlessDialogs.h"

namespace orlim {

namespace {

const char* kindWord(const DialogItem& item, bool swatch) {
  switch (item.kind) {
    case DialogItemKind::Static: return swatch ? "swatch" : "static";
    case DialogItemKind::Bitmap: return "bitmap";
    case DialogItemKind::Button: return "button";
    case DialogItemKind::Edit: return "edit";
    case DialogItemKind::GroupBox: return "group";
    case DialogItemKind::CheckBox: return "check";
    case DialogItemKind::RadioButton: return "radio";
    case DialogItemKind::UpDown: return "updown";
  }
  return "control";
}

std::string quotedText(const std::string& text) { return formatVariant(Variant::fromString(text)); }

std::string hexColor(COLORREF color) {
  char buffer[16];
  std::snprintf(buffer, sizeof buffer, "0x%06X", static_cast<unsigned>(color & 0xFFFFFF));
  return buffer;
}

std::string describeControl(const CDialog& dialog, const DialogItem& item, const ControlState& state) {
  const std::optional<COLORREF> background = dialog.OnCtlColor(item.id);
  const bool swatch = item.kind == DialogItemKind::Static && background.has_value();
  // Appended piece by piece: GCC 12 warns falsely about "literal" + std::string&&.
  std::string line = "  ";
  auto add = [&line](const std::string& piece) {
    line += ' ';
    line += piece;
  };
  line += std::to_string(item.id);
  add(kindWord(item, swatch));
  if (item.kind == DialogItemKind::UpDown)
    add(std::to_string(state.low).append("..").append(std::to_string(state.high)));
  else if (item.kind == DialogItemKind::Edit)
    add(quotedText(state.text));
  else if (!swatch)
    add(quotedText(displayedCaption(state.text)));
  if (background) add(hexColor(*background));
  if ((item.kind == DialogItemKind::CheckBox || item.kind == DialogItemKind::RadioButton) && state.check)
    add("checked");
  if (state.font) {
    add("font");
    add(quotedText(std::string(state.font->lfFaceName, strnlen(state.font->lfFaceName, LF_FACESIZE))));
  }
  if (!state.enabled) add("disabled");
  return line;
}

}  // namespace

std::vector<std::string> describeControls(const CDialog& dialog) {
  std::vector<std::string> lines;
  for (const DialogItem& item : dialog.dialogTemplate().items) {
    const ControlState* state = dialog.control(item.id);
    if (state) lines.push_back(describeControl(dialog, item, *state));
  }
  return lines;
}

}  // namespace orlim
