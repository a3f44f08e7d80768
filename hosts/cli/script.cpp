// The script host: creates the control in a 640 x 480 headless window on a
// 24-bit, 96 dpi display and runs commands line by line, printing results,
// events, message boxes and (when traced) notifications as they happen.
#include "script.h"

#include <strings.h>

#include <CLI/CLI.hpp>
#include <fstream>
#include <iostream>
#include <memory>
#include <stdexcept>

#include "commands.h"

namespace orlim::cli {

namespace {

constexpr int kInitialWidth = 640;
constexpr int kInitialHeight = 480;
// Larger windows or displays are refused as script errors.
constexpr long kMaxWindowSide = 100000;
constexpr long kMaxDpi = 100000;

const char* iconWord(UINT type) {
  switch (type & MB_ICONMASK) {
    case MB_ICONERROR: return "error";
    case MB_ICONWARNING: return "warning";
    case MB_ICONQUESTION: return "question";
    default: return "info";
  }
}

// A whole number within [low, high] from a bare token.
bool parseBounded(const ScriptToken& token, long low, long high, long& value) {
  Variant v;
  if (token.quoted || !parseVariant(token.text, v) || v.type() != VarType::Long) return false;
  value = v.asLong();
  return value >= low && value <= high;
}

bool parseValue(const ScriptToken& token, Variant& value, std::string& error) {
  if (parseVariant(token.text, value)) return true;
  error = "not a value: " + token.text;
  return false;
}

}  // namespace

ScriptHost::ScriptHost(std::FILE* out) : out_(out), window_(kInitialWidth, kInitialHeight) {
  commands_ = {
      {"set", &ScriptHost::commandSet},
      {"get", &ScriptHost::commandGet},
      {"call", &ScriptHost::commandCall},
      {"window", &ScriptHost::commandWindow},
      {"display", &ScriptHost::commandDisplay},
      {"state", &ScriptHost::commandState},
      {"trace", &ScriptHost::commandTrace},
      {"mouse", &ScriptHost::commandMouse},
      {"drag", &ScriptHost::commandDrag},
      {"scroll", &ScriptHost::commandScroll},
      {"drop", &ScriptHost::commandDrop},
      {"focus", &ScriptHost::commandFocus},
      {"snapshot", &ScriptHost::commandSnapshot},
      {"cursor", &ScriptHost::commandCursor},
      {"clipboard", &ScriptHost::commandClipboard},
      {"dialog", &ScriptHost::commandDialog},
      {"verb", &ScriptHost::commandVerb},
  };
  application_.onMessageBox = [this](const RecordedMessageBox& box) {
    print(std::string("message ") + iconWord(box.type) + " " + formatVariant(Variant::fromString(box.text)));
  };
  dialogs_.onLine = [this](const std::string& line) { print(line); };
  control_.SetClientSite(this);
  control_.Advise(this);
  control_.AttachWindow(&window_);
  control_.ResetState();  // a newly inserted control
  window_.Resize(kInitialWidth, kInitialHeight);
  deliverPaints();
}

ScriptHost::~ScriptHost() {
  control_.Unadvise(this);
  control_.SetClientSite(nullptr);
}

void ScriptHost::print(const std::string& line) {
  std::fputs(line.c_str(), out_);
  std::fputc('\n', out_);
}

void ScriptHost::OnChanged(DISPID id) {
  if (!trace_) return;
  const MemberInfo* member = control_.dispatchTable().findById(id);
  print("notify " + std::to_string(id) + " " + (member ? member->name : "?"));
}

void ScriptHost::OnModified() {
  if (trace_) print("modified");
}

void ScriptHost::OnEvent(const MemberInfo& event, const std::vector<Variant>& args) {
  std::string line = std::string("event ") + event.name;
  for (const Variant& arg : args) {
    line += ' ';
    line += formatVariant(arg);
  }
  print(line);
}

void ScriptHost::deliverPaints() {
  // A paint may invalidate again; a message loop would keep going, within reason.
  for (int i = 0; i < 16 && window_.DeliverPendingPaint(); ++i) {
  }
}

std::string ScriptHost::memberName(const std::string& given) const {
  const MemberInfo* member = control_.dispatchTable().findByName(given);
  return member ? member->name : given;
}

int ScriptHost::run(std::istream& in) {
  std::string line;
  int number = 0;
  while (std::getline(in, line)) {
    ++number;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    std::string error;
    const bool ok = runLine(line, error);
    deliverPaints();
    std::fflush(out_);
    if (!ok) {
      print("line " + std::to_string(number) + ": " + error);
      std::fflush(out_);
      return 1;
    }
  }
  return 0;
}

bool ScriptHost::runLine(const std::string& line, std::string& error) {
  std::vector<ScriptToken> tokens;
  if (!tokenizeScriptLine(line, tokens, error)) return false;
  if (tokens.empty() || tokens[0].text[0] == '#') return true;
  const auto command = tokens[0].quoted ? commands_.end() : commands_.find(tokens[0].text);
  if (command == commands_.end()) {
    error = "unknown command " + tokens[0].text;
    return false;
  }
  return (this->*command->second)(Args(tokens.begin() + 1, tokens.end()), error);
}

bool ScriptHost::commandSet(const Args& args, std::string& error) {
  if (args.size() != 2 || args[0].quoted) {
    error = "usage: set NAME VALUE";
    return false;
  }
  Variant value;
  if (!parseValue(args[1], value, error)) return false;
  const HRESULT hr = control_.InvokeByName(args[0].text, InvokeKind::PropertyPut, {value}, nullptr);
  if (FAILED(hr)) print("error " + memberName(args[0].text) + ": " + describeResult(hr));
  return true;
}

bool ScriptHost::commandGet(const Args& args, std::string& error) {
  if (args.size() != 1 || args[0].quoted) {
    error = "usage: get NAME";
    return false;
  }
  Variant result;
  const HRESULT hr = control_.InvokeByName(args[0].text, InvokeKind::PropertyGet, {}, &result);
  if (FAILED(hr))
    print("error " + memberName(args[0].text) + ": " + describeResult(hr));
  else
    print(memberName(args[0].text) + " = " + formatVariant(result));
  return true;
}

bool ScriptHost::commandCall(const Args& args, std::string& error) {
  if (args.empty() || args[0].quoted) {
    error = "usage: call NAME [ARG ...]";
    return false;
  }
  std::vector<Variant> values(args.size() - 1);
  for (std::size_t i = 1; i < args.size(); ++i)
    if (!parseValue(args[i], values[i - 1], error)) return false;
  Variant result;
  const HRESULT hr = control_.InvokeByName(args[0].text, InvokeKind::Method, values, &result);
  if (FAILED(hr))
    print("error " + memberName(args[0].text) + ": " + describeResult(hr));
  else
    print(memberName(args[0].text) + " -> " + formatVariant(result));
  return true;
}

bool ScriptHost::commandWindow(const Args& args, std::string& error) {
  long width = 0, height = 0;
  if (args.size() != 2 || !parseBounded(args[0], 0, kMaxWindowSide, width) ||
      !parseBounded(args[1], 0, kMaxWindowSide, height)) {
    error = "usage: window W H (0 to " + std::to_string(kMaxWindowSide) + ")";
    return false;
  }
  window_.Resize(static_cast<int>(width), static_cast<int>(height));
  return true;
}

bool ScriptHost::commandDisplay(const Args& args, std::string& error) {
  long bits = 0, dpi = 0;
  if (args.size() != 2 || !parseBounded(args[0], 1, 32, bits) || !parseBounded(args[1], 1, kMaxDpi, dpi)) {
    error = "usage: display BITS DPI (1 to 32 bits, 1 to " + std::to_string(kMaxDpi) + " dpi)";
    return false;
  }
  window_.SetDisplay(static_cast<int>(bits), static_cast<int>(dpi));
  return true;
}

bool ScriptHost::commandState(const Args& args, std::string& error) {
  if (args.size() != 2 || (args[0].text != "save" && args[0].text != "load")) {
    error = "usage: state save FILE | state load FILE";
    return false;
  }
  std::string path = args[1].text;
  if (args[1].quoted) {
    Variant value;
    if (!parseValue(args[1], value, error)) return false;
    path = value.asString();
  }
  PropertyBag bag;
  if (args[0].text == "save") {
    control_.SaveState(bag);
    if (!bag.saveToFile(path)) print("error state: cannot write " + path);
  } else if (!bag.loadFromFile(path)) {
    print("error state: cannot read " + path);
  } else {
    control_.LoadState(bag);
  }
  return true;
}

bool ScriptHost::commandTrace(const Args& args, std::string& error) {
  if (args.size() != 1 ||
      (strcasecmp(args[0].text.c_str(), "on") != 0 && strcasecmp(args[0].text.c_str(), "off") != 0)) {
    error = "usage: trace on|off";
    return false;
  }
  trace_ = strcasecmp(args[0].text.c_str(), "on") == 0;
  return true;
}

namespace {

// Runs the script in `path`, or on standard input when `path` is empty.
int runScript(const std::string& path) {
  std::ifstream file;
  if (!path.empty()) {
    file.open(path);
    if (!file) {
      std::fprintf(stderr, "orlim: cannot read %s\n", path.c_str());
      return 2;
    }
  }
  try {
    ScriptHost host(stdout);
    return host.run(path.empty() ? std::cin : file);
  } catch (const std::runtime_error& failure) {
    std::fprintf(stderr, "orlim: %s\n", failure.what());
    return 1;
  }
}

}  // namespace

Command declareScript(CLI::App& orlim) {
  auto path = std::make_shared<std::string>();
  CLI::App* script = orlim.add_subcommand(
      "script", "drive the control by commands from FILE or stdin (see orlim(1) for the commands)");
  script->add_option("FILE", *path, "the script, one command a line (default: standard input)");
  return {script, [path] { return runScript(*path); }};
}

}  // namespace orlim::cli
