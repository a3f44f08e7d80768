// Puts arbitrary bytes on the clipboard as a CF_DIB block and pastes them into a
// control that shows a picture, as another program's clipboard data would arrive.
// A refused block must leave the picture; an accepted one must copy back out.
#include <cstdint>
#include <cstring>

#include "control/OrlimCtrl.h"
#include "platform/headless/HeadlessApplication.h"
#include "platform/headless/HeadlessClipboard.h"
#include "platform/headless/HeadlessWindow.h"

namespace {

struct Container {
  orlim::HeadlessApplication application;
  orlim::HeadlessClipboard clipboard;
  orlim::HeadlessWindow window{64, 48};
  orlim::COrlimCtrl control;
  Container() {
    control.AttachWindow(&window);
    control.ResetState();
  }
};

// A 3 x 2 picture to be replaced, or kept when the paste is refused.
void showKnownPicture(Container& c) {
  std::uint8_t block[40 + 2 * 12] = {};
  const orlim::BITMAPINFOHEADER h{40, 3, 2, 1, 24, orlim::BI_RGB, 24, 0, 0, 0, 0};
  std::memcpy(block, &h, sizeof h);
  block[40] = 0x5A;
  c.clipboard.replaceWith(orlim::CF_DIB, orlim::ClipboardBlock(block, block + sizeof block));
  c.control.PasteFromClipboard();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static Container c;
  showKnownPicture(c);
  c.clipboard.replaceWith(orlim::CF_DIB, orlim::ClipboardBlock(data, data + size));
  const bool pasted = c.control.PasteFromClipboard();
  if (!pasted && (c.control.image.width != 3 || c.control.image.bits()[0] != 0x5A)) __builtin_trap();
  if (pasted && !c.control.CopyToClipboard()) __builtin_trap();
  c.application.clearMessages();
  return 0;
}
