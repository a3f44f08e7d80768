#include <QApplication>
#include <QMessageBox>

#include "QtApplication.h"

namespace orlim {

namespace {

QMessageBox::Icon iconOf(UINT type) {
  switch (type & MB_ICONMASK) {
    case MB_ICONERROR: return QMessageBox::Critical;
    case MB_ICONQUESTION: return QMessageBox::Question;
    case MB_ICONWARNING: return QMessageBox::Warning;
    case MB_ICONINFORMATION: return QMessageBox::Information;
    default: return QMessageBox::NoIcon;
  }
}

struct Answer {
  QMessageBox::StandardButton button;
  int id;
};

std::vector<Answer> buttonsOf(UINT type) {
  switch (type & MB_TYPEMASK) {
    case MB_OKCANCEL: return {{QMessageBox::Ok, IDOK}, {QMessageBox::Cancel, IDCANCEL}};
    case MB_YESNOCANCEL: return {{QMessageBox::Yes, IDYES}, {QMessageBox::No, IDNO}, {QMessageBox::Cancel, IDCANCEL}};
    case MB_YESNO: return {{QMessageBox::Yes, IDYES}, {QMessageBox::No, IDNO}};
    default: return {{QMessageBox::Ok, IDOK}};
  }
}

}  // namespace

QtApplication::QtApplication() : previous_(currentApplication()) { setApplication(this); }

QtApplication::~QtApplication() {
  while (waitDepth_ > 0) EndWaitCursor();
  if (currentApplication() == this) setApplication(previous_);
}

int QtApplication::MessageBox(const char* text, UINT type, const char* caption) {
  const QString title = caption ? QString::fromLocal8Bit(caption) : QApplication::applicationDisplayName();
  QMessageBox box(iconOf(type), title, QString::fromLocal8Bit(text ? text : ""), QMessageBox::NoButton,
                  QApplication::activeWindow());
  const std::vector<Answer> answers = buttonsOf(type);
  for (const Answer& answer : answers) box.addButton(answer.button);
  box.setDefaultButton(answers.front().button);
  // The box answers with its own cursor even while a wait cursor is shown.
  const bool waiting = waitDepth_ > 0;
  if (waiting) QApplication::setOverrideCursor(Qt::ArrowCursor);
  const auto pressed = static_cast<QMessageBox::StandardButton>(box.exec());
  if (waiting) QApplication::restoreOverrideCursor();
  for (const Answer& answer : answers)
    if (answer.button == pressed) return answer.id;
  // Closed without a button (Escape, close box): Cancel where there is one, else the only answer.
  const bool cancels = (type & MB_TYPEMASK) == MB_OKCANCEL || (type & MB_TYPEMASK) == MB_YESNOCANCEL;
  return cancels ? IDCANCEL : answers.front().id;
}

void QtApplication::BeginWaitCursor() {
  ++waitDepth_;
  QApplication::setOverrideCursor(Qt::WaitCursor);
}

void QtApplication::EndWaitCursor() {
  if (waitDepth_ == 0) return;
  --waitDepth_;
  QApplication::restoreOverrideCursor();
}

}  // namespace orlim
