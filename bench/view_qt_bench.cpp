// The view paint of the Qt backend: the same 2550 x 3300 page at zoom 0 in a
// 1920 x 1080 OrlimWidget on Qt's offscreen platform. One paint is the control
// drawing into the window's surface and the surface drawn onto the widget's
// backing store (QWidget::repaint), against memcpy of the window's bytes.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QTest>
#include <filesystem>
#include <memory>

#include "QtWindow.h"
#include "bench_pictures.h"
#include "memcpy_paired.h"
#include "orlim/OrlimWidget.h"

namespace {

using namespace orlim;

QApplication& offscreenApplication() {
  static int argc = 1;
  static char name[] = "orlim_bench";
  static char* argv[] = {name, nullptr};
  static std::unique_ptr<QApplication> application = [] {
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    return std::make_unique<QApplication>(argc, argv);
  }();
  return *application;
}

std::string qtBmpPage() {
  const auto path = std::filesystem::temp_directory_path() / "orlim_view_qt_bench_page.bmp";
  if (!std::filesystem::exists(path)) {
    Image im;
    bench::makeBenchPicture(im, 2550, 3300, 24);
    im.writeBmp(path.c_str());
  }
  return path.string();
}

void BM_View_Qt_Zoom0_OntoBackingStore(benchmark::State& state) {
  offscreenApplication();
  OrlimWidget widget;
  widget.resize(bench::kWindowWidth, bench::kWindowHeight);
  widget.show();
  if (!QTest::qWaitForWindowExposed(&widget)) return state.SkipWithError("window not exposed");
  widget.setAutoFit(0);
  widget.setPicture(QString::fromStdString(qtBmpPage()));
  if (widget.imageWidth() != 2550) return state.SkipWithError("page not loaded");
  auto& window = *static_cast<QtWindow*>(widget.view());
  QApplication::processEvents();
  bench::measureAgainstMemcpy(state, [&] {
    window.Invalidate(nullptr, true);
    window.UpdateWindow();
  });
}

BENCHMARK(BM_View_Qt_Zoom0_OntoBackingStore)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
