#include "qt_dialog_view.h"

#include <QCheckBox>
#include <QEvent>
#include <QFontMetrics>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QToolButton>
#include <QVBoxLayout>
#include <cstdlib>

#include "qt_common_dialogs.h"

namespace orlim {

namespace {

const char* const kControlIdProperty = "orlimControlId";

QString fromLocal(const std::string& text) { return QString::fromLocal8Bit(text.c_str()); }

// A multi-line edit holds its lines with "\r\n" between them, as the system's edit does.
QString shownEditText(const std::string& text) {
  return fromLocal(text).replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
}
std::string editTextOf(QString shown, bool multiLine) {
  if (multiLine) shown.replace('\n', QStringLiteral("\r\n"));
  return shown.toLocal8Bit().toStdString();
}

// Up and Down in an up-down's buddy step it, as the arrows do.
class ArrowKeys : public QObject {
 public:
  ArrowKeys(QObject* parent, std::function<void(int)> step) : QObject(parent), step_(std::move(step)) {}

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() == QEvent::KeyPress) {
      const int key = static_cast<QKeyEvent*>(event)->key();
      if (key == Qt::Key_Up || key == Qt::Key_Down) {
        step_(key == Qt::Key_Up ? 1 : -1);
        return true;
      }
    }
    return QObject::eventFilter(watched, event);
  }

 private:
  std::function<void(int)> step_;
};

// The button Enter presses: the one marked default, else OK, as the system's
// dialog manager does.
bool pressedByEnter(const DialogTemplate& t, const DialogItem& item) {
  if (item.kind != DialogItemKind::Button) return false;
  if (item.style & kDefaultButton) return true;
  for (const DialogItem& other : t.items)
    if (other.kind == DialogItemKind::Button && (other.style & kDefaultButton)) return false;
  return item.id == IDOK;
}

bool parseWhole(const std::string& text, int& value) {
  char* end = nullptr;
  const long parsed = std::strtol(text.c_str(), &end, 10);
  if (end == text.c_str()) return false;
  value = static_cast<int>(std::clamp<long>(parsed, INT32_MIN, INT32_MAX));
  return true;
}

}  // namespace

QRect DialogUnits::toPixels(const RECT& units) const {
  const auto x = [this](LONG u) { return static_cast<int>((std::int64_t{u} * baseX + 2) / 4); };
  const auto y = [this](LONG u) { return static_cast<int>((std::int64_t{u} * baseY + 4) / 8); };
  return QRect(QPoint(x(units.left), y(units.top)), QPoint(x(units.right) - 1, y(units.bottom) - 1));
}

QFont templateFont(const DialogTemplate& dialog) {
  // An unknown face (a Windows name, say) is served by fontconfig's substitute.
  QFont font(QString::fromStdString(dialog.fontName));
  if (dialog.fontPoints > 0) font.setPointSize(dialog.fontPoints);
  return font;
}

