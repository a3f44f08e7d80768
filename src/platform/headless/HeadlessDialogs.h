// The dialog service of a host without a screen. Every dialog shown is recorded
// and described line by line to a listener (its title, then each control with an
// id and its state), and answered from a queue the host fills beforehand, as a
// person would answer it: expect a title, type into an edit, click a control,
// pick a sheet page, pick a file, a colour or a font, or cancel. Answers are used
// in order, by whichever dialog is showing when they come up (a click that opens
// another dialog hands the rest of the queue to it). A dialog with no answer left
// for it closes as with Escape. Installs itself for its lifetime.
#pragma once

#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "platform/CDialog.h"
#include "platform/CommonDialogs.h"
#include "platform/Dialog.h"
#include "platform/PropertySheet.h"
#include "platform/Variant.h"
#include "platform/orlim_api.h"

namespace orlim {

struct DialogAnswer {
  enum class Kind {
    Expect,  // the next dialog shown must have title `text`; otherwise it is reported and cancelled
    Set,     // control `id` takes `value` (an edit's text, or an up-down's integer)
    Click,   // control `id` is clicked; with id 0, the sheet button `text` ("OK", "Apply", "Cancel")
    Page,    // the sheet page captioned `text` is selected
    File,    // the open-file dialog picks `text`, with filter `number` (0: as it was)
    Cancel,  // the dialog showing is cancelled (Escape)
    Color,   // the colour chooser picks `number` (0x00BBGGRR)
    Font,    // the font chooser picks face `text`, `number` points, bold, italic
  };
  Kind kind = Kind::Cancel;
  int id = 0;
  std::string text{};
  Variant value{};
  long number = 0;
  bool bold = false;
  bool italic = false;
};

class ORLIM_API HeadlessDialogs : public DialogService {
 public:
  HeadlessDialogs();
  ~HeadlessDialogs() override;

  int DoModal(const DialogTemplate& dialog, Window* owner) override;
  int RunDialog(CDialog& dialog, Window* owner) override;
  int RunPropertySheet(PropertySheet& sheet, Window* owner) override;
  bool GetOpenFileName(OpenFileRequest& request, Window* owner) override;
  bool ChooseColor(ColorRequest& request, Window* owner) override;
  bool ChooseFont(FontRequest& request, Window* owner) override;

  // --- host side ---
  std::function<void(const DialogTemplate&)> onDialog;  // each template shown
  std::function<void(const std::string&)> onLine;       // each line of the description
  // The answer a template without behaviour closes with (DoModal).
  void queueAnswer(int answer) { answers_.push_back(answer); }
  void queue(DialogAnswer answer) { script_.push_back(std::move(answer)); }
  std::size_t queuedAnswers() const { return script_.size(); }
  const std::vector<DialogTemplate>& shown() const { return shown_; }

 private:
  void say(const std::string& line);
  // Shows a dialog's title; false when an expected title did not match (the
  // dialog is then to be cancelled).
  bool announce(const std::string& title);
  bool nextIsFor(DialogAnswer::Kind kind) const;
  // The answers of one dialog or page: applied until it ends or none is left for it.
  void answerDialog(CDialog& dialog, PropertySheet* sheet);
  bool applyToDialog(CDialog& dialog, const DialogAnswer& answer, std::string& error);
  bool applyToSheet(PropertySheet& sheet, const DialogAnswer& answer, std::string& error);
  void describeChanges(const std::vector<std::string>& before, const std::vector<std::string>& after);

  DialogService* previous_;
  std::vector<DialogTemplate> shown_;
  std::deque<int> answers_;
  std::deque<DialogAnswer> script_;
};

// One line per control with an id: "ID KIND "TEXT"" and its state
// (checked, disabled, font, colour, range), as a person would see it.
ORLIM_API std::vector<std::string> describeControls(const CDialog& dialog);

}  // namespace orlim
