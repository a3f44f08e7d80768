// The script host's commands for the view: mouse buttons and drags, scroll-bar
// requests, dropped files, focus, snapshots of the window and the cursor.
#include <strings.h>

#include <cstring>

#include "platform/headless/png_file.h"
#include "script.h"

namespace orlim::cli {

namespace {

// Client coordinates are small; anything beyond this is a script error.
constexpr long kMaxCoordinate = 1000000;

bool parseCoordinate(const ScriptToken& token, long& value) {
  if (token.quoted || token.text.empty()) return false;
  char* end = nullptr;
  value = std::strtol(token.text.c_str(), &end, 10);
  return *end == '\0' && value >= -kMaxCoordinate && value <= kMaxCoordinate;
}

bool parsePoint(const ScriptToken& x, const ScriptToken& y, POINT& point) {
  long px = 0, py = 0;
  if (!parseCoordinate(x, px) || !parseCoordinate(y, py)) return false;
  point = POINT{static_cast<LONG>(px), static_cast<LONG>(py)};
  return true;
}

// The optional key word after a point.
bool parseModifiers(const std::vector<ScriptToken>& args, std::size_t from, UINT& modifiers) {
  modifiers = 0;
  for (std::size_t i = from; i < args.size(); ++i) {
    if (strcasecmp(args[i].text.c_str(), "shift") == 0)
      modifiers |= MK_SHIFT;
    else if (strcasecmp(args[i].text.c_str(), "ctrl") == 0)
      modifiers |= MK_CONTROL;
    else
      return false;
  }
  return true;
}

struct ScrollCode {
  const char* word;
  UINT code;
};

constexpr ScrollCode kScrollCodes[] = {
    {"lineup", SB_LINEUP},
    {"linedown", SB_LINEDOWN},
    {"pageup", SB_PAGEUP},
    {"pagedown", SB_PAGEDOWN},
    {"thumbposition", SB_THUMBPOSITION},
    {"thumbtrack", SB_THUMBTRACK},
    {"top", SB_TOP},
    {"bottom", SB_BOTTOM},
    {"endscroll", SB_ENDSCROLL},
};

const char* cursorWord(int cursor) {
  switch (cursor) {
    case kCursorOpenHand: return "hand";
    case kCursorClosedHand: return "grab";
    default: return "arrow";
  }
}

// A path given bare or as a quoted string.
bool tokenPath(const ScriptToken& token, std::string& path, std::string& error) {
  if (!token.quoted) {
    path = token.text;
    return true;
  }
  Variant value;
  if (!parseVariant(token.text, value)) {
    error = "not a value: " + token.text;
    return false;
  }
  path = value.asString();
  return true;
}

}  // namespace

void ScriptHost::sendButton(bool down, POINT point, UINT modifiers) {
  buttonDown_ = down;
  if (down)
    window_.SendLButtonDown(MK_LBUTTON | modifiers, point);
  else
    window_.SendLButtonUp(modifiers, point);
}

bool ScriptHost::commandMouse(const Args& args, std::string& error) {
  POINT point{};
  UINT modifiers = 0;
  if (args.size() < 3 || !parsePoint(args[1], args[2], point) || !parseModifiers(args, 3, modifiers)) {
    error = "usage: mouse down|move|up X Y [shift|ctrl]";
    return false;
  }
  const std::string& action = args[0].text;
  if (action == "down") {
    sendButton(true, point, modifiers);
  } else if (action == "up") {
    sendButton(false, point, modifiers);
  } else if (action == "move") {
    window_.SendMouseMove((buttonDown_ ? MK_LBUTTON : 0) | modifiers, point);
  } else {
    error = "usage: mouse down|move|up X Y [shift|ctrl]";
    return false;
  }
  return true;
}

bool ScriptHost::commandDrag(const Args& args, std::string& error) {
  POINT from{}, to{};
  UINT modifiers = 0;
  if (args.size() < 4 || !parsePoint(args[0], args[1], from) || !parsePoint(args[2], args[3], to) ||
      !parseModifiers(args, 4, modifiers)) {
    error = "usage: drag X1 Y1 X2 Y2 [shift|ctrl]";
    return false;
  }
  // In selection mode the tracker's loop takes the moves and the release itself.
  window_.SetTrackEnd(to);
  const bool tracked = control_.viewMode == kSelectionMode && control_.hasPicture();
  sendButton(true, from, modifiers);
  deliverPaints();
  if (tracked) {
    buttonDown_ = false;
    return true;
  }
  constexpr int kSteps = 4;
  for (int i = 1; i <= kSteps; ++i) {
    const POINT at{from.x + (to.x - from.x) * i / kSteps, from.y + (to.y - from.y) * i / kSteps};
    window_.SendMouseMove(MK_LBUTTON | modifiers, at);
    deliverPaints();
  }
  sendButton(false, to, modifiers);
  return true;
}

bool ScriptHost::commandScroll(const Args& args, std::string& error) {
  const char* usage = "usage: scroll h|v CODE [POS]";
  if (args.size() < 2 || args.size() > 3 || (args[0].text != "h" && args[0].text != "v")) {
    error = usage;
    return false;
  }
  const ScrollCode* found = nullptr;
  for (const ScrollCode& c : kScrollCodes)
    if (strcasecmp(c.word, args[1].text.c_str()) == 0) found = &c;
  long position = 0;
  if (!found || (args.size() == 3 && !parseCoordinate(args[2], position)) || position < 0) {
    error = usage;
    return false;
  }
  window_.SendScroll(args[0].text == "h" ? SB_HORZ : SB_VERT, found->code, static_cast<UINT>(position));
  return true;
}

bool ScriptHost::commandDrop(const Args& args, std::string& error) {
  std::vector<std::string> paths;
  for (const ScriptToken& token : args) {
    std::string path;
    if (!tokenPath(token, path, error)) return false;
    paths.push_back(path);
  }
  if (paths.empty()) {
    error = "usage: drop PATH [PATH ...]";
    return false;
  }
  window_.DropFiles(paths);
  return true;
}

bool ScriptHost::commandFocus(const Args& args, std::string& error) {
  if (args.size() != 1 || args[0].text != "out") {
    error = "usage: focus out";
    return false;
  }
  window_.SendKillFocus();
  return true;
}

bool ScriptHost::commandSnapshot(const Args& args, std::string& error) {
  std::string path;
  if (args.size() != 1) {
    error = "usage: snapshot FILE.png";
    return false;
  }
  if (!tokenPath(args[0], path, error)) return false;
  deliverPaints();
  std::string failure;
  if (!writeSurfacePng(window_.surface(), path, failure)) print("error snapshot: " + failure);
  return true;
}

bool ScriptHost::commandCursor(const Args& args, std::string& error) {
  if (!args.empty()) {
    error = "usage: cursor";
    return false;
  }
  print(std::string("cursor = ") + cursorWord(window_.cursor()));
  return true;
}

}  // namespace orlim::cli
