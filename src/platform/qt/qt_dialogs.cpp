#include <QApplication>
#include <QDialog>
#include <QFontMetrics>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "QtDialogs.h"
#include "QtWindow.h"
#include "platform/Application.h"

namespace orlim {

namespace {

struct ItemContext {
  QDialog& dialog;
  int* closedBy;
  const std::function<QPixmap(int)>& bitmaps;
};

QWidget* makeStatic(const DialogItem& item, ItemContext& context) {
  auto* label = new QLabel(QString::fromLocal8Bit(item.text.c_str()), &context.dialog);
  label->setWordWrap(true);
  label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  return label;
}

QWidget* makeBitmap(const DialogItem& item, ItemContext& context) {
  auto* label = new QLabel(&context.dialog);
  const QPixmap picture = context.bitmaps ? context.bitmaps(item.resource) : QPixmap();
  if (picture.isNull())
    label->setFrameStyle(QFrame::Panel | QFrame::Sunken);
  else
    label->setPixmap(picture);
  return label;
}

QWidget* makeButton(const DialogItem& item, ItemContext& context) {
  // The template's "&" marks the access key, as Qt's does.
  auto* button = new QPushButton(QString::fromLocal8Bit(item.text.c_str()), &context.dialog);
  button->setAutoDefault(false);
  if (item.id == IDOK) button->setDefault(true);
  QDialog* dialog = &context.dialog;
  int* closedBy = context.closedBy;
  QObject::connect(button, &QPushButton::clicked, dialog, [dialog, closedBy, id = item.id] {
    *closedBy = id;
    dialog->accept();
  });
  return button;
}

QWidget* makeEdit(const DialogItem& item, ItemContext& context) {
  return new QLineEdit(QString::fromLocal8Bit(item.text.c_str()), &context.dialog);
}

// One maker per item kind; a kind without one is left out of the dialog.
QWidget* makeItem(const DialogItem& item, ItemContext& context) {
  switch (item.kind) {
    case DialogItemKind::Static: return makeStatic(item, context);
    case DialogItemKind::Bitmap: return makeBitmap(item, context);
    case DialogItemKind::Button: return makeButton(item, context);
    case DialogItemKind::Edit: return makeEdit(item, context);
    default: return nullptr;
  }
}

QFont templateFont(const DialogTemplate& dialog) {
  QFont font(QString::fromStdString(dialog.fontName));
  if (dialog.fontPoints > 0) font.setPointSize(dialog.fontPoints);
  return font;
}

}  // namespace

QRect DialogUnits::toPixels(const RECT& units) const {
  const auto x = [this](LONG u) { return static_cast<int>((std::int64_t{u} * baseX + 2) / 4); };
  const auto y = [this](LONG u) { return static_cast<int>((std::int64_t{u} * baseY + 4) / 8); };
  return QRect(QPoint(x(units.left), y(units.top)), QPoint(x(units.right) - 1, y(units.bottom) - 1));
}

DialogUnits dialogUnitsOf(const DialogTemplate& dialog) {
  const QFontMetrics metrics(templateFont(dialog));
  // The average width over the 52 letters, rounded, as the system measures a dialog font.
  const int letters = metrics.horizontalAdvance(QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"));
  return DialogUnits{std::max(1, (letters / 26 + 1) / 2), std::max(1, metrics.height())};
}

std::unique_ptr<QDialog> buildDialog(const DialogTemplate& dialog, QWidget* parent, int* closedBy,
                                     const std::function<QPixmap(int)>& bitmaps) {
  auto shown = std::make_unique<QDialog>(parent);
  shown->setWindowTitle(QString::fromLocal8Bit(dialog.title.c_str()));
  shown->setFont(templateFont(dialog));
  const DialogUnits units = dialogUnitsOf(dialog);
  shown->setFixedSize(units.toPixels(RECT{0, 0, dialog.width, dialog.height}).size());
  ItemContext context{*shown, closedBy, bitmaps};
  for (std::size_t i = 0; i < dialog.items.size(); ++i) {
    const DialogItem& item = dialog.items[i];
    QWidget* widget = makeItem(item, context);
    if (!widget) continue;
    widget->setObjectName(QStringLiteral("item%1").arg(i));
    widget->setGeometry(units.toPixels(item.rect));
  }
  return shown;
}

QtDialogs::QtDialogs() : previous_(currentDialogService()) { setDialogService(this); }

QtDialogs::~QtDialogs() {
  if (currentDialogService() == this) setDialogService(previous_);
}

int QtDialogs::DoModal(const DialogTemplate& dialog, Window* owner) {
  int closedBy = IDCLOSE_DIALOG;
  QWidget* parent = dynamic_cast<QtWindow*>(owner);
  if (!parent) parent = QApplication::activeWindow();
  const std::unique_ptr<QDialog> shown = buildDialog(dialog, parent, &closedBy, bitmaps);
  shown->exec();
  return closedBy;
}

}  // namespace orlim
