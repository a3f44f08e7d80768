// A dialog with behaviour: a template plus the live state of each control (its
// text, check state, enabled state, font, up-down range, colour) as plain data,
// and the handlers the dialog's logic overrides. A backend shows the states and
// reports what the user does through the user... functions; the logic reads and
// changes the states through the Win32-style accessors and the data exchange.
#pragma once

#include <map>
#include <optional>
#include <string>

#include "platform/Application.h"  // IDOK, IDCANCEL
#include "platform/Dialog.h"
#include "platform/orlim_api.h"

namespace orlim {

struct ControlState {
  std::string text;  // caption of a button or static, text of an edit
  int check = 0;     // check box / radio button: 1 checked, 0 not
  bool enabled = true;
  bool changed = false;          // edited by the user since the values were last exchanged
  std::optional<LOGFONTA> font;  // edit: the font it shows its text in (none: the dialog's)
  int low = 0, high = 100;       // up-down: its range (this default unless the dialog sets one)
};

class CDialog;

// One run of a dialog's data exchange: into the controls (saving false) or out of
// them into the dialog's fields (saving true). A value that cannot be read leaves
// the exchange failed, after a message box naming what was expected.
class ORLIM_API CDataExchange {
 public:
  CDataExchange(CDialog& dialog, bool saving) : dialog_(dialog), saving_(saving) {}
  bool saving() const { return saving_; }
  bool failed() const { return failed_; }
  void fail(int id);
  int failedControl() const { return failedControl_; }
  CDialog& dialog() { return dialog_; }

 private:
  CDialog& dialog_;
  bool saving_;
  bool failed_ = false;
  int failedControl_ = 0;
};

ORLIM_API void DDX_Text(CDataExchange& dx, int id, std::string& value);
// An integer in an edit; saving text that is not one fails with
// "Please enter an integer.".
ORLIM_API void DDX_Text(CDataExchange& dx, int id, int& value);
// Saving a value outside [low, high] fails with
// "Please enter an integer between LOW and HIGH.".
ORLIM_API void DDV_MinMaxInt(CDataExchange& dx, int id, int value, int low, int high);
ORLIM_API void DDX_Check(CDataExchange& dx, int id, int& value);
// The index of the checked button of the radio group starting at `firstId`,
// -1 for none (loading -1 clears them all).
ORLIM_API void DDX_Radio(CDataExchange& dx, int firstId, int& index);

class ORLIM_API CDialog {
 public:
  explicit CDialog(const DialogTemplate& dialog) : template_(dialog) {}
  virtual ~CDialog() = default;
  CDialog(const CDialog&) = delete;
  CDialog& operator=(const CDialog&) = delete;

  // Runs the dialog modally through the process's dialog service: IDOK,
  // IDCANCEL, or -1 when it cannot be shown.
  int DoModal(Window* owner);

  // ---- the backend's side ----
  const DialogTemplate& dialogTemplate() const { return template_; }
  // Sets every control to its template state and runs OnInitDialog.
  void initialize(Window* owner);
  const ControlState* control(int id) const;
  // The user typed into an edit (false when `id` is not an enabled edit).
  bool userSetText(int id, const std::string& text);
  // The user stepped an up-down to `value` (kept within its range, written into
  // its buddy); false when `id` is not an enabled up-down.
  bool userSetInteger(int id, int value);
  // The user clicked a button, check box or radio button (false when `id` is none
  // of those or is disabled).
  bool userClick(int id);
  // Escape or the close box.
  void userCancel() { OnCancel(); }
  bool ended() const { return result_.has_value(); }
  int result() const { return result_.value_or(IDCLOSE_DIALOG); }
  // The background a control is painted on when the dialog chooses one.
  virtual std::optional<COLORREF> OnCtlColor(int /*id*/) const { return std::nullopt; }
  Window* owner() const { return owner_; }

  // ---- the logic's side ----
  void SetDlgItemText(int id, const std::string& text);
  std::string GetDlgItemText(int id) const;
  void CheckDlgButton(int id, int check);
  int IsDlgButtonChecked(int id) const;
  void EnableItem(int id, bool enable);
  bool IsItemEnabled(int id) const;
  void SetItemFont(int id, const LOGFONTA* font);  // null: the dialog's own font
  void SetRange(int id, int low, int high);        // an up-down's range
  void SetControlStatus(int id, bool changed);
  // The ids of the radio group `id` belongs to, in template order (empty when
  // `id` is no radio button).
  std::vector<int> radioGroupOf(int id) const;
  void EndDialog(int result) { result_ = result; }
  // Loads the controls from the fields (false) or reads them back (true).
  bool UpdateData(bool save);

 protected:
  virtual BOOL OnInitDialog();  // loads the controls
  virtual void DoDataExchange(CDataExchange& /*dx*/) {}
  // A click on a control, after an automatic check box or radio button changed.
  // The default runs OnOK for IDOK and OnCancel for IDCANCEL.
  virtual void OnCommand(int id);
  virtual void OnOK();      // reads the controls, ends with IDOK when they read
  virtual void OnCancel();  // ends with IDCANCEL

 private:
  ControlState* state(int id);
  const DialogItem* item(int id) const { return template_.find(id); }

  const DialogTemplate& template_;
  std::map<int, ControlState> states_;
  std::optional<int> result_;
  Window* owner_ = nullptr;
};

}  // namespace orlim
