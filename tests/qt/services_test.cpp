// The Qt host's services: message boxes a person answers, template dialogs laid
// out in dialog units, and the clipboard other Qt programs share.
#include <gtest/gtest.h>

#include <QApplication>
#include <QBuffer>
#include <QClipboard>
#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QMimeData>
#include <QPushButton>
#include <QTest>

#include "QtDialogs.h"
#include "platform/Application.h"
#include "platform/Clipboard.h"
#include "qt_dialog_view.h"
#include "qt_fixtures.h"

namespace orlim::test {
namespace {

struct BoxCase {
  UINT type;
  QMessageBox::Icon icon;
  QMessageBox::StandardButton press;
  int answer;
};

TEST(QtMessageBox, ShowsTheTypesIconAndButtonsAndReturnsWhatWasPressed) {
  OrlimWidget host;  // installs the Qt services
  for (const BoxCase& c : {BoxCase{MB_YESNO | MB_ICONQUESTION, QMessageBox::Question, QMessageBox::No, IDNO},
                           BoxCase{MB_OKCANCEL | MB_ICONWARNING, QMessageBox::Warning, QMessageBox::Cancel, IDCANCEL},
                           BoxCase{MB_OK | MB_ICONERROR, QMessageBox::Critical, QMessageBox::Ok, IDOK}}) {
    QString title, text;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    soon([&] {
      auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
      ASSERT_NE(box, nullptr);
      title = box->windowTitle();
      text = box->text();
      icon = box->icon();
      box->button(c.press)->click();
    });
    EXPECT_EQ(AfxMessageBox("Keep the changes?", c.type), c.answer);
    EXPECT_EQ(icon, c.icon);
    EXPECT_EQ(text, "Keep the changes?");
    EXPECT_EQ(title, "ORLIM test host") << "the host's title";
  }
}

TEST(QtMessageBox, TheControlsLoadErrorIsShownAsAnErrorBox) {
  OrlimWidget widget;
  QString text;
  QMessageBox::Icon icon = QMessageBox::NoIcon;
  soon([&] {
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    ASSERT_NE(box, nullptr);
    text = box->text();
    icon = box->icon();
    box->accept();
  });
  widget.setPicture("/nonexistent/page.bmp");
  EXPECT_EQ(icon, QMessageBox::Critical);
  EXPECT_TRUE(text.contains("/nonexistent/page.bmp")) << text.toStdString();
}

DialogTemplate sampleDialog() {
  return DialogTemplate{500,
                        "Label text",
                        200,
                        100,
                        "Liberation Sans",
                        8,
                        {{-1, DialogItemKind::Static, "&Text:", 0, {7, 7, 40, 17}},
                         {1001, DialogItemKind::Edit, "ORLIM", 0, {45, 6, 190, 18}},
                         {-1, DialogItemKind::Bitmap, "", 201, {7, 30, 55, 60}},
                         {IDOK, DialogItemKind::Button, "OK", 0, {90, 80, 140, 94}},
                         {IDCANCEL, DialogItemKind::Button, "Cancel", 0, {145, 80, 195, 94}}}};
}

TEST(QtDialogService, ControlsStandWhereTheTemplatePutsThemAndAButtonClosesWithItsId) {
  OrlimWidget host;
  const DialogTemplate dialog = sampleDialog();
  const DialogUnits units = dialogUnitsOf(dialog);
  // Dialog units of an 8-point font: a few pixels across, a little more down.
  EXPECT_GE(units.baseX, 4);
  EXPECT_GT(units.baseY, units.baseX);
  bool checked = false;
  soon([&] {
    auto* shown = qobject_cast<QDialog*>(QApplication::activeModalWidget());
    ASSERT_NE(shown, nullptr);
    EXPECT_EQ(shown->windowTitle(), "Label text");
    EXPECT_EQ(shown->size(), units.toPixels(RECT{0, 0, 200, 100}).size());
    for (std::size_t i = 0; i < dialog.items.size(); ++i) {
      auto* item = shown->findChild<QWidget*>(QStringLiteral("item%1").arg(i));
      ASSERT_NE(item, nullptr) << i;
      EXPECT_EQ(item->geometry(), units.toPixels(dialog.items[i].rect)) << i;
    }
    EXPECT_EQ(shown->findChild<QLineEdit*>("item1")->text(), "ORLIM");
    EXPECT_EQ(shown->findChild<QLabel*>("item0")->text(), "Text:") << "the mnemonic mark is not shown";
    checked = true;
    shown->findChild<QPushButton*>("item4")->click();
  });
  EXPECT_EQ(runModalDialog(dialog, nullptr), IDCANCEL);
  EXPECT_TRUE(checked);

  soon([] { QTest::keyClick(QApplication::activeModalWidget(), Qt::Key_Escape); });
  EXPECT_EQ(runModalDialog(dialog, nullptr), IDCLOSE_DIALOG);
  soon([] { QApplication::activeModalWidget()->findChild<QPushButton*>("item3")->click(); });
  EXPECT_EQ(runModalDialog(dialog, nullptr), IDOK);
  // Without a button marked default, Enter presses OK.
  soon([] { QTest::keyClick(QApplication::activeModalWidget()->findChild<QLineEdit*>("item1"), Qt::Key_Return); });
  EXPECT_EQ(runModalDialog(dialog, nullptr), IDOK);
}

QImage sampleImage(const std::string& path) {
  return QImage(QString::fromStdString(path)).convertToFormat(QImage::Format_RGB32);
}

TEST(QtClipboardService, CopyOffersBmpAndPngOfThePictureAndKeepsOtherFormats) {
  TempDir dir;
  const std::string sample = samplePicture(dir);
  OrlimWidget widget;
  widget.setPicture(QString::fromStdString(sample));
  QGuiApplication::clipboard()->setText("left by another program");
  ASSERT_TRUE(widget.call("CopyToClipboard").toBool());
  const QMimeData* data = QGuiApplication::clipboard()->mimeData();
  ASSERT_TRUE(data->hasFormat("image/bmp") && data->hasFormat("image/png"));
  EXPECT_EQ(data->text(), "left by another program");
  const QImage expected = sampleImage(sample);
  for (const char* format : {"BMP", "PNG"}) {
    const QImage copied = QImage::fromData(data->data(QString("image/") + QString(format).toLower()), format)
                              .convertToFormat(QImage::Format_RGB32);
    ASSERT_EQ(copied.size(), expected.size()) << format;
    EXPECT_EQ(differingPixels(copied, expected, expected.rect()), 0) << format;
  }
}

TEST(QtClipboardService, TextGoesBothWaysAsPlainTextAndEmptyingDropsTheRest) {
  OrlimWidget host;
  QGuiApplication::clipboard()->setImage(QImage(4, 4, QImage::Format_RGB32));
  {
    ClipboardSession session(nullptr);
    ASSERT_TRUE(session.isOpen());
    ASSERT_TRUE(session->EmptyClipboard());
    const std::string text = "Caption";
    ASSERT_TRUE(session->SetClipboardData(CF_TEXT, ClipboardBlock(text.c_str(), text.c_str() + text.size() + 1)));
  }
  const QMimeData* data = QGuiApplication::clipboard()->mimeData();
  EXPECT_EQ(data->text(), "Caption");
  EXPECT_FALSE(data->hasImage()) << "emptied first";

  QGuiApplication::clipboard()->setText("from elsewhere");
  ClipboardSession session(nullptr);
  ClipboardBlock block;
  ASSERT_TRUE(session->GetClipboardData(CF_TEXT, block));
  EXPECT_STREQ(reinterpret_cast<const char*>(block.data()), "from elsewhere");
  EXPECT_EQ(session->EnumClipboardFormats(), std::vector<UINT>{CF_TEXT});
}

TEST(QtClipboardService, PastesAnyImageQtHoldsAndRefusesABrokenBmp) {
  OrlimWidget widget;
  QImage other(37, 21, QImage::Format_RGB32);
  other.fill(QColor(10, 200, 30));
  QGuiApplication::clipboard()->setImage(other);
  ASSERT_TRUE(widget.call("PasteFromClipboard").toBool());
  EXPECT_EQ(widget.imageWidth(), 37);
  EXPECT_EQ(widget.imageHeight(), 21);

  // A BMP whose header promises more rows than it carries: the control's own
  // checks refuse it, and the picture shown stays.
  QByteArray bmp;
  QBuffer buffer(&bmp);
  buffer.open(QIODevice::WriteOnly);
  QImage(64, 64, QImage::Format_RGB32).save(&buffer, "BMP");
  auto* broken = new QMimeData;
  broken->setData("image/bmp", bmp.left(200));
  QGuiApplication::clipboard()->setMimeData(broken);
  soon([] {
    if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) box->accept();
  });
  EXPECT_FALSE(widget.call("PasteFromClipboard").toBool());
  EXPECT_EQ(widget.imageWidth(), 37);
}

}  // namespace
}  // namespace orlim::test
