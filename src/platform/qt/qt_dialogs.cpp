#include <QApplication>
#include <QDialog>

#include "QtDialogs.h"
#include "QtWindow.h"
#include "platform/Application.h"
#include "qt_dialog_view.h"
#include "qt_modal_dialog.h"

namespace orlim {

namespace {

// A template without behaviour as a dialog: any push button ends it with its id.
class PlainDialog : public CDialog {
 public:
  using CDialog::CDialog;

 protected:
  void OnCommand(int id) override {
    const DialogItem* item = dialogTemplate().find(id);
    if (item && item->kind == DialogItemKind::Button) EndDialog(id);
  }
};

}  // namespace

QWidget* dialogParent(Window* owner) {
  if (QWidget* top = QApplication::activeModalWidget()) return top;
  if (auto* window = dynamic_cast<QtWindow*>(owner)) return window;
  return QApplication::activeWindow();
}

QtDialogs::QtDialogs() : previous_(currentDialogService()) { setDialogService(this); }

QtDialogs::~QtDialogs() {
  if (currentDialogService() == this) setDialogService(previous_);
}

int QtDialogs::DoModal(const DialogTemplate& dialog, Window* owner) {
  PlainDialog plain(dialog);
  return RunDialog(plain, owner);
}

int QtDialogs::RunDialog(CDialog& dialog, Window* owner) {
  dialog.initialize(owner);
  const DialogTemplate& t = dialog.dialogTemplate();
  ModalDialog shown(dialogParent(owner), [&dialog] {
    dialog.userCancel();
    return dialog.ended();
  });
  shown.setWindowTitle(QString::fromLocal8Bit(t.title.c_str()));
  shown.setFont(templateFont(t));
  shown.setFixedSize(dialogUnitsOf(t).toPixels(RECT{0, 0, t.width, t.height}).size());
  DialogView view(dialog, shown, bitmaps);
  view.onAction = [&] {
    if (dialog.ended()) shown.done(dialog.result());
  };
  if (!dialog.ended()) shown.exec();
  return dialog.result();
}

}  // namespace orlim
