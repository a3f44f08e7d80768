// The widgets of a dialog with behaviour, live: one Qt widget per template item
// where the template puts it (dialog units of the template's font), each user
// action reported to the dialog through its user... functions, after which every
// widget shows its control's state again (text, check, enabled, font, up-down
// range, swatch colour). The same view fills a modal QDialog and a property
// sheet's tab.
#pragma once

#include <QFont>
#include <QPixmap>
#include <QRect>
#include <functional>
#include <map>

#include "platform/CDialog.h"

class QWidget;

namespace orlim {

// Dialog units of a template's font: a unit is a quarter of the font's average
// character width across and an eighth of its height down.
struct DialogUnits {
  int baseX;
  int baseY;
  QRect toPixels(const RECT& units) const;
};
QFont templateFont(const DialogTemplate& dialog);
DialogUnits dialogUnitsOf(const DialogTemplate& dialog);

// The widget showing control `id` inside `dialog` (null when there is none);
// every item's widget is also named "item<index>" after its place in the template.
QWidget* controlWidget(const QWidget* dialog, int id);

class DialogView {
 public:
  // Builds the widgets on `surface` (sized to the template) from the dialog's
  // current control states; the dialog must have been initialised.
  DialogView(CDialog& dialog, QWidget& surface, std::function<QPixmap(int)> bitmaps);
  DialogView(const DialogView&) = delete;
  DialogView& operator=(const DialogView&) = delete;

  // Shows every control's state again.
  void sync();
  // Called after each user action has been reported and shown.
  std::function<void()> onAction;

 private:
  QWidget* make(const DialogItem& item);
  QWidget* makeStatic(const DialogItem& item);
  QWidget* makeGroupBox(const DialogItem& item);
  QWidget* makeButton(const DialogItem& item);
  QWidget* makeEdit(const DialogItem& item);
  QWidget* makeUpDown(const DialogItem& item);
  void placeUpDownInBuddy(const DialogItem& item, QWidget& arrows, const DialogUnits& units);
  void syncControl(const DialogItem& item, QWidget& widget, const ControlState& state);
  void stepUpDown(const DialogItem& item, int delta);
  // Reports an action, unless it is the view itself putting a state on screen.
  void act(const std::function<void()>& report);

  CDialog& dialog_;
  QWidget& surface_;
  std::function<QPixmap(int)> bitmaps_;
  std::map<int, QWidget*> widgets_;  // by control id
  int dpi_;
  bool syncing_ = false;
};

}  // namespace orlim
