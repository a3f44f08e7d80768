// The dialog service of a Qt host. A template becomes a modal QDialog of real
// widgets laid out in dialog units of the template's font (qt_dialog_view.h);
// a dialog with behaviour runs its logic on every user action until it ends; a
// property sheet shows its pages as tabs over OK, Cancel and Apply; the common
// dialogs are Qt's file, colour and font dialogs (qt_common_dialogs.cpp).
// Installs itself for its lifetime.
#pragma once

#include <QPixmap>
#include <functional>

#include "platform/Dialog.h"

class QWidget;

namespace orlim {

class QtDialogs : public DialogService {
 public:
  QtDialogs();
  ~QtDialogs() override;

  // A template without behaviour: a button closes it with its id, Escape and
  // the close box with IDCLOSE_DIALOG.
  int DoModal(const DialogTemplate& dialog, Window* owner) override;
  int RunDialog(CDialog& dialog, Window* owner) override;
  int RunPropertySheet(PropertySheet& sheet, Window* owner) override;
  bool GetOpenFileName(OpenFileRequest& request, Window* owner) override;
  bool ChooseColor(ColorRequest& request, Window* owner) override;
  bool ChooseFont(FontRequest& request, Window* owner) override;

  // The pictures of Bitmap items by resource id (none: the item is an empty frame).
  std::function<QPixmap(int)> bitmaps;

 private:
  DialogService* previous_;
};

// The widget a dialog shown over `owner` belongs to: the modal dialog on top if
// one is showing (a dialog opened from a dialog), else the owner's window.
QWidget* dialogParent(Window* owner);

}  // namespace orlim
