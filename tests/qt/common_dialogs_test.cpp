// The common dialogs on Qt: the filter string converted, the font record kept
// across Qt's font, and the dialogs answered by a person.
#include <gtest/gtest.h>

#include <QApplication>
#include <QColorDialog>
#include <QFileDialog>
#include <QFontDialog>
#include <cstring>

#include "QtDialogs.h"
#include "platform/CommonDialogs.h"
#include "qt_common_dialogs.h"
#include "qt_fixtures.h"

namespace orlim::test {
namespace {

TEST(QtCommonDialogs, FilterStringsBecomeQtNameFilters) {
  struct Case {
    const char* filter;
    QStringList expected;
  };
  for (const Case& c : {Case{"Pictures|*.bmp;*.jpg|All files|*.*||", {"Pictures (*.bmp *.jpg)", "All files (*.*)"}},
                        Case{"DjVu|*.djvu|", {"DjVu (*.djvu)"}}, Case{"", {}}, Case{"Dangling|", {}}})
    EXPECT_EQ(qtFileFilters(c.filter), c.expected) << c.filter;
}

TEST(QtCommonDialogs, LogFontSurvivesQtsFont) {
  LOGFONTA font{};
  font.lfHeight = -17;
  font.lfWeight = 700;
  font.lfItalic = 1;
  font.lfStrikeOut = 1;
  std::strcpy(font.lfFaceName, "Liberation Serif");
  const LOGFONTA back = logFontOf(fontOfLogFont(font, 96), 96);
  EXPECT_EQ(back.lfHeight, -17);
  EXPECT_EQ(back.lfWeight, 700);
  EXPECT_EQ(back.lfItalic, 1);
  EXPECT_EQ(back.lfUnderline, 0);
  EXPECT_EQ(back.lfStrikeOut, 1);
  EXPECT_STREQ(back.lfFaceName, "Liberation Serif");
  // A point size from Qt becomes pixels of the display: -round(points * dpi / 72).
  EXPECT_EQ(logFontOf(QFont("Liberation Sans", 12), 96).lfHeight, -16);
  EXPECT_EQ(logFontOf(QFont("Liberation Sans", 10), 120).lfHeight, -17);
  EXPECT_DOUBLE_EQ(fontOfLogFont(font, 120).pointSizeF(), 17 * 72.0 / 120);
}

TEST(QtCommonDialogs, OpenFileStartsInTheFolderWithTheFilterAndReturnsTheChoice) {
  QtDialogs service;
  TempDir dir;
  const std::string sample = samplePicture(dir);
  QStringList shownFilters;
  QString shownFolder, shownFilter;
  QFileDialog::FileMode mode = QFileDialog::AnyFile;
  soon([&] {
    auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
    ASSERT_NE(dialog, nullptr);
    shownFilters = dialog->nameFilters();
    shownFilter = dialog->selectedNameFilter();
    shownFolder = dialog->directory().absolutePath();
    mode = dialog->fileMode();
    dialog->selectNameFilter(shownFilters.value(0));
    dialog->selectFile(QString::fromStdString(sample));
    QMetaObject::invokeMethod(dialog, "accept");  // as the Open button does
  });
  OpenFileRequest request;
  request.title = "Open";
  request.filter = "Bitmaps|*.bmp|All|*.*||";
  request.filterIndex = 2;
  request.initialDir = dir.path();
  request.flags = OFN_FILEMUSTEXIST;
  ASSERT_TRUE(GetOpenFileName(request, nullptr));
  EXPECT_EQ(shownFilters, QStringList({"Bitmaps (*.bmp)", "All (*.*)"}));
  EXPECT_EQ(shownFilter, "All (*.*)") << "the 1-based index in";
  EXPECT_EQ(shownFolder.toStdString(), dir.path());
  EXPECT_EQ(mode, QFileDialog::ExistingFile);
  EXPECT_EQ(request.fileName, sample);
  EXPECT_EQ(request.filterIndex, 1) << "the filter the user ended with";

  // A path longer than the caller can take is refused; so is a cancel.
  soon([&] {
    auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
    dialog->selectFile(QString::fromStdString(sample));
    QMetaObject::invokeMethod(dialog, "accept");
  });
  OpenFileRequest shortBuffer = request;
  shortBuffer.fileName.clear();
  shortBuffer.maxFileName = sample.size();
  EXPECT_FALSE(GetOpenFileName(shortBuffer, nullptr));
  EXPECT_EQ(shortBuffer.fileName, "");
  soon([] { qobject_cast<QDialog*>(QApplication::activeModalWidget())->reject(); });
  EXPECT_FALSE(GetOpenFileName(request, nullptr));
}

TEST(QtCommonDialogs, ColorAndFontChosenComeBackAsColorrefAndLogfont) {
  QtDialogs service;
  soon([] {
    auto* dialog = qobject_cast<QColorDialog*>(QApplication::activeModalWidget());
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(dialog->currentColor(), QColor(10, 20, 30)) << "starts at the given colour";
    dialog->setCurrentColor(QColor(200, 100, 50));
    dialog->accept();
  });
  ColorRequest color;
  color.color = RGB(10, 20, 30);
  ASSERT_TRUE(ChooseColor(color, nullptr));
  EXPECT_EQ(color.color, 0x003264C8u) << "0x00BBGGRR";

  QFont started;
  soon([&] {
    auto* dialog = qobject_cast<QFontDialog*>(QApplication::activeModalWidget());
    ASSERT_NE(dialog, nullptr);
    started = dialog->currentFont();
    QFont bigger("Liberation Serif", 24);
    bigger.setBold(true);
    bigger.setUnderline(true);
    dialog->setCurrentFont(bigger);
    dialog->accept();
  });
  FontRequest font;
  font.font.lfHeight = -16;
  font.font.lfWeight = 400;
  font.font.lfItalic = 1;
  std::strcpy(font.font.lfFaceName, "Liberation Sans");
  ASSERT_TRUE(ChooseFont(font, nullptr));
  EXPECT_EQ(started.pointSize(), 12) << "16 pixels at 96 dpi";
  EXPECT_TRUE(started.italic());
  EXPECT_EQ(font.font.lfHeight, -32);
  EXPECT_EQ(font.font.lfWeight, 700);
  EXPECT_EQ(font.font.lfUnderline, 1);
  EXPECT_STREQ(font.font.lfFaceName, "Liberation Serif");
}

}  // namespace
}  // namespace orlim::test
