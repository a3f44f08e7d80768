// The smallest application embedding ORLIM: shows the file named on the command
// line. With a second argument it saves what the window shows there and quits.
#include <orlim/OrlimWidget.h>

#include <QApplication>
#include <QTimer>

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  orlim::OrlimWidget view;
  view.resize(800, 600);
  if (argc > 1) view.setPicture(QString::fromLocal8Bit(argv[1]));
  view.show();
  if (argc > 2) {
    QTimer::singleShot(0, [&] { app.exit(view.grab().save(QString::fromLocal8Bit(argv[2])) ? 0 : 1); });
  }
  return app.exec();
}
