// The property pages and the text label dialogs as real Qt dialogs: controls
// where the templates put them with their captions fitting, a person's
// click-through of Add Text ending in the control's label settings, and the
// property sheet's Apply. With ORLIM_SCREENSHOTS set to a folder, each dialog
// shown is also saved there as PNG (docs/ keeps them).
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>
#include <QToolButton>
#include <cstdlib>

#include "QtDialogs.h"
#include "pages/COrlimPropPage.h"
#include "pages/COrlimPropPageView.h"
#include "pages/TextOptionsDialog.h"
#include "pages/TextPositionDialog.h"
#include "qt_dialog_view.h"
#include "qt_fixtures.h"

namespace orlim::test {
namespace {

void keepScreenshot(QWidget& shown, const char* name) {
  const char* folder = std::getenv("ORLIM_SCREENSHOTS");
  if (!folder) return;
  shown.grab().save(QString::fromLocal8Bit(folder) + "/" + name);
}

QDialog& modal() {
  auto* shown = qobject_cast<QDialog*>(QApplication::activeModalWidget());
  if (!shown) throw std::runtime_error("no modal dialog is showing");
  return *shown;
}

template <typename W = QWidget>
W& control(const QWidget& dialog, int id) {
  auto* widget = qobject_cast<W*>(controlWidget(&dialog, id));
  if (!widget) throw std::runtime_error("no widget of the wanted kind for control " + std::to_string(id));
  return *widget;
}

// Clicks a button where a person would: on its indicator for a check box or
// radio button (their text may end well before their box does).
void click(QWidget& widget) {
  const QPoint where = qobject_cast<QPushButton*>(&widget) ? widget.rect().center() : QPoint(6, widget.height() / 2);
  QTest::mouseClick(&widget, Qt::LeftButton, {}, where);
}

bool alignedRightInBuddy(const DialogTemplate& t, const DialogItem& item) {
  if (item.kind == DialogItemKind::UpDown) return item.style & kAlignRight;
  for (const DialogItem& other : t.items)
    if (other.kind == DialogItemKind::UpDown && other.buddy == item.id && (other.style & kAlignRight)) return true;
  return false;
}

// Every control stands at its template rectangle in dialog units of the font
// (an up-down aligned right takes the right end of its buddy instead), and
// every one-line caption fits across its control.
void expectLaidOutAsTemplate(const QWidget& surface, const DialogTemplate& t) {
  const DialogUnits units = dialogUnitsOf(t);
  const QFontMetrics metrics(surface.font());
  EXPECT_EQ(units.baseY, metrics.height()) << t.title;
  EXPECT_EQ(surface.size(), QSize((t.width * units.baseX + 2) / 4, (t.height * units.baseY + 4) / 8)) << t.title;
  for (std::size_t i = 0; i < t.items.size(); ++i) {
    const DialogItem& item = t.items[i];
    const auto* widget = surface.findChild<QWidget*>(QStringLiteral("item%1").arg(i));
    ASSERT_NE(widget, nullptr) << t.title << " item " << i;
    const QRect expected = units.toPixels(item.rect);
    if (!alignedRightInBuddy(t, item)) {
      EXPECT_EQ(widget->geometry(), expected) << t.title << " item " << i;
    }
    const QString caption = QString::fromStdString(displayedCaption(item.text));
    if (caption.contains('\n') || caption.isEmpty() || item.kind == DialogItemKind::Edit ||
        item.kind == DialogItemKind::UpDown)
      continue;
    int needed = metrics.horizontalAdvance(caption);
    if (auto* box = qobject_cast<const QAbstractButton*>(widget); box && !qobject_cast<const QPushButton*>(box))
      needed = box->sizeHint().width();
    EXPECT_LE(needed, widget->width()) << t.title << ": \"" << item.text << "\" is clipped";
  }
}

TEST(QtPages, AddTextAndPositionDialogsStandAsTheirTemplates) {
  OrlimWidget host;
  int checked = 0;
  soon([&] {
    QDialog& shown = modal();
    EXPECT_EQ(shown.windowTitle(), "Add Text");
    expectLaidOutAsTemplate(shown, textOptionsTemplate());
    // The label text box wants Enter and scrolls; the swatches show the colours.
    auto& text = control<QPlainTextEdit>(shown, IDC_LABEL_TEXT);
    EXPECT_EQ(text.verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
    EXPECT_EQ(control(shown, IDC_BACKGROUND_COLOR_SWATCH).palette().color(QPalette::Window), QColor(Qt::white));
    EXPECT_EQ(control(shown, IDC_TEXT_COLOR_SWATCH).palette().color(QPalette::Window), QColor(Qt::black));
    auto& below = control<QPushButton>(shown, IDC_POSITION_BELOW);
    EXPECT_TRUE(below.isCheckable() && below.isChecked()) << "a push-like radio button, down for the position";
    EXPECT_TRUE(control<QPushButton>(shown, IDOK).isDefault());
    EXPECT_EQ(control<QLabel>(shown, IDC_FONT_NAME).text().left(5), "Name:");
    ++checked;
    QTest::keyClick(&shown, Qt::Key_Escape);
  });
  TextOptionsDialog addText;
  addText.position = 8;
  addText.DoModal(nullptr);

  soon([&] {
    QDialog& shown = modal();
    expectLaidOutAsTemplate(shown, textPositionTemplate());
    // Each up-down sits at the right end inside its padding box.
    const QRect spin = control(shown, IDC_VERTICAL_SPIN).geometry();
    const QRect box = control(shown, IDC_VERTICAL_PADDING).geometry();
    const QRect template_ =
        dialogUnitsOf(textPositionTemplate()).toPixels(textPositionTemplate().find(IDC_VERTICAL_PADDING)->rect);
    EXPECT_EQ(spin.right(), template_.right());
    EXPECT_EQ(box.right() + 1, spin.left());
    EXPECT_EQ(box.left(), template_.left());
    EXPECT_FALSE(control(shown, IDC_ANCHOR_TOP_LEFT).isEnabled()) << "above the picture: the middle row only";
    EXPECT_TRUE(control(shown, IDC_ANCHOR_LEFT).isEnabled());
    ++checked;
    QTest::keyClick(&shown, Qt::Key_Escape);
  });
  TextPositionDialog position;
  position.position = 2;
  EXPECT_EQ(position.DoModal(nullptr), IDCANCEL);
  EXPECT_EQ(checked, 2);
}

TEST(QtPages, AClickThroughAddTextSetsTheLabel) {
  TempDir dir;
  OrlimWidget widget;
  widget.resize(400, 300);
  widget.setPicture(QString::fromStdString(samplePicture(dir)));
  bool reachedPosition = false;
  soon([&] {
    QDialog& shown = modal();
    auto& text = control<QPlainTextEdit>(shown, IDC_LABEL_TEXT);
    text.setFocus();
    QTest::keyClicks(&text, "Scanned");
    QTest::keyClick(&text, Qt::Key_Return);  // a new line, not OK
    QTest::keyClicks(&text, "today");
    // The text box shows the label's font while its check box says so.
    auto& usesFont = control(shown, IDC_EDIT_USES_FONT);
    click(usesFont);
    EXPECT_EQ(text.font().family(), widget.property("TextFontName").toString());
    EXPECT_NE(text.font(), shown.font());
    click(usesFont);
    EXPECT_EQ(text.font(), shown.font());
    click(control(shown, IDC_ALIGN_CENTER));
    click(control(shown, IDC_POSITION_BELOW));
    EXPECT_TRUE(control<QAbstractButton>(shown, IDC_ORIENT_HORIZONTAL).isChecked()) << "below: left to right";
    EXPECT_FALSE(control<QAbstractButton>(shown, IDC_POSITION_ABOVE).isChecked());
    keepScreenshot(shown, "dialog-add-text.png");
    soon([&] {
      QDialog& details = modal();
      EXPECT_EQ(details.windowTitle(), "Text position details");
      auto& up = *control(details, IDC_VERTICAL_SPIN).findChild<QToolButton*>("up");
      QTest::mouseClick(&up, Qt::LeftButton);
      QTest::mouseClick(&up, Qt::LeftButton);
      EXPECT_EQ(control<QLineEdit>(details, IDC_VERTICAL_PADDING).text(), "2");
      auto& horizontal = control<QLineEdit>(details, IDC_HORIZONTAL_PADDING);
      // A padding that is no number is refused with a message; the dialog stays.
      horizontal.selectAll();
      QTest::keyClicks(&horizontal, "x");
      QString refusal;
      soon([&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        ASSERT_NE(box, nullptr);
        refusal = box->text();
        box->accept();
      });
      click(control(details, IDOK));
      EXPECT_EQ(refusal, "Please enter an integer.");
      EXPECT_EQ(QApplication::activeModalWidget(), &details);
      horizontal.selectAll();
      QTest::keyClicks(&horizontal, "7");
      click(control(details, IDC_ANCHOR_CENTER));
      EXPECT_FALSE(horizontal.isEnabled()) << "centred: no padding applies";
      keepScreenshot(details, "dialog-text-position.png");
      reachedPosition = true;
      click(control(details, IDOK));
    });
    click(control(shown, IDOK));
  });
  EXPECT_EQ(widget.call("TextOptions", {false}).toInt(), 1);
  EXPECT_TRUE(reachedPosition);
  EXPECT_EQ(widget.property("TextContent").toString(), "Scanned\r\ntoday");
  EXPECT_EQ(widget.property("TextAlign").toInt(), 1);
  EXPECT_EQ(widget.property("TextOrientation").toInt(), 0);
  EXPECT_EQ(widget.property("TextPosition").toInt(), 8);
  EXPECT_EQ(widget.property("TextAnchor").toInt(), 5);
  EXPECT_EQ(widget.property("TextOffsetX").toInt(), 7);
  EXPECT_EQ(widget.property("TextOffsetY").toInt(), 2);
}

TEST(QtPages, PropertySheetShowsBothPagesAndApplyWritesScrollBars) {
  TempDir dir;
  OrlimWidget widget;
  widget.resize(300, 200);
  widget.setPicture(QString::fromStdString(samplePicture(dir)));
  const bool scrollBarsBefore = widget.scrollBars();
  bool checked = false;
  soon([&] {
    QDialog& sheet = modal();
    EXPECT_EQ(sheet.windowTitle(), "Orlim Control Properties");
    auto& tabs = *sheet.findChild<QTabWidget*>();
    ASSERT_EQ(tabs.count(), 2);
    EXPECT_EQ(tabs.tabText(0), "General");
    EXPECT_EQ(tabs.tabText(1), "Display");
    QPushButton* applyButton = nullptr;
    for (QPushButton* b : sheet.findChildren<QPushButton*>())
      if (b->text() == "&Apply") applyButton = b;
    ASSERT_NE(applyButton, nullptr);

    QWidget& general = *tabs.widget(0);
    expectLaidOutAsTemplate(general, generalPageTemplate());
    EXPECT_EQ(control<QLabel>(general, IDC_IMAGE_WIDTH).text(), "400");
    EXPECT_EQ(control<QLabel>(general, IDC_IMAGE_HEIGHT).text(), "300");
    keepScreenshot(sheet, "properties-general.png");

    tabs.setCurrentIndex(1);
    QWidget& display = *tabs.widget(1);
    expectLaidOutAsTemplate(display, viewPageTemplate());
    EXPECT_EQ(control<QAbstractButton>(display, IDC_LAYER_BLACK_AND_WHITE).text(), "B&&W") << "shown as B&W";
    keepScreenshot(sheet, "properties-display.png");

    auto& scrollBars = control<QCheckBox>(display, IDC_SCROLLBARS);
    EXPECT_EQ(scrollBars.isChecked(), scrollBarsBefore);
    EXPECT_FALSE(applyButton->isEnabled()) << "nothing changed yet";
    click(scrollBars);
    EXPECT_TRUE(applyButton->isEnabled());
    QTest::mouseClick(applyButton, Qt::LeftButton);
    EXPECT_EQ(widget.scrollBars(), !scrollBarsBefore) << "applied while the sheet stays open";
    EXPECT_FALSE(applyButton->isEnabled());
    EXPECT_EQ(scrollBars.isChecked(), !scrollBarsBefore) << "shown again from the control";

    // OK with a page number that is no number: the message, then that page again.
    tabs.setCurrentIndex(0);
    auto& currentPage = control<QLineEdit>(general, IDC_CURRENT_PAGE);
    currentPage.selectAll();
    QTest::keyClicks(&currentPage, "x");
    tabs.setCurrentIndex(1);
    QString refusal;
    soon([&] {
      auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
      ASSERT_NE(box, nullptr);
      refusal = box->text();
      box->accept();
    });
    QPushButton* okButton = nullptr;
    for (QPushButton* b : sheet.findChildren<QPushButton*>())
      if (b->text() == "OK") okButton = b;
    ASSERT_NE(okButton, nullptr);
    QTest::mouseClick(okButton, Qt::LeftButton);
    EXPECT_EQ(refusal, "Please enter an integer.");
    EXPECT_EQ(tabs.currentIndex(), 0) << "the page holding the wrong value";
    EXPECT_EQ(QApplication::activeModalWidget(), &sheet);
    checked = true;
    QTest::keyClick(&sheet, Qt::Key_Escape);
  });
  EXPECT_TRUE(widget.showProperties());
  EXPECT_TRUE(checked);
  EXPECT_EQ(widget.scrollBars(), !scrollBarsBefore) << "Cancel after Apply keeps what was applied";
}

}  // namespace
}  // namespace orlim::test
