// `orlim show FILE -o view.png [options]`: loads a picture into the control in a
// headless window of the given size, paints once and writes the window as PNG.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <stdexcept>
#include <string>

#include "commands.h"
#include "control/OrlimCtrl.h"
#include "created_control.h"
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

constexpr const char* kUsage =
    "usage: orlim show FILE -o view.png [--zoom Z] [--fit none|width|image] [--layer N] [--size WxH]\n"
    "                  [--page N] [--no-fancy-zoom] [--no-dither] [--bits N]\n"
    "       pages count from 1, as CurrentPage does\n";

bool parseInt(const std::string& text, long low, long high, int& value) {
  char* end = nullptr;
  const long v = std::strtol(text.c_str(), &end, 10);
  if (text.empty() || *end != '\0' || v < low || v > high) return false;
  value = static_cast<int>(v);
  return true;
}

bool parseSize(const std::string& text, int& width, int& height) {
  const auto x = text.find('x');
  return x != std::string::npos && parseInt(text.substr(0, x), 1, 20000, width) &&
         parseInt(text.substr(x + 1), 1, 20000, height);
}

bool parseFit(const std::string& text, int& fit) {
  const char* names[] = {"none", "width", "image"};
  for (int i = 0; i < 3; ++i)
    if (text == names[i]) {
      fit = i;
      return true;
    }
  return false;
}

// Names the word the parser could not take, so the user sees which one was wrong.
void reportUnexpected(const std::string& a) {
  for (const char* valued : {"-o", "--zoom", "--fit", "--layer", "--size", "--page", "--bits"})
    if (a == valued) {
      std::fprintf(stderr, "orlim show: %s needs a value\n", valued);
      return;
    }
  std::fprintf(
      stderr,
      a.size() > 1 && a[0] == '-' ? "orlim show: unknown option '%s'\n" : "orlim show: unexpected argument '%s'\n",
      a.c_str());
}

bool parseOptions(const Args& args, ShowOptions& o) {
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    const bool hasValue = i + 1 < args.size();
    const std::string value = hasValue ? args[i + 1] : std::string();
    bool ok = true;
    if (a == "-o" && hasValue) {
      o.output = value;
    } else if (a == "--zoom" && hasValue) {
      ok = parseInt(value, -1000, 1000, o.zoom);
      o.zoomGiven = true;
    } else if (a == "--fit" && hasValue) {
      ok = parseFit(value, o.fit);
    } else if (a == "--layer" && hasValue) {
      ok = parseInt(value, 0, 3, o.layer);
    } else if (a == "--size" && hasValue) {
      ok = parseSize(value, o.width, o.height);
    } else if (a == "--page" && hasValue) {
      ok = parseInt(value, 1, 1000000, o.page);
    } else if (a == "--bits" && hasValue) {
      ok = parseInt(value, 1, 32, o.bits);
    } else if (a == "--no-fancy-zoom" || a == "--no-dither") {
      (a == "--no-dither" ? o.dither : o.fancyZoom) = false;
      continue;
    } else if (o.file.empty() && !a.empty() && a[0] != '-') {
      o.file = a;
      continue;
    } else {
      reportUnexpected(a);
      return false;
    }
    if (!ok) return false;
    ++i;
  }
  return !o.file.empty() && !o.output.empty();
}

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

}  // namespace

int runShow(const Args& args) {
  ShowOptions o;
  if (!parseOptions(args, o)) {
    std::fputs(kUsage, stderr);
    return 2;
  }
  try {
    return showPicture(o);
  } catch (const std::runtime_error& failure) {
    std::fprintf(stderr, "orlim: %s\n", failure.what());
    return 1;
  }
}

}  // namespace orlim::cli
