// `dialog ...` queues the answers a person would give the dialogs the next call
// opens; `verb NAME` runs one of the control's verbs as a container's menu would.
#include <strings.h>

#include <cstdlib>

#include "script.h"

namespace orlim::cli {

namespace {

using Kind = DialogAnswer::Kind;

// A whole number, decimal or 0x hexadecimal, within [low, high].
bool numberOf(const ScriptToken& token, long low, long high, long& value) {
  if (token.quoted || token.text.empty()) return false;
  char* end = nullptr;
  const bool hex = token.text.size() > 2 && token.text[0] == '0' && (token.text[1] == 'x' || token.text[1] == 'X');
  const long long parsed = std::strtoll(token.text.c_str(), &end, hex ? 16 : 10);
  if (*end != '\0' || parsed < low || parsed > high) return false;
  value = static_cast<long>(parsed);
  return true;
}

bool controlId(const ScriptToken& token, int& id) {
  long value = 0;
  if (!numberOf(token, 1, 65535, value)) return false;
  id = static_cast<int>(value);
  return true;
}

const char* const kUsage =
    "usage: dialog expect \"TITLE\" | set ID VALUE | click ID|OK|Apply|Cancel | page \"CAPTION\" | "
    "file \"PATH\" [FILTER_INDEX] | cancel | colour 0xBBGGRR | font \"NAME\" POINTS [bold] [italic]";

// Reads one answer from the words after `dialog`; false when they do not make one.
bool parseAnswer(const std::vector<ScriptToken>& args, DialogAnswer& answer) {
  if (args.empty() || args[0].quoted) return false;
  const std::string& what = args[0].text;
  const std::size_t n = args.size();
  if (what == "expect" && n == 2) {
    answer.kind = Kind::Expect;
    return scriptTokenText(args[1], answer.text);
  }
  if (what == "set" && n == 3) {
    answer.kind = Kind::Set;
    return controlId(args[1], answer.id) && parseVariant(args[2].text, answer.value);
  }
  if (what == "click" && n == 2) {
    answer.kind = Kind::Click;
    if (controlId(args[1], answer.id)) return true;
    answer.text = args[1].text;
    return !args[1].quoted &&
           (strcasecmp(answer.text.c_str(), "OK") == 0 || strcasecmp(answer.text.c_str(), "Apply") == 0 ||
            strcasecmp(answer.text.c_str(), "Cancel") == 0);
  }
  if (what == "page" && n == 2) {
    answer.kind = Kind::Page;
    return scriptTokenText(args[1], answer.text);
  }
  if (what == "file" && (n == 2 || n == 3)) {
    answer.kind = Kind::File;
    return scriptTokenText(args[1], answer.text) && !answer.text.empty() &&
           (n == 2 || numberOf(args[2], 1, 1000, answer.number));
  }
  if (what == "cancel" && n == 1) {
    answer.kind = Kind::Cancel;
    return true;
  }
  if ((what == "colour" || what == "color") && n == 2) {
    answer.kind = Kind::Color;
    return numberOf(args[1], 0, 0xFFFFFF, answer.number);
  }
  if (what == "font" && n >= 3 && n <= 5) {
    answer.kind = Kind::Font;
    if (!scriptTokenText(args[1], answer.text) || !numberOf(args[2], 1, 1638, answer.number)) return false;
    for (std::size_t i = 3; i < n; ++i) {
      if (args[i].text == "bold" && !answer.bold)
        answer.bold = true;
      else if (args[i].text == "italic" && !answer.italic)
        answer.italic = true;
      else
        return false;
    }
    return true;
  }
  return false;
}

}  // namespace

bool ScriptHost::commandDialog(const Args& args, std::string& error) {
  DialogAnswer answer;
  if (!parseAnswer(args, answer)) {
    error = kUsage;
    return false;
  }
  dialogs_.queue(std::move(answer));
  return true;
}

bool ScriptHost::commandVerb(const Args& args, std::string& error) {
  if (args.size() != 1 || args[0].quoted) {
    error = "usage: verb NAME";
    return false;
  }
  for (const OleVerb& verb : control_.EnumVerbs()) {
    if (strcasecmp(verb.name, args[0].text.c_str()) != 0) continue;
    const HRESULT hr = control_.DoVerb(verb.id, nullptr);
    if (FAILED(hr)) print(std::string("error verb ") + verb.name + ": " + describeResult(hr));
    return true;
  }
  print("error verb " + args[0].text + ": the control has no such verb");
  return true;
}

}  // namespace orlim::cli
