// A QDialog whose closing belongs to the logic behind it: Escape and the close
// box ask `cancel` (which may refuse, as a dialog busy with a wrong value does),
// and only the logic ends it, with done().
#pragma once

#include <QDialog>
#include <functional>

namespace orlim {

class ModalDialog : public QDialog {
 public:
  ModalDialog(QWidget* parent, std::function<bool()> cancel) : QDialog(parent), cancel_(std::move(cancel)) {}

  void reject() override {
    if (cancel_()) QDialog::reject();
  }

 private:
  std::function<bool()> cancel_;
};

}  // namespace orlim
