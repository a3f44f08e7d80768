// The dialog service of a host without a screen: every dialog shown is recorded
// (and passed to a listener), and closed at once as with the Escape key unless
// the host queued another answer. Installs itself for its lifetime.
#pragma once

#include <deque>
#include <functional>
#include <vector>

#include "platform/Dialog.h"

namespace orlim {

class HeadlessDialogs : public DialogService {
 public:
  HeadlessDialogs();
  ~HeadlessDialogs() override;

  int DoModal(const DialogTemplate& dialog, Window* owner) override;

  // --- host side ---
  std::function<void(const DialogTemplate&)> onDialog;
  void queueAnswer(int answer) { answers_.push_back(answer); }
  const std::vector<DialogTemplate>& shown() const { return shown_; }

 private:
  DialogService* previous_;
  std::vector<DialogTemplate> shown_;
  std::deque<int> answers_;
};

}  // namespace orlim
