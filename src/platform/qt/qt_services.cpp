#include "qt_services.h"

#include <memory>

#include "QtApplication.h"
#include "QtClipboard.h"
#include "QtDialogs.h"

namespace orlim {

void ensureQtServices() {
  static std::unique_ptr<QtApplication> application;
  static std::unique_ptr<QtClipboard> clipboard;
  static std::unique_ptr<QtDialogs> dialogs;
  if (!currentApplication()) application = std::make_unique<QtApplication>();
  if (!currentClipboard()) clipboard = std::make_unique<QtClipboard>();
  if (!currentDialogService()) dialogs = std::make_unique<QtDialogs>();
}

}  // namespace orlim
