// orlim-viewer: the desktop container of the ORLIM control.
#include <orlim/OrlimWidget.h>

#include <QApplication>
#include <cstdio>

#include "CommandLine.h"
#include "ViewerWindow.h"

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  QApplication::setApplicationName(QStringLiteral("orlim-viewer"));
  QApplication::setApplicationDisplayName(QStringLiteral("ORLIM Viewer"));
  const orlim::viewer::CommandLine line = orlim::viewer::parseCommandLine(QApplication::arguments().mid(1));
  if (!line.error.isEmpty()) {
    std::fprintf(stderr, "orlim-viewer: %s\n%s\n", qPrintable(line.error), orlim::viewer::kUsage);
    return 2;
  }
  orlim::viewer::ViewerWindow window;
  window.show();
  // AutoFit is applied by the load, so it comes first; a page, then a zoom, after.
  if (line.fit) window.control().setAutoFit(*line.fit);
  if (!line.file.isEmpty()) window.openFile(line.file);
  if (line.page) window.goToPage(*line.page);
  if (!line.zoom.isEmpty()) window.applyZoomArgument(line.zoom);
  return app.exec();
}
