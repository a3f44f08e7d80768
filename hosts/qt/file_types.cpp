#include "file_types.h"

#include <QFileInfo>

namespace orlim::viewer {

const char* const kOpenFilter =
    "DjVu file (*.djvu;*.djv)|*.djvu;*.djv|IW44 file (*.iw44;*.iw4)|*.iw44;*.iw4|"
    "Windows Bitmap (*.bmp)|*.bmp|JPEG file (*.jpg;*.jpeg)|*.jpg;*.jpeg|"
    "TIFF file (*.tif;*.tiff)|*.tif;*.tiff|PNM file (*.ppm;*.pgm;*.pbm)|*.ppm;*.pgm;*.pbm|"
    "All supported image files|*.djvu;*.djv;*.iw44;*.iw4;*.bmp;*.jpg;*.jpeg;*.tif;*.tiff;*.ppm;*.pgm;*.pbm||";

QStringList toQtNameFilters(const QString& barFilter) {
  const QStringList parts = barFilter.split(QLatin1Char('|'));
  QStringList filters;
  for (int i = 0; i + 1 < parts.size(); i += 2) {
    if (parts[i].isEmpty()) break;  // the closing "||"
    // Qt reads the patterns from the last parentheses, separated by spaces.
    QString description = parts[i];
    const int open = description.lastIndexOf(QLatin1Char('('));
    if (open > 0 && description.endsWith(QLatin1Char(')'))) description = description.left(open).trimmed();
    filters << description + QStringLiteral(" (") + QString(parts[i + 1]).replace(QLatin1Char(';'), QLatin1Char(' ')) +
                   QLatin1Char(')');
  }
  return filters;
}

namespace {
struct SaveType {
  SaveFormat format;
  const char* filter;
  const char* extension;
  QStringList suffixes;
};
const std::vector<SaveType>& saveTypes() {
  static const std::vector<SaveType> types = {
      {SaveFormat::Tiff, "TIFF file (*.tif *.tiff)", "tif", {"tif", "tiff"}},
      {SaveFormat::Jpeg, "JPEG file (*.jpg *.jpeg)", "jpg", {"jpg", "jpeg"}},
      {SaveFormat::Bmp, "Windows Bitmap (*.bmp)", "bmp", {"bmp"}},
      {SaveFormat::Pnm, "PNM file (*.ppm *.pgm *.pbm)", "pnm", {"ppm", "pgm", "pbm", "pnm"}},
  };
  return types;
}
}  // namespace

QStringList saveNameFilters() {
  QStringList filters;
  for (const SaveType& t : saveTypes()) filters << QString::fromLatin1(t.filter);
  return filters;
}

QString saveNameFilter(SaveFormat format) {
  for (const SaveType& t : saveTypes())
    if (t.format == format) return QString::fromLatin1(t.filter);
  return {};
}

std::optional<SaveFormat> formatOfPath(const QString& path) {
  const QString suffix = QFileInfo(path).suffix().toLower();
  for (const SaveType& t : saveTypes())
    if (t.suffixes.contains(suffix)) return t.format;
  return std::nullopt;
}

QString defaultExtension(SaveFormat format) {
  for (const SaveType& t : saveTypes())
    if (t.format == format) return QString::fromLatin1(t.extension);
  return {};
}

std::vector<std::pair<int, QString>> tiffCompressionsFor(int depth) {
  std::vector<std::pair<int, QString>> offered = {{1, QStringLiteral("None")},
                                                  {5, QStringLiteral("LZW")},
                                                  {8, QStringLiteral("Deflate")},
                                                  {32773, QStringLiteral("PackBits")}};
  if (depth == 1) {
    offered.insert(offered.end(), {{4, QStringLiteral("CCITT Group 4")},
                                   {3, QStringLiteral("CCITT Group 3")},
                                   {2, QStringLiteral("CCITT modified Huffman")}});
  }
  // JPEG needs 24-bit colour or 8-bit gray (the writer refuses a paletted 8-bit picture itself).
  if (depth == 24 || depth == 8) offered.emplace_back(7, QStringLiteral("JPEG"));
  return offered;
}

}  // namespace orlim::viewer
