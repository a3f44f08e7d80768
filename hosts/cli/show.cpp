// `orlim show FILE -o view.png [options]`: loads a picture into the control in a
// headless window of the given size, paints once and writes the window as PNG.
#include <CLI/CLI.hpp>
#include <cstdio>
#include <memory>
#include <stdexcept>
#include <string>

#include "commands.h"
#include "control/OrlimCtrl.h"
#include "created_control.h"
#include "option_values.h"
#include "platform/headless/HeadlessApplication.h"
#include "platform/headless/HeadlessWindow.h"
#include "platform/headless/png_file.h"

namespace orlim::cli {

namespace {

struct ShowOptions {
  std::string file;
  std::string output;
  int zoom = 0;
  bool zoomGiven = false;
  int fit = 0;
  int layer = 0;
  int width = 640;
  int height = 480;
  int page = 1;
  bool fancyZoom = true;
  bool dither = true;
  int bits = 24;
};

constexpr int kLargestWindowSide = 20000;

int showPicture(const ShowOptions& o) {
  HeadlessApplication application;
  int boxes = 0;
  application.onMessageBox = [&boxes](const RecordedMessageBox& box) {
    ++boxes;
    std::fprintf(stderr, "orlim: %s\n", box.text.c_str());
  };
  HeadlessWindow window(o.width, o.height);
  window.SetDisplay(o.bits, 96);
  const CreatedControl created;
  COrlimCtrl& control = created.control();
  control.AttachWindow(&window);
  control.ResetState();
  window.Resize(o.width, o.height);
  control.SetFancyZoom(o.fancyZoom);
  control.SetDither(o.dither);
  control.SetDjvuLayer(o.layer);
  control.SetAutoFit(o.fit);
  if (o.zoomGiven) control.SetZoomLevel(o.zoom);
  window.DeliverPendingPaint();  // the device depth reaches the control before loading
  control.SetPicture(o.file);
  if (!control.hasPicture()) {
    if (boxes == 0) std::fprintf(stderr, "orlim: cannot show %s\n", o.file.c_str());
    return 1;
  }
  if (o.page > control.GetPages()) {
    std::fprintf(stderr, "orlim: %s has %d page(s); there is no page %d.\n", o.file.c_str(),
                 static_cast<int>(control.GetPages()), o.page);
    return 1;
  }
  if (o.page > 1) control.SetCurrentPage(o.page);
  if (o.zoomGiven && control.GetZoomLevel() != o.zoom) control.SetZoomLevel(o.zoom);
  while (window.DeliverPendingPaint()) {
  }
  std::string error;
  if (!writeSurfacePng(window.surface(), o.output, error)) {
    std::fprintf(stderr, "orlim: %s\n", error.c_str());
    return 1;
  }
  return 0;
}

int runShow(const ShowOptions& o) {
  try {
    return showPicture(o);
  } catch (const std::runtime_error& failure) {
    std::fprintf(stderr, "orlim: %s\n", failure.what());
    return 1;
  }
}

}  // namespace

Command declareShow(CLI::App& orlim) {
  auto o = std::make_shared<ShowOptions>();
  auto size = std::make_shared<std::string>();
  CLI::App* show =
      orlim.add_subcommand("show", "paint a picture in a window of the given size and write the window as PNG");
  show->add_option("FILE", o->file, "the picture file")->required();
  show->add_option("-o", o->output, "the PNG file the window is written to")->option_text("view.png")->required();
  const CLI::Option* zoom =
      show->add_option("--zoom", o->zoom, "the zoom level, -1000 to 1000 (default: the control's own)")
          ->option_text("Z")
          ->transform(wholeNumber(-1000, 1000));
  show->add_option("--fit", o->fit, "the AutoFit mode (default none)")
      ->option_text("none|width|image")
      ->transform(oneOf({"none", "width", "image"}));
  show->add_option("--layer", o->layer, "the DjVu layer, 0 to 3 (default 0)")
      ->option_text("N")
      ->transform(wholeNumber(0, 3));
  show->add_option("--size", *size, "the window's size (default 640x480)")
      ->option_text("WxH")
      ->check(windowSize(kLargestWindowSide));
  show->add_option("--page", o->page, "the page to show, counted from 1 as CurrentPage counts (default 1)")
      ->option_text("N")
      ->transform(pageNumber(1000000));
  show->add_flag_callback(
      "--no-fancy-zoom", [o] { o->fancyZoom = false; }, "turn off smooth zooming");
  show->add_flag_callback(
      "--no-dither", [o] { o->dither = false; }, "turn off dithering");
  show->add_option("--bits", o->bits, "the display's depth in bits per pixel, 1 to 32 (default 24)")
      ->option_text("N")
      ->transform(wholeNumber(1, 32));
  return {show, [o, size, zoom] {
            o->zoomGiven = zoom->count() > 0;
            if (!size->empty()) splitWindowSize(*size, o->width, o->height);
            return runShow(*o);
          }};
}

}  // namespace orlim::cli
