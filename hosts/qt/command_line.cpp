#include "CommandLine.h"

namespace orlim::viewer {

const char* const kUsage = "usage: orlim-viewer [FILE] [--page N] [--zoom Z|P%] [--fit none|width|image]";

CommandLine parseCommandLine(const QStringList& arguments) {
  CommandLine line;
  for (int i = 0; i < arguments.size() && line.error.isEmpty(); ++i) {
    const QString& a = arguments[i];
    const bool option = a == QLatin1String("--page") || a == QLatin1String("--zoom") || a == QLatin1String("--fit");
    if (option && i + 1 >= arguments.size()) {
      line.error = a + QStringLiteral(" needs a value");
      break;
    }
    if (a == QLatin1String("--page")) {
      bool ok = false;
      line.page = arguments[++i].toInt(&ok);
      if (!ok) line.error = QStringLiteral("--page needs a number");
    } else if (a == QLatin1String("--zoom")) {
      line.zoom = arguments[++i];
    } else if (a == QLatin1String("--fit")) {
      const QString fit = arguments[++i];
      const QStringList names{"none", "width", "image"};
      if (!names.contains(fit))
        line.error = QStringLiteral("--fit is none, width or image");
      else
        line.fit = static_cast<int>(names.indexOf(fit));
    } else if (a.startsWith(QLatin1String("--")) || !line.file.isEmpty()) {
      line.error = QStringLiteral("unexpected argument ") + a;
    } else {
      line.file = a;
    }
  }
  return line;
}

}  // namespace orlim::viewer
