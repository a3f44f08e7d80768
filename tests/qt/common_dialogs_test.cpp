// The common dialogs on Qt: the filter string converted, the font record kept
// across Qt's font, and the dialogs answered by a person.
#include <gtest/gtest.h>

#include <QApplication>
#include <QColorDialog>
#include <QFileDialog>
#include <cstring>

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
                        Case{"DjVu|*.djvu|", {"DjVu (*.djvu)"}}, Case{"", {}}, Case{"Dangling|", {"Dangling ()"}}})
    EXPECT_EQ(qtFileFilters(c.filter), c.expected) << c.filter;
}

TEST(QtCommonDialogs, LogFontSurvivesQtsFont) {
  LOGFONTA font{};
  font.lfHeight = -17;
  font.lfWeight = 700;
  font.lfItalic = 1;
  font.lfStrikeOut = 1;
  std::strcpy(font.lfFaceName, "Liberation Serif");
  const LOGFONTA back = logFontOf(fontOfLogFont(font), 96);
  EXPECT_EQ(back.lfHeight, -17);
  EXPECT_EQ(back.lfWeight, 700);
  EXPECT_EQ(back.lfItalic, 1);
  EXPECT_EQ(back.lfUnderline, 0);
  EXPECT_EQ(back.lfStrikeOut, 1);
  EXPECT_STREQ(back.lfFaceName, "Liberation Serif");
  // A point size from Qt becomes pixels of the display.
  EXPECT_EQ(logFontOf(QFont("Liberation Sans", 12), 96).lfHeight, -16);
}

TEST(QtCommonDialogs, OpenFileStartsInTheFolderWithTheFilterAndReturnsTheChoice) {
  TempDir dir;
  const std::string sample = samplePicture(dir);
  QStringList shownFilters;
  QString shownFolder;
  soon([&] {
    auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
    ASSERT_NE(dialog, nullptr);
    shownFilters = dialog->nameFilters();
    shownFolder = dialog->directory().absolutePath();
    dialog->selectNameFilter(shownFilters.value(0));
    dialog->selectFile(QString::fromStdString(sample));
    QMetaObject::invokeMethod(dialog, "accept");  // as the Open button does
  });
  int filterIndex = 2;
  std::string fileName;
  ASSERT_TRUE(chooseFileToOpen("Open", "Bitmaps|*.bmp|All|*.*||", filterIndex, dir.path(), fileName, nullptr));
  EXPECT_EQ(shownFilters, QStringList({"Bitmaps (*.bmp)", "All (*.*)"}));
  EXPECT_EQ(shownFolder.toStdString(), dir.path());
  EXPECT_EQ(fileName, sample);
  EXPECT_EQ(filterIndex, 1) << "the filter the user ended with";

  soon([] { qobject_cast<QDialog*>(QApplication::activeModalWidget())->reject(); });
  EXPECT_FALSE(chooseFileToOpen("Open", "All|*.*||", filterIndex, dir.path(), fileName, nullptr));
}

TEST(QtCommonDialogs, ColourChosenComesBackAsColorref) {
  soon([] {
    auto* dialog = qobject_cast<QColorDialog*>(QApplication::activeModalWidget());
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(dialog->currentColor(), QColor(10, 20, 30)) << "starts at the given colour";
    dialog->setCurrentColor(QColor(200, 100, 50));
    dialog->accept();
  });
  COLORREF color = RGB(10, 20, 30);
  ASSERT_TRUE(chooseColor(color, nullptr));
  EXPECT_EQ(color, RGB(200, 100, 50));
}

}  // namespace
}  // namespace orlim::test
