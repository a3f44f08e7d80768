// The file types the viewer opens and saves: the control's open filter (the
// same pairs its general property page offers) in Qt's form, the save
// filters, and the TIFF compressions a picture's depth allows.
#pragma once

#include <QString>
#include <QStringList>
#include <optional>
#include <utility>
#include <vector>

#include "Prompts.h"

namespace orlim::viewer {

// The control's "description|patterns|...||" open filter.
extern const char* const kOpenFilter;
// "a|b|c|d||" as Qt name filters "a (b)"… keeping the order, so a 1-based index still names the pair.
QStringList toQtNameFilters(const QString& barFilter);

QStringList saveNameFilters();
QString saveNameFilter(SaveFormat format);
// The format a file name's extension asks for.
std::optional<SaveFormat> formatOfPath(const QString& path);
QString defaultExtension(SaveFormat format);

// TIFF Compression tag values offered for a picture of `depth` bits, with their names.
std::vector<std::pair<int, QString>> tiffCompressionsFor(int depth);

}  // namespace orlim::viewer
