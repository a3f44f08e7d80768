// A program outside ORLIM that embeds the control without a screen: it loads a
// picture, turns it a quarter, saves it as BMP and writes what the window shows
// as PNG. Built against the installed package, it proves the installed headers,
// libraries and CMake/pkg-config files are enough.
//
//   embed-headless PICTURE OUT.bmp SNAPSHOT.png
#include <orlim/control/OrlimCtrl.h>
#include <orlim/platform/headless/HeadlessApplication.h>
#include <orlim/platform/headless/HeadlessWindow.h>
#include <orlim/platform/headless/png_file.h>

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

namespace {

// The one place that creates the control. Everything else uses only the
// container side (COleControl) and automation by name, which is what the
// module's class factory hands out.
std::unique_ptr<orlim::COleControl> createControl() { return std::make_unique<orlim::COrlimCtrl>(); }

// Calls a method or sets a property by name; false when the call failed or the
// control answered FALSE.
bool invoke(orlim::COleControl& control, const char* name, orlim::InvokeKind kind,
            const std::vector<orlim::Variant>& args) {
  orlim::Variant result;
  const orlim::HRESULT hr = control.InvokeByName(name, kind, args, &result);
  if (orlim::FAILED(hr)) std::fprintf(stderr, "embed-headless: %s failed (0x%08X)\n", name, static_cast<unsigned>(hr));
  return orlim::SUCCEEDED(hr) && (kind != orlim::InvokeKind::Method || result.asBool());
}

long property(orlim::COleControl& control, const char* name) {
  orlim::Variant value;
  control.InvokeByName(name, orlim::InvokeKind::PropertyGet, {}, &value);
  return value.asLong();
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 4) {
    std::fprintf(stderr, "usage: embed-headless PICTURE OUT.bmp SNAPSHOT.png\n");
    return 2;
  }
  using orlim::InvokeKind;
  using orlim::Variant;
  orlim::HeadlessApplication application;
  application.onMessageBox = [](const orlim::RecordedMessageBox& box) {
    std::fprintf(stderr, "embed-headless: %s\n", box.text.c_str());
  };
  orlim::HeadlessWindow window(400, 300);
  std::unique_ptr<orlim::COleControl> control = createControl();
  control->AttachWindow(&window);
  control->ResetState();

  if (!invoke(*control, "Picture", InvokeKind::PropertyPut, {Variant::fromString(argv[1])})) return 1;
  const long width = property(*control, "ImageWidth");
  const long height = property(*control, "ImageHeight");
  if (width <= 0) return 1;
  if (!invoke(*control, "RotateImage", InvokeKind::Method, {Variant::fromFloat(90)})) return 1;
  if (!invoke(*control, "SaveAsBmp", InvokeKind::Method, {Variant::fromString(argv[2])})) return 1;
  while (window.DeliverPendingPaint()) {
  }
  std::string error;
  if (!orlim::writeSurfacePng(window.surface(), argv[3], error)) {
    std::fprintf(stderr, "embed-headless: %s\n", error.c_str());
    return 1;
  }
  std::printf("%ldx%ld turned to %ldx%ld, saved %s, snapshot %s\n", width, height, property(*control, "ImageWidth"),
              property(*control, "ImageHeight"), argv[2], argv[3]);
  return 0;
}
