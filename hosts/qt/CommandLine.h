// orlim-viewer [FILE] [--page N] [--zoom Z] [--fit none|width|image]
#pragma once

#include <QString>
#include <QStringList>
#include <optional>

namespace orlim::viewer {

struct CommandLine {
  QString file;
  std::optional<int> page;
  QString zoom;            // a zoom level step, or a percentage ending in '%'
  std::optional<int> fit;  // AutoFit: 0 none, 1 width, 2 image
  QString error;           // set when the arguments cannot be understood
};

CommandLine parseCommandLine(const QStringList& arguments);  // without the program name
extern const char* const kUsage;

}  // namespace orlim::viewer
