#include "platform/Dialog.h"

namespace orlim {

namespace {
DialogService* theDialogService = nullptr;
}

void setDialogService(DialogService* service) { theDialogService = service; }
DialogService* currentDialogService() { return theDialogService; }

int runModalDialog(const DialogTemplate& dialog, Window* owner) {
  return theDialogService ? theDialogService->DoModal(dialog, owner) : -1;
}

}  // namespace orlim
