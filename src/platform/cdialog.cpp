#include "platform/CDialog.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>

#include "platform/Application.h"

namespace orlim {

namespace {

bool isRadio(const DialogItem& item) { return item.kind == DialogItemKind::RadioButton; }

// A whole 32-bit number, blanks around it allowed.
bool parseInteger(const std::string& text, int& value) {
  const char* start = text.c_str();
  char* end = nullptr;
  errno = 0;
  const long long parsed = std::strtoll(start, &end, 10);
  if (end == start || errno == ERANGE || parsed < INT32_MIN || parsed > INT32_MAX) return false;
  while (*end == ' ' || *end == '\t') ++end;
  if (*end != '\0') return false;
  value = static_cast<int>(parsed);
  return true;
}

}  // namespace

void CDataExchange::fail(int id) {
  if (!failed_) failedControl_ = id;
  failed_ = true;
}

void DDX_Text(CDataExchange& dx, int id, std::string& value) {
  if (dx.saving())
    value = dx.dialog().GetDlgItemText(id);
  else
    dx.dialog().SetDlgItemText(id, value);
}

void DDX_Text(CDataExchange& dx, int id, int& value) {
  if (!dx.saving()) {
    dx.dialog().SetDlgItemText(id, std::to_string(value));
    return;
  }
  if (dx.failed()) return;
  if (!parseInteger(dx.dialog().GetDlgItemText(id), value)) {
    AfxMessageBox("Please enter an integer.", MB_OK | MB_ICONWARNING);
    dx.fail(id);
  }
}

void DDV_MinMaxInt(CDataExchange& dx, int id, int value, int low, int high) {
  if (!dx.saving() || dx.failed() || (value >= low && value <= high)) return;
  const std::string text =
      "Please enter an integer between " + std::to_string(low) + " and " + std::to_string(high) + ".";
  AfxMessageBox(text.c_str(), MB_OK | MB_ICONWARNING);
  dx.fail(id);
}

void DDX_Check(CDataExchange& dx, int id, int& value) {
  if (dx.saving())
    value = dx.dialog().IsDlgButtonChecked(id);
  else
    dx.dialog().CheckDlgButton(id, value ? 1 : 0);
}

void DDX_Radio(CDataExchange& dx, int firstId, int& index) {
  const std::vector<int> group = dx.dialog().radioGroupOf(firstId);
  if (dx.saving()) {
    index = -1;
    for (std::size_t i = 0; i < group.size(); ++i)
      if (dx.dialog().IsDlgButtonChecked(group[i])) index = static_cast<int>(i);
    return;
  }
  for (std::size_t i = 0; i < group.size(); ++i)
    dx.dialog().CheckDlgButton(group[i], static_cast<int>(i) == index ? 1 : 0);
}

int CDialog::DoModal(Window* owner) {
  DialogService* service = currentDialogService();
  return service ? service->RunDialog(*this, owner) : -1;
}

void CDialog::initialize(Window* owner) {
  owner_ = owner;
  result_.reset();
  states_.clear();
  for (const DialogItem& item : template_.items) {
    if (item.id == -1) continue;
    ControlState s;
    s.text = item.text;
    states_[item.id] = s;
  }
  OnInitDialog();
}

const ControlState* CDialog::control(int id) const {
  const auto found = states_.find(id);
  return found == states_.end() ? nullptr : &found->second;
}

ControlState* CDialog::state(int id) {
  const auto found = states_.find(id);
  return found == states_.end() ? nullptr : &found->second;
}

bool CDialog::userSetText(int id, const std::string& text) {
  const DialogItem* it = item(id);
  ControlState* s = state(id);
  if (!it || !s || it->kind != DialogItemKind::Edit || !s->enabled) return false;
  s->text = text;
  s->changed = true;
  return true;
}

bool CDialog::userSetInteger(int id, int value) {
  const DialogItem* it = item(id);
  ControlState* s = state(id);
  if (!it || !s || it->kind != DialogItemKind::UpDown || !s->enabled) return false;
  const int low = std::min(s->low, s->high), high = std::max(s->low, s->high);
  value = std::clamp(value, low, high);
  ControlState* buddy = state(it->buddy);
  if (buddy && (it->style & kSetBuddyInt)) {
    buddy->text = std::to_string(value);
    buddy->changed = true;
  }
  return true;
}

bool CDialog::userClick(int id) {
  const DialogItem* it = item(id);
  ControlState* s = state(id);
  if (!it || !s || !s->enabled) return false;
  switch (it->kind) {
    case DialogItemKind::Button: break;
    case DialogItemKind::CheckBox:
      s->check = s->check ? 0 : 1;
      s->changed = true;
      break;
    case DialogItemKind::RadioButton:
      for (int member : radioGroupOf(id)) {
        ControlState* m = state(member);
        m->check = member == id ? 1 : 0;
        m->changed = true;
      }
      break;
    default: return false;
  }
  OnCommand(id);
  return true;
}

std::vector<int> CDialog::radioGroupOf(int id) const {
  // A group: consecutive radio buttons, the first of them or one marked as a
  // group start beginning a new one.
  std::vector<int> group;
  bool found = false;
  const DialogItem* previous = nullptr;
  for (const DialogItem& it : template_.items) {
    const bool starts = isRadio(it) && (!previous || !isRadio(*previous) || (it.style & kGroupStart));
    if (starts || !isRadio(it)) {
      if (found) break;
      group.clear();
    }
    if (isRadio(it)) group.push_back(it.id);
    if (it.id == id && isRadio(it)) found = true;
    previous = &it;
  }
  return found ? group : std::vector<int>{};
}

void CDialog::SetDlgItemText(int id, const std::string& text) {
  if (ControlState* s = state(id)) s->text = text;
}

std::string CDialog::GetDlgItemText(int id) const {
  const ControlState* s = control(id);
  return s ? s->text : std::string();
}

void CDialog::CheckDlgButton(int id, int check) {
  if (ControlState* s = state(id)) s->check = check ? 1 : 0;
}

int CDialog::IsDlgButtonChecked(int id) const {
  const ControlState* s = control(id);
  return s ? s->check : 0;
}

void CDialog::EnableItem(int id, bool enable) {
  if (ControlState* s = state(id)) s->enabled = enable;
}

bool CDialog::IsItemEnabled(int id) const {
  const ControlState* s = control(id);
  return s && s->enabled;
}

void CDialog::SetItemFont(int id, const LOGFONTA* font) {
  ControlState* s = state(id);
  if (!s) return;
  if (font)
    s->font = *font;
  else
    s->font.reset();
}

void CDialog::SetRange(int id, int low, int high) {
  if (ControlState* s = state(id)) {
    s->low = low;
    s->high = high;
  }
}

void CDialog::SetControlStatus(int id, bool changed) {
  if (ControlState* s = state(id)) s->changed = changed;
}

bool CDialog::UpdateData(bool save) {
  CDataExchange dx(*this, save);
  DoDataExchange(dx);
  return !dx.failed();
}

BOOL CDialog::OnInitDialog() {
  UpdateData(false);
  return TRUE;
}

void CDialog::OnCommand(int id) {
  if (id == IDOK) OnOK();
  if (id == IDCANCEL) OnCancel();
}

void CDialog::OnOK() {
  if (UpdateData(true)) EndDialog(IDOK);
}

void CDialog::OnCancel() { EndDialog(IDCANCEL); }

}  // namespace orlim
