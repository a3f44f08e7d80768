// The process-wide services a Qt host needs (application, clipboard, dialogs),
// installed once for whichever is not installed yet, and kept until exit.
#pragma once

namespace orlim {

void ensureQtServices();

}  // namespace orlim
