// The common dialogs on Qt: the dialog service's open-file, colour and font
// requests (QtDialogs::GetOpenFileName, ChooseColor, ChooseFont) answered by
// QFileDialog, QColorDialog and QFontDialog, and the conversions between the
// plain values the control's dialogs exchange (a "|"-separated filter with a
// 1-based index, a COLORREF, a LOGFONTA) and Qt's.
#pragma once

#include <QFont>
#include <QStringList>
#include <string>

#include "platform/win_types.h"

namespace orlim {

class Window;

// "Pictures|*.bmp;*.jpg|All files|*.*||" as Qt names filters:
// "Pictures (*.bmp *.jpg)", "All files (*.*)".
QStringList qtFileFilters(const std::string& filter);

// Logical pixels per inch down the screen a dialog over `owner` shows on.
int screenDpi(const Window* owner);

// A LOGFONTA as Qt shows it on a display of `dpi`, and back: points are
// pixels * 72 / dpi (a negative lfHeight is the character height in pixels, a
// positive one the cell height, taken as the same), pixels -round(points * dpi / 72);
// weights keep their 100-900 scale.
QFont fontOfLogFont(const LOGFONTA& font, int dpi);
LOGFONTA logFontOf(const QFont& font, int dpi);

}  // namespace orlim
