#include <strings.h>

#include "platform/headless/HeadlessDialogs.h"

namespace orlim {

namespace {

// What a bare word answer means in a dialog of its own (not a sheet).
int dialogButtonOf(const std::string& word) {
  if (strcasecmp(word.c_str(), "OK") == 0) return IDOK;
  if (strcasecmp(word.c_str(), "Cancel") == 0) return IDCANCEL;
  return 0;
}

const char* answerNoun(DialogAnswer::Kind kind) {
  switch (kind) {
    case DialogAnswer::Kind::File: return "no open-file dialog is showing";
    case DialogAnswer::Kind::Color: return "no colour dialog is showing";
    case DialogAnswer::Kind::Font: return "no font dialog is showing";
    case DialogAnswer::Kind::Page: return "no property sheet is showing";
    default: return "the answer does not fit this dialog";
  }
}

}  // namespace

HeadlessDialogs::HeadlessDialogs() : previous_(currentDialogService()) { setDialogService(this); }

HeadlessDialogs::~HeadlessDialogs() {
  if (currentDialogService() == this) setDialogService(previous_);
}

void HeadlessDialogs::say(const std::string& line) {
  if (onLine) onLine(line);
}

bool HeadlessDialogs::nextIsFor(DialogAnswer::Kind kind) const {
  return !script_.empty() && script_.front().kind == kind;
}

bool HeadlessDialogs::announce(const std::string& title) {
  say("dialog " + formatVariant(Variant::fromString(title)));
  if (!nextIsFor(DialogAnswer::Kind::Expect)) return true;
  const std::string expected = script_.front().text;
  script_.pop_front();
  if (expected == title) return true;
  say("dialog error: expected " + formatVariant(Variant::fromString(expected)) + ", cancelled");
  // The answers meant for the expected dialog go with it.
  while (!script_.empty() && script_.front().kind != DialogAnswer::Kind::Expect) script_.pop_front();
  return false;
}

int HeadlessDialogs::DoModal(const DialogTemplate& dialog, Window*) {
  shown_.push_back(dialog);
  if (onDialog) onDialog(dialog);
  if (!announce(dialog.title)) return IDCANCEL;
  if (!answers_.empty()) {
    const int answer = answers_.front();
    answers_.pop_front();
    return answer;
  }
  if (nextIsFor(DialogAnswer::Kind::Click) || nextIsFor(DialogAnswer::Kind::Cancel)) {
    const DialogAnswer answer = script_.front();
    script_.pop_front();
    if (answer.kind == DialogAnswer::Kind::Click) return answer.id ? answer.id : dialogButtonOf(answer.text);
    return IDCANCEL;
  }
  return IDCLOSE_DIALOG;
}

int HeadlessDialogs::RunDialog(CDialog& dialog, Window* owner) {
  shown_.push_back(dialog.dialogTemplate());
  if (onDialog) onDialog(dialog.dialogTemplate());
  dialog.initialize(owner);
  if (announce(dialog.dialogTemplate().title)) {
    for (const std::string& line : describeControls(dialog)) say(line);
    answerDialog(dialog, nullptr);
  } else {
    dialog.userCancel();
  }
  return dialog.result();
}

int HeadlessDialogs::RunPropertySheet(PropertySheet& sheet, Window* owner) {
  sheet.open(owner);
  if (announce(sheet.title())) {
    say("page " + formatVariant(Variant::fromString(sheet.page(sheet.activePage()).caption())));
    for (const std::string& line : describeControls(sheet.page(sheet.activePage()))) say(line);
    answerDialog(sheet.page(sheet.activePage()), &sheet);
  } else {
    sheet.cancel();
  }
  return sheet.result();
}

void HeadlessDialogs::answerDialog(CDialog& dialog, PropertySheet* sheet) {
  auto ended = [&] { return sheet ? sheet->ended() : dialog.ended(); };
  auto shownPage = [&]() -> CDialog& { return sheet ? sheet->page(sheet->activePage()) : dialog; };
  while (!ended()) {
    if (script_.empty() || nextIsFor(DialogAnswer::Kind::Expect)) {
      // Nothing more for this dialog: the user leaves it with Escape.
      if (sheet)
        sheet->cancel();
      else
        dialog.userCancel();
      break;
    }
    const DialogAnswer answer = script_.front();
    script_.pop_front();
    CDialog* before = &shownPage();
    const std::vector<std::string> lines = describeControls(*before);
    std::string error;
    const bool ok = sheet ? applyToSheet(*sheet, answer, error) : applyToDialog(dialog, answer, error);
    if (!ok) say("dialog error: " + error);
    if (ended()) break;
    CDialog& after = shownPage();
    if (&after == before) {
      describeChanges(lines, describeControls(after));
    } else {
      say("page " + formatVariant(Variant::fromString(sheet->page(sheet->activePage()).caption())));
      for (const std::string& line : describeControls(after)) say(line);
    }
  }
}

bool HeadlessDialogs::applyToDialog(CDialog& dialog, const DialogAnswer& answer, std::string& error) {
  using Kind = DialogAnswer::Kind;
  const int id = answer.kind == Kind::Click && answer.id == 0 ? dialogButtonOf(answer.text) : answer.id;
  const DialogItem* item = dialog.dialogTemplate().find(id);
  const ControlState* state = dialog.control(id);
  switch (answer.kind) {
    case Kind::Cancel: dialog.userCancel(); return true;
    case Kind::Set:
    case Kind::Click:
      if (!item || !state) {
        error = "no control " + (id ? std::to_string(id) : answer.text);
        return false;
      }
      if (!state->enabled) {
        error = "control " + std::to_string(id) + " is disabled";
        return false;
      }
      break;
    default: error = answerNoun(answer.kind); return false;
  }
  if (answer.kind == Kind::Click) {
    if (dialog.userClick(id)) return true;
    error = "control " + std::to_string(id) + " cannot be clicked";
    return false;
  }
  if (item->kind == DialogItemKind::UpDown) {
    Variant number;
    if (SUCCEEDED(answer.value.coerceTo(VarType::Long, number)) && dialog.userSetInteger(id, number.asLong()))
      return true;
    error = "control " + std::to_string(id) + " takes an integer";
    return false;
  }
  Variant text;
  answer.value.coerceTo(VarType::String, text);
  if (dialog.userSetText(id, text.asString())) return true;
  error = "control " + std::to_string(id) + " cannot be edited";
  return false;
}

bool HeadlessDialogs::applyToSheet(PropertySheet& sheet, const DialogAnswer& answer, std::string& error) {
  using Kind = DialogAnswer::Kind;
  if (answer.kind == Kind::Page) {
    const int index = sheet.findPage(answer.text);
    if (index < 0) {
      error = "no page " + formatVariant(Variant::fromString(answer.text));
      return false;
    }
    sheet.selectPage(static_cast<std::size_t>(index));
    return true;
  }
  if (answer.kind == Kind::Cancel) {
    sheet.cancel();
    return true;
  }
  if (answer.kind == Kind::Click && answer.id == 0) {
    if (strcasecmp(answer.text.c_str(), "OK") == 0) {
      sheet.ok();
    } else if (strcasecmp(answer.text.c_str(), "Apply") == 0) {
      if (!sheet.canApply()) {
        error = "Apply is disabled";
        return false;
      }
      sheet.apply();
    } else if (strcasecmp(answer.text.c_str(), "Cancel") == 0) {
      sheet.cancel();
    } else {
      error = "no sheet button " + answer.text;
      return false;
    }
    return true;
  }
  return applyToDialog(sheet.page(sheet.activePage()), answer, error);
}

void HeadlessDialogs::describeChanges(const std::vector<std::string>& before, const std::vector<std::string>& after) {
  for (std::size_t i = 0; i < after.size(); ++i)
    if (i >= before.size() || before[i] != after[i]) say(after[i]);
}

}  // namespace orlim
