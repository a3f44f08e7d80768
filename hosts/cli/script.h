// `orlim script [FILE]`: a container that runs the control in a headless window
// and drives it by commands read one per line.
#pragma once

#include <cstdio>
#include <istream>
#include <map>
#include <string>
#include <vector>

#include "control/OrlimCtrl.h"
#include "created_control.h"
#include "platform/headless/HeadlessApplication.h"
#include "platform/headless/HeadlessClipboard.h"
#include "platform/headless/HeadlessDialogs.h"
#include "platform/headless/HeadlessWindow.h"

namespace orlim::cli {

// One word of a script line: bare text, or a double-quoted string kept with its
// quotes (the value parser reads the escapes).
struct ScriptToken {
  std::string text;
  bool quoted = false;
};

// Splits a line into tokens; false with `error` set when a quote is not closed.
bool tokenizeScriptLine(const std::string& line, std::vector<ScriptToken>& tokens, std::string& error);

// A path or text argument: bare, or quoted with escapes; false when the quotes do not parse.
bool scriptTokenText(const ScriptToken& token, std::string& text);

class ScriptHost : public ControlSite, public EventSink {
 public:
  explicit ScriptHost(std::FILE* out);
  ~ScriptHost() override;
  // Runs every line; returns the exit status (0, or 1 after a script error).
  int run(std::istream& in);

  // ControlSite and EventSink: what the control tells its container.
  void OnChanged(DISPID id) override;
  void OnModified() override;
  void OnEvent(const MemberInfo& event, const std::vector<Variant>& args) override;

 private:
  using Args = std::vector<ScriptToken>;
  // A command returns false with `error` set for a script error.
  using Command = bool (ScriptHost::*)(const Args& args, std::string& error);

  bool runLine(const std::string& line, std::string& error);
  void deliverPaints();
  void print(const std::string& line);
  std::string memberName(const std::string& given) const;

  bool commandSet(const Args& args, std::string& error);
  bool commandGet(const Args& args, std::string& error);
  bool commandCall(const Args& args, std::string& error);
  bool commandWindow(const Args& args, std::string& error);
  bool commandDisplay(const Args& args, std::string& error);
  bool commandState(const Args& args, std::string& error);
  bool commandTrace(const Args& args, std::string& error);
  // The view's commands (script_view.cpp).
  bool commandMouse(const Args& args, std::string& error);
  bool commandDrag(const Args& args, std::string& error);
  bool commandScroll(const Args& args, std::string& error);
  bool commandDrop(const Args& args, std::string& error);
  bool commandFocus(const Args& args, std::string& error);
  bool commandSnapshot(const Args& args, std::string& error);
  bool commandCursor(const Args& args, std::string& error);
  void sendButton(bool down, POINT point, UINT modifiers);
  bool commandClipboard(const Args& args, std::string& error);
  // The clipboard subcommands (script_clipboard.cpp).
  void clipboardPut(const std::string& path);
  void clipboardGet(const std::string& path);
  void clipboardFormats();
  // Answers for the dialogs the next calls open, and the control's verbs (script_dialog.cpp).
  bool commandDialog(const Args& args, std::string& error);
  bool commandVerb(const Args& args, std::string& error);

  std::FILE* out_;
  HeadlessApplication application_;
  HeadlessClipboard clipboard_;
  HeadlessDialogs dialogs_;
  HeadlessWindow window_;
  CreatedControl created_;
  COrlimCtrl& control_ = created_.control();
  bool trace_ = false;
  bool buttonDown_ = false;
  std::map<std::string, Command> commands_;
};

}  // namespace orlim::cli
