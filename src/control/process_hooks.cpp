// The process-wide reporting slots of the lower layers, pointed at the
// application message box. Installing is idempotent; every control does it.
#include "control/OrlimCtrl.h"

namespace orlim {

void installProcessHooks() {
  // The format code's message-box hook and the DjVu layer's error handler join
  // here once those layers offer their installers.
}

}  // namespace orlim
