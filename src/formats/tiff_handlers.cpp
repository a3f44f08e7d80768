#include "formats/tiff_handlers.h"

#include <tiffio.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "formats/message_hook.h"
#include "image/Image.h"

namespace orlim {

namespace {

// Caption "<module> Error" and the formatted text share one buffer sized from
// the module and format lengths; a longer text is cut to what fits.
void reportTiffMessage(const char* module, const char* format, va_list arguments, MessageIcon icon) {
  const char* name = module ? module : "TIFFLIB";
  const std::size_t size = std::strlen(name) + std::strlen(format ? format : "") + 8 + 128;
  char* buffer = static_cast<char*>(std::malloc(size));
  if (!buffer) return;
  const int captionLength = std::snprintf(buffer, size, "%s Error", name);
  char* text = buffer + captionLength + 1;
  const std::size_t textRoom = size - captionLength - 1;
  if (format)
    std::vsnprintf(text, textRoom, format, arguments);
  else
    text[0] = '\0';
  showFormatMessageBox(text, buffer, icon);
  std::snprintf(messageBuffer, sizeof messageBuffer, "%s", text);
  std::free(buffer);
}

}  // namespace

void reportTiffError(const char* module, const char* format, va_list arguments) {
  reportTiffMessage(module, format, arguments, MessageIcon::Error);
}

void reportTiffWarning(const char* module, const char* format, va_list arguments) {
  reportTiffMessage(module, format, arguments, MessageIcon::Warning);
}

void installTiffHandlers(int showWarnings) {
  TIFFSetErrorHandler(reportTiffError);
  TIFFSetWarningHandler(showWarnings ? reportTiffWarning : nullptr);
}

}  // namespace orlim