DialogUnits dialogUnitsOf(const DialogTemplate& dialog) {
  const QFontMetrics metrics(templateFont(dialog));
  // The average width over the 52 letters, rounded, as the system measures a dialog font.
  const int letters = metrics.horizontalAdvance(QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"));
  return DialogUnits{std::max(1, (letters / 26 + 1) / 2), std::max(1, metrics.height())};
}

QWidget* controlWidget(const QWidget* dialog, int id) {
  for (QWidget* child : dialog->findChildren<QWidget*>()) {
    const QVariant childId = child->property(kControlIdProperty);
    if (childId.isValid() && childId.toInt() == id) return child;
  }
  return nullptr;
}

DialogView::DialogView(CDialog& dialog, QWidget& surface, std::function<QPixmap(int)> bitmaps)
    : dialog_(dialog), surface_(surface), bitmaps_(std::move(bitmaps)), dpi_(screenDpi(dialog.owner())) {
  const DialogTemplate& t = dialog.dialogTemplate();
  const DialogUnits units = dialogUnitsOf(t);
  for (std::size_t i = 0; i < t.items.size(); ++i) {
    const DialogItem& item = t.items[i];
    QWidget* widget = make(item);
    widget->setObjectName(QStringLiteral("item%1").arg(i));
    widget->setGeometry(units.toPixels(item.rect));
    if (item.id != -1) {
      widget->setProperty(kControlIdProperty, item.id);
      widgets_[item.id] = widget;
    }
    // A frame stays behind the controls it surrounds.
    if (item.kind == DialogItemKind::GroupBox) widget->lower();
  }
  for (const DialogItem& item : t.items)
    if (item.kind == DialogItemKind::UpDown && (item.style & kAlignRight))
      placeUpDownInBuddy(item, *widgets_[item.id], units);
  sync();
}

QWidget* DialogView::make(const DialogItem& item) {
  switch (item.kind) {
    case DialogItemKind::Static: return makeStatic(item);
    case DialogItemKind::Bitmap: {
      auto* label = new QLabel(&surface_);
      const QPixmap picture = bitmaps_ ? bitmaps_(item.resource) : QPixmap();
      if (picture.isNull())
        label->setFrameStyle(QFrame::Panel | QFrame::Sunken);
      else
        label->setPixmap(picture);
      return label;
    }
    case DialogItemKind::GroupBox: return makeGroupBox(item);
    case DialogItemKind::Edit: return makeEdit(item);
    case DialogItemKind::UpDown: return makeUpDown(item);
    case DialogItemKind::Button:
    case DialogItemKind::CheckBox:
    case DialogItemKind::RadioButton: return makeButton(item);
  }
  return new QWidget(&surface_);
}

// The caption sits on the frame's top line, as the system draws a group box,
// so the controls the template puts just under that line stay inside.
QWidget* DialogView::makeGroupBox(const DialogItem& item) {
  auto* box = new QGroupBox(fromLocal(item.text), &surface_);
  const int half = QFontMetrics(surface_.font()).height() / 2;
  box->setStyleSheet(
      QStringLiteral("QGroupBox { border: 1px solid palette(mid); border-radius: 2px; margin-top: %1px; }"
                     "QGroupBox::title { subcontrol-origin: margin; left: %2px; padding: 0 2px; }")
          .arg(half)
          .arg(half));
  return box;
}

QWidget* DialogView::makeStatic(const DialogItem& item) {
  auto* label = new QLabel(&surface_);
  if ((item.style & kSunken) && item.text.empty()) {
    // A colour swatch: the dialog paints its background (OnCtlColor).
    label->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    label->setAutoFillBackground(true);
    return label;
  }
  // Statics nobody addresses keep their caption; the others show their state.
  label->setText(fromLocal(displayedCaption(item.text)));
  label->setWordWrap(true);
  label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  return label;
}

// Push buttons, check boxes and radio buttons; push-like check boxes and radio
// buttons are push buttons that stay down. Qt reads "&" and "&&" in a caption
// as the system does, and "\n" breaks a push button's caption.
QWidget* DialogView::makeButton(const DialogItem& item) {
  QAbstractButton* button = nullptr;
  const bool pushLike = item.kind == DialogItemKind::Button || (item.style & kPushLike);
  if (pushLike) {
    auto* push = new QPushButton(&surface_);
    push->setAutoDefault(false);
    push->setDefault(pressedByEnter(dialog_.dialogTemplate(), item));
    push->setCheckable(item.kind != DialogItemKind::Button);
    button = push;
  } else if (item.kind == DialogItemKind::CheckBox) {
    button = new QCheckBox(&surface_);
  } else {
    // The dialog's group decides which one is checked, not the widgets' parent.
    button = new QRadioButton(&surface_);
    button->setAutoExclusive(false);
  }
  button->setText(fromLocal(item.text));
  QObject::connect(button, &QAbstractButton::clicked, button,
                   [this, id = item.id] { act([this, id] { dialog_.userClick(id); }); });
  return button;
}

QWidget* DialogView::makeEdit(const DialogItem& item) {
  const int id = item.id;
  if (!(item.style & kMultiLine)) {
    auto* edit = new QLineEdit(&surface_);
    QObject::connect(edit, &QLineEdit::textEdited, edit, [this, id](const QString& text) {
      act([this, id, text] { dialog_.userSetText(id, editTextOf(text, false)); });
    });
    return edit;
  }
  // Enter breaks the line here; only edits that want it get it.
  auto* edit = new QPlainTextEdit(&surface_);
  edit->setTabChangesFocus(true);
  edit->setVerticalScrollBarPolicy((item.style & kVerticalScroll) ? Qt::ScrollBarAlwaysOn : Qt::ScrollBarAlwaysOff);
  QObject::connect(edit, &QPlainTextEdit::textChanged, edit, [this, id, edit] {
    act([this, id, edit] { dialog_.userSetText(id, editTextOf(edit->toPlainText(), true)); });
  });
  return edit;
}

QWidget* DialogView::makeUpDown(const DialogItem& item) {
  auto* arrows = new QWidget(&surface_);
  auto* column = new QVBoxLayout(arrows);
  column->setContentsMargins(0, 0, 0, 0);
  column->setSpacing(0);
  for (const int delta : {1, -1}) {
    auto* arrow = new QToolButton(arrows);
    arrow->setArrowType(delta > 0 ? Qt::UpArrow : Qt::DownArrow);
    arrow->setObjectName(delta > 0 ? QStringLiteral("up") : QStringLiteral("down"));
    arrow->setAutoRepeat(true);
    arrow->setFocusPolicy(Qt::NoFocus);
    arrow->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Ignored);
    column->addWidget(arrow);
    QObject::connect(arrow, &QToolButton::clicked, arrows, [this, &item, delta] { stepUpDown(item, delta); });
  }
  return arrows;
}

