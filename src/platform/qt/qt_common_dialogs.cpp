#include "qt_common_dialogs.h"

#include <QColorDialog>
#include <QFileDialog>
#include <QFontDialog>
#include <QGuiApplication>
#include <QScreen>
#include <algorithm>
#include <cmath>
#include <cstring>

#include "QtDialogs.h"
#include "platform/CommonDialogs.h"
#include "platform/Window.h"

namespace orlim {

QStringList qtFileFilters(const std::string& filter) {
  QStringList filters;
  for (const auto& [description, patterns] : splitFileFilter(filter))
    filters << QString::fromLocal8Bit(description.c_str()) + " (" +
                   QString::fromLocal8Bit(patterns.c_str()).replace(';', ' ') + ")";
  return filters;
}

int screenDpi(const Window* owner) {
  if (owner) return owner->GetDisplayCaps().dpiY;
  const QScreen* screen = QGuiApplication::primaryScreen();
  return screen ? static_cast<int>(std::lround(screen->logicalDotsPerInchY())) : 96;
}

QFont fontOfLogFont(const LOGFONTA& font, int dpi) {
  QFont shown(QString::fromLocal8Bit(font.lfFaceName, static_cast<int>(strnlen(font.lfFaceName, LF_FACESIZE))));
  const LONG pixels = font.lfHeight < 0 ? -font.lfHeight : font.lfHeight;
  if (pixels > 0) shown.setPointSizeF(static_cast<double>(pixels) * 72.0 / std::max(1, dpi));
  if (font.lfWeight > 0) shown.setWeight(static_cast<QFont::Weight>(std::clamp<int>(font.lfWeight, 100, 900)));
  shown.setItalic(font.lfItalic != 0);
  shown.setUnderline(font.lfUnderline != 0);
  shown.setStrikeOut(font.lfStrikeOut != 0);
  return shown;
}

LOGFONTA logFontOf(const QFont& font, int dpi) {
  LOGFONTA out{};
  const long pixels = font.pixelSize() > 0 ? font.pixelSize() : std::lround(font.pointSizeF() * dpi / 72.0);
  out.lfHeight = -static_cast<LONG>(pixels);
  out.lfWeight = font.weight();
  out.lfItalic = font.italic() ? 1 : 0;
  out.lfUnderline = font.underline() ? 1 : 0;
  out.lfStrikeOut = font.strikeOut() ? 1 : 0;
  out.lfCharSet = 0;  // ANSI
  const QByteArray face = font.family().toLocal8Bit();
  std::strncpy(out.lfFaceName, face.constData(), sizeof out.lfFaceName - 1);
  return out;
}

bool QtDialogs::GetOpenFileName(OpenFileRequest& request, Window* owner) {
  QFileDialog dialog(dialogParent(owner), QString::fromLocal8Bit(request.title.c_str()),
                     QString::fromLocal8Bit(request.initialDir.c_str()));
  dialog.setFileMode((request.flags & OFN_FILEMUSTEXIST) ? QFileDialog::ExistingFile : QFileDialog::AnyFile);
  dialog.setAcceptMode(QFileDialog::AcceptOpen);
  const QStringList filters = qtFileFilters(request.filter);
  if (!filters.isEmpty()) {
    dialog.setNameFilters(filters);
    const int first = std::clamp<int>(request.filterIndex, 1, static_cast<int>(filters.size()));
    dialog.selectNameFilter(filters.value(first - 1));
  }
  if (!request.fileName.empty()) dialog.selectFile(QString::fromLocal8Bit(request.fileName.c_str()));
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return false;
  const std::string chosen = dialog.selectedFiles().front().toLocal8Bit().toStdString();
  // A path that does not fit the caller's buffer is refused, as the system's dialog does.
  if (chosen.size() >= request.maxFileName) return false;
  request.fileName = chosen;
  if (!filters.isEmpty()) {
    const qsizetype index = filters.indexOf(dialog.selectedNameFilter());
    if (index >= 0) request.filterIndex = static_cast<int>(index) + 1;
  }
  return true;
}

bool QtDialogs::ChooseColor(ColorRequest& request, Window* owner) {
  const COLORREF start = request.color;
  const QColor chosen =
      QColorDialog::getColor(QColor(GetRValue(start), GetGValue(start), GetBValue(start)), dialogParent(owner));
  if (!chosen.isValid()) return false;
  request.color = RGB(chosen.red(), chosen.green(), chosen.blue());
  return true;
}

bool QtDialogs::ChooseFont(FontRequest& request, Window* owner) {
  const int dpi = screenDpi(owner);
  bool chosen = false;
  const QFont answer = QFontDialog::getFont(&chosen, fontOfLogFont(request.font, dpi), dialogParent(owner));
  if (!chosen) return false;
  LOGFONTA font = logFontOf(answer, dpi);
  font.lfCharSet = request.font.lfCharSet;
  request.font = font;
  return true;
}

}  // namespace orlim
