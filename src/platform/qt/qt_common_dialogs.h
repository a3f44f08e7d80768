// The common dialogs on Qt: open a file, choose a colour, choose a font, over
// the plain values the control's dialogs exchange (a "|"-separated filter with a
// 1-based index, a COLORREF, a LOGFONTA). The dialog service answers its
// common-dialog requests with these.
#pragma once

#include <QFont>
#include <QString>
#include <string>

#include "platform/win_types.h"

class QWidget;

namespace orlim {

// "Pictures|*.bmp;*.jpg|All files|*.*||" as Qt names filters:
// "Pictures (*.bmp *.jpg);;All files (*.*)".
QStringList qtFileFilters(const std::string& filter);

// A LOGFONTA as Qt shows it, and back for a display of `dpi` (a negative
// lfHeight is the character height in pixels, a positive one the cell height;
// weights keep their 100-900 scale).
QFont fontOfLogFont(const LOGFONTA& font);
LOGFONTA logFontOf(const QFont& font, int dpi);

// Each returns true when the user chose (the values then hold the answer).
bool chooseFileToOpen(const std::string& title, const std::string& filter, int& filterIndex,
                      const std::string& initialDir, std::string& fileName, QWidget* parent);
bool chooseColor(COLORREF& color, QWidget* parent);
bool chooseFont(LOGFONTA& font, int dpi, QWidget* parent);

}  // namespace orlim
