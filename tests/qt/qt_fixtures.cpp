#include "qt_fixtures.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QTimer>

namespace orlim::test {

std::string samplePicture(const TempDir& dir) {
  const std::string path = dir.file("sample.bmp");
  std::string output;
  if (run(std::string(ORLIM_CLI_PATH) + " sample '" + path + "'", &output) != 0) ADD_FAILURE() << output;
  return path;
}

std::string corpusFile(const std::string& name) {
  const std::string path = std::string(ORLIM_SOURCE_DIR) + "/../shared/corpus/" + name;
  return fileExists(path) ? path : std::string();
}

QImage orlimShow(const TempDir& dir, const std::string& file, int width, int height,
                 const std::vector<std::string>& options) {
  const std::string png = dir.file("show.png");
  std::string command = std::string(ORLIM_CLI_PATH) + " show '" + file + "' -o '" + png + "' --size " +
                        std::to_string(width) + "x" + std::to_string(height);
  for (const std::string& option : options) command += " " + option;
  std::string output;
  if (run(command, &output) != 0) {
    ADD_FAILURE() << command << "\n" << output;
    return {};
  }
  return QImage(QString::fromStdString(png)).convertToFormat(QImage::Format_RGB32);
}

int differingPixels(const QImage& a, const QImage& b, const QRect& area) {
  int differing = 0;
  for (int y = area.top(); y <= area.bottom(); ++y)
    for (int x = area.left(); x <= area.right(); ++x)
      if ((a.pixel(x, y) & 0xFFFFFF) != (b.pixel(x, y) & 0xFFFFFF)) ++differing;
  return differing;
}

QtWindow& windowOf(const OrlimWidget& widget) { return *static_cast<QtWindow*>(widget.view()); }

void settle(OrlimWidget& widget) {
  do {
    QCoreApplication::processEvents();
  } while (windowOf(widget).IsPaintPending());
}

void soon(std::function<void()> step) { QTimer::singleShot(0, std::move(step)); }

}  // namespace orlim::test
