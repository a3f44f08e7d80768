// The dialog service of a Qt host: a DialogTemplate becomes a modal QDialog
// laid out in dialog units of the template's font, one widget per item where
// the template puts it. A button closes the dialog with its id; Escape and the
// close box with IDCLOSE_DIALOG. Installs itself for its lifetime.
#pragma once

#include <QPixmap>
#include <functional>
#include <memory>

#include "platform/Dialog.h"

class QDialog;
class QWidget;

namespace orlim {

// Dialog units of a template's font: a unit is a quarter of the font's average
// character width across and an eighth of its height down.
struct DialogUnits {
  int baseX;
  int baseY;
  QRect toPixels(const RECT& units) const;
};
DialogUnits dialogUnitsOf(const DialogTemplate& dialog);

// The dialog of a template, not shown yet; each item's widget is named
// "item<index>" after its place in the template. `closedBy` receives the
// closing button's id.
std::unique_ptr<QDialog> buildDialog(const DialogTemplate& dialog, QWidget* parent, int* closedBy,
                                     const std::function<QPixmap(int)>& bitmaps);

class QtDialogs : public DialogService {
 public:
  QtDialogs();
  ~QtDialogs() override;

  int DoModal(const DialogTemplate& dialog, Window* owner) override;

  // The pictures of Bitmap items by resource id (none: the item is an empty frame).
  std::function<QPixmap(int)> bitmaps;

 private:
  DialogService* previous_;
};

}  // namespace orlim