// The system puts such an up-down at the right edge inside its buddy, which
// gives up that much of its width.
void DialogView::placeUpDownInBuddy(const DialogItem& item, QWidget& arrows, const DialogUnits& units) {
  const DialogItem* buddyItem = dialog_.dialogTemplate().find(item.buddy);
  const auto buddy = widgets_.find(item.buddy);
  if (!buddyItem || buddy == widgets_.end()) return;
  const QRect around = units.toPixels(buddyItem->rect);
  const int width = units.toPixels(item.rect).width();
  arrows.setGeometry(around.right() + 1 - width, around.top(), width, around.height());
  buddy->second->setGeometry(around.adjusted(0, 0, -width, 0));
  if (item.style & kArrowKeys)
    buddy->second->installEventFilter(
        new ArrowKeys(buddy->second, [this, &item](int delta) { stepUpDown(item, delta); }));
}

void DialogView::stepUpDown(const DialogItem& item, int delta) {
  const ControlState* state = dialog_.control(item.id);
  if (!state || !state->enabled) return;
  int value = std::min(state->low, state->high);
  if (parseWhole(dialog_.GetDlgItemText(item.buddy), value)) value += state->high >= state->low ? delta : -delta;
  act([this, &item, value] { dialog_.userSetInteger(item.id, value); });
}

void DialogView::act(const std::function<void()>& report) {
  if (syncing_) return;
  report();
  sync();
  if (onAction) onAction();
}

void DialogView::sync() {
  syncing_ = true;
  for (const DialogItem& item : dialog_.dialogTemplate().items) {
    const ControlState* state = item.id == -1 ? nullptr : dialog_.control(item.id);
    const auto widget = widgets_.find(item.id);
    if (state && widget != widgets_.end()) syncControl(item, *widget->second, *state);
  }
  syncing_ = false;
}

void DialogView::syncControl(const DialogItem& item, QWidget& widget, const ControlState& state) {
  widget.setEnabled(state.enabled);
  if (auto* label = qobject_cast<QLabel*>(&widget); label && item.kind == DialogItemKind::Static) {
    if (const std::optional<COLORREF> color = dialog_.OnCtlColor(item.id)) {
      QPalette palette = label->palette();
      palette.setColor(QPalette::Window, QColor(GetRValue(*color), GetGValue(*color), GetBValue(*color)));
      label->setPalette(palette);
    }
    const QString text = fromLocal(displayedCaption(state.text));
    if (label->text() != text) label->setText(text);
  } else if (auto* button = qobject_cast<QAbstractButton*>(&widget)) {
    const QString text = fromLocal(state.text);
    if (button->text() != text) button->setText(text);
    if (button->isCheckable()) button->setChecked(state.check != 0);
  } else if (item.kind == DialogItemKind::Edit) {
    const QFont font = state.font ? fontOfLogFont(*state.font, dpi_) : surface_.font();
    if (widget.font() != font) widget.setFont(font);
    const QString text = shownEditText(state.text);
    if (auto* line = qobject_cast<QLineEdit*>(&widget); line && line->text() != text) {
      line->setText(text);
      line->setCursorPosition(0);  // a long path shows its beginning
    }
    if (auto* lines = qobject_cast<QPlainTextEdit*>(&widget); lines && lines->toPlainText() != text)
      lines->setPlainText(text);
  }
}

}  // namespace orlim
