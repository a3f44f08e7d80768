#include "qt_common_dialogs.h"

#include <QColorDialog>
#include <QFileDialog>
#include <QFontDialog>
#include <algorithm>
#include <cmath>
#include <cstring>

namespace orlim {

QStringList qtFileFilters(const std::string& filter) {
  const QStringList parts = QString::fromLocal8Bit(filter.c_str()).split('|');
  QStringList filters;
  for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
    if (parts[i].isEmpty() && parts[i + 1].isEmpty()) break;  // the closing "||"
    QString patterns = parts[i + 1];
    patterns.replace(';', ' ');
    filters << parts[i] + " (" + patterns + ")";
  }
  return filters;
}

QFont fontOfLogFont(const LOGFONTA& font) {
  QFont shown(QString::fromLocal8Bit(font.lfFaceName));
  if (font.lfHeight < 0)
    shown.setPixelSize(static_cast<int>(-font.lfHeight));
  else if (font.lfHeight > 0)
    shown.setPixelSize(std::max(1, static_cast<int>(font.lfHeight)));  // the cell, near enough
  if (font.lfWeight > 0) shown.setWeight(static_cast<QFont::Weight>(std::clamp<int>(font.lfWeight, 100, 900)));
  shown.setItalic(font.lfItalic != 0);
  shown.setUnderline(font.lfUnderline != 0);
  shown.setStrikeOut(font.lfStrikeOut != 0);
  return shown;
}

LOGFONTA logFontOf(const QFont& font, int dpi) {
  LOGFONTA out{};
  const int pixels = font.pixelSize() > 0 ? font.pixelSize()
                                           : static_cast<int>(std::lround(font.pointSizeF() * dpi / 72.0));
  out.lfHeight = -pixels;
  out.lfWeight = font.weight();
  out.lfItalic = font.italic() ? 1 : 0;
  out.lfUnderline = font.underline() ? 1 : 0;
  out.lfStrikeOut = font.strikeOut() ? 1 : 0;
  const QByteArray face = font.family().toLocal8Bit();
  std::strncpy(out.lfFaceName, face.constData(), sizeof out.lfFaceName - 1);
  return out;
}

bool chooseFileToOpen(const std::string& title, const std::string& filter, int& filterIndex,
                      const std::string& initialDir, std::string& fileName, QWidget* parent) {
  QFileDialog dialog(parent, QString::fromLocal8Bit(title.c_str()), QString::fromLocal8Bit(initialDir.c_str()));
  dialog.setFileMode(QFileDialog::ExistingFile);
  dialog.setAcceptMode(QFileDialog::AcceptOpen);
  const QStringList filters = qtFileFilters(filter);
  if (!filters.isEmpty()) {
    dialog.setNameFilters(filters);
    dialog.selectNameFilter(filters.value(std::clamp<int>(filterIndex, 1, static_cast<int>(filters.size())) - 1));
  }
  if (!fileName.empty()) dialog.selectFile(QString::fromLocal8Bit(fileName.c_str()));
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return false;
  fileName = dialog.selectedFiles().front().toLocal8Bit().toStdString();
  if (!filters.isEmpty()) filterIndex = static_cast<int>(filters.indexOf(dialog.selectedNameFilter())) + 1;
  return true;
}

bool chooseColor(COLORREF& color, QWidget* parent) {
  const QColor chosen = QColorDialog::getColor(QColor(GetRValue(color), GetGValue(color), GetBValue(color)), parent);
  if (!chosen.isValid()) return false;
  color = RGB(chosen.red(), chosen.green(), chosen.blue());
  return true;
}

bool chooseFont(LOGFONTA& font, int dpi, QWidget* parent) {
  bool chosen = false;
  const QFont answer = QFontDialog::getFont(&chosen, fontOfLogFont(font), parent);
  if (!chosen) return false;
  font = logFontOf(answer, dpi);
  return true;
}

}  // namespace orlim
