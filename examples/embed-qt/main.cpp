// The smallest application embedding ORLIM: shows the file named on the command line.
#include <orlim/OrlimWidget.h>

#include <QApplication>

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  orlim::OrlimWidget view;
  view.resize(800, 600);
  if (argc > 1) view.setPicture(QString::fromLocal8Bit(argv[1]));
  view.show();
  return app.exec();
}
