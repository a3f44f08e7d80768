// The property sheet on Qt: the sheet's title over a tab per page (each page
// its template's size in dialog units of its font) and the buttons OK, Cancel
// and Apply, which the sheet's logic answers. Apply is enabled while some page
// holds a change; after Apply every page shows the object's values again.
#include <QHBoxLayout>
#include <QPushButton>
#include <QTabWidget>
#include <QVBoxLayout>
#include <memory>
#include <vector>

#include "QtDialogs.h"
#include "platform/PropertySheet.h"
#include "qt_dialog_view.h"
#include "qt_modal_dialog.h"

namespace orlim {

namespace {

// The sheet as it is shown: its widgets and what keeps them true to the sheet.
struct SheetView {
  PropertySheet& sheet;
  ModalDialog& dialog;
  QTabWidget* tabs = nullptr;
  QPushButton* apply = nullptr;
  std::vector<std::unique_ptr<DialogView>> pages;

  void syncAll() {
    for (auto& page : pages) page->sync();
    tabs->setCurrentIndex(static_cast<int>(sheet.activePage()));
    apply->setEnabled(sheet.canApply());
    if (sheet.ended()) dialog.done(sheet.result());
  }
};

QPushButton* sheetButton(const char* caption, const DialogUnits& units, QWidget* parent) {
  auto* button = new QPushButton(QString::fromLatin1(caption), parent);
  button->setAutoDefault(false);
  button->setFixedSize(units.toPixels(RECT{0, 0, 50, 14}).size());
  return button;
}

}  // namespace

int QtDialogs::RunPropertySheet(PropertySheet& sheet, Window* owner) {
  if (sheet.pageCount() == 0) return -1;
  sheet.open(owner);
  ModalDialog shown(dialogParent(owner), [&sheet] {
    sheet.cancel();
    return true;
  });
  const DialogTemplate& first = sheet.page(0).dialogTemplate();
  const DialogUnits units = dialogUnitsOf(first);
  shown.setWindowTitle(QString::fromLocal8Bit(sheet.title().c_str()));
  shown.setFont(templateFont(first));

  SheetView view{sheet, shown, nullptr, nullptr, {}};
  auto* column = new QVBoxLayout(&shown);
  const int margin = units.toPixels(RECT{0, 0, 7, 7}).width();
  column->setContentsMargins(margin, margin, margin, margin);
  view.tabs = new QTabWidget(&shown);
  column->addWidget(view.tabs);
  for (std::size_t i = 0; i < sheet.pageCount(); ++i) {
    COlePropertyPage& page = sheet.page(i);
    const DialogTemplate& t = page.dialogTemplate();
    auto* surface = new QWidget;
    surface->setFont(templateFont(t));
    surface->setFixedSize(dialogUnitsOf(t).toPixels(RECT{0, 0, t.width, t.height}).size());
    view.tabs->addTab(surface, QString::fromLocal8Bit(page.caption().c_str()));
    view.pages.push_back(std::make_unique<DialogView>(page, *surface, bitmaps));
    view.pages.back()->onAction = [&view] { view.syncAll(); };
  }

  auto* row = new QHBoxLayout;
  row->addStretch();
  QPushButton* ok = sheetButton("OK", units, &shown);
  ok->setDefault(true);
  QPushButton* cancel = sheetButton("Cancel", units, &shown);
  view.apply = sheetButton("&Apply", units, &shown);
  for (QPushButton* button : {ok, cancel, view.apply}) row->addWidget(button);
  column->addLayout(row);
  column->setSizeConstraint(QLayout::SetFixedSize);

  QObject::connect(ok, &QPushButton::clicked, &shown, [&] {
    sheet.ok();
    view.syncAll();
  });
  QObject::connect(cancel, &QPushButton::clicked, &shown, [&] {
    sheet.cancel();
    view.syncAll();
  });
  QObject::connect(view.apply, &QPushButton::clicked, &shown, [&] {
    sheet.apply();
    view.syncAll();
  });
  view.syncAll();
  QObject::connect(view.tabs, &QTabWidget::currentChanged, &shown, [&sheet](int index) {
    if (index >= 0) sheet.selectPage(static_cast<std::size_t>(index));
  });
  shown.exec();
  return sheet.result();
}

}  // namespace orlim
