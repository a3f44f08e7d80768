// The process-wide reporting slot of the format code (TIFF errors and warnings),
// pointed at the application message box. Installing is idempotent; every
// control does it. The DjVu layer needs nothing here: it reports through the
// errorHandler of the Image it works on, which the control set up.
#include "control/OrlimCtrl.h"
#include "formats/message_hook.h"
#include "platform/Application.h"

namespace orlim {

void installProcessHooks() {
  setMessageBoxHook([](const char* text, const char* caption, MessageIcon icon) {
    CaptionedMessageBox(text, caption, MB_OK | (icon == MessageIcon::Error ? MB_ICONERROR : MB_ICONWARNING));
  });
}

}  // namespace orlim
