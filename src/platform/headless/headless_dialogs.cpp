#include "platform/headless/HeadlessDialogs.h"

namespace orlim {

HeadlessDialogs::HeadlessDialogs() : previous_(currentDialogService()) { setDialogService(this); }

HeadlessDialogs::~HeadlessDialogs() {
  if (currentDialogService() == this) setDialogService(previous_);
}

int HeadlessDialogs::DoModal(const DialogTemplate& dialog, Window*) {
  shown_.push_back(dialog);
  if (onDialog) onDialog(dialog);
  if (answers_.empty()) return IDCLOSE_DIALOG;
  const int answer = answers_.front();
  answers_.pop_front();
  return answer;
}

}  // namespace orlim
