// libtiff's process-wide error and warning handlers: each shows the message
// through the format code's message-box hook and keeps a copy in messageBuffer.
#pragma once

#include <cstdarg>

namespace orlim {

void reportTiffError(const char* module, const char* format, va_list arguments);
void reportTiffWarning(const char* module, const char* format, va_list arguments);

// Installs reportTiffError, and reportTiffWarning when `showWarnings` is
// non-zero (no warning handler otherwise).
void installTiffHandlers(int showWarnings);

}  // namespace orlim
