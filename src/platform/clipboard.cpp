#include "platform/Clipboard.h"

namespace orlim {

namespace {
Clipboard* theClipboard = nullptr;
}

void setClipboard(Clipboard* clipboard) { theClipboard = clipboard; }
Clipboard* currentClipboard() { return theClipboard; }

ClipboardSession::ClipboardSession(Window* owner) : clipboard_(theClipboard) {
  open_ = clipboard_ && clipboard_->OpenClipboard(owner);
}

ClipboardSession::~ClipboardSession() {
  if (open_) clipboard_->CloseClipboard();
}

}  // namespace orlim
