#include "platform/Dialog.h"

#include "platform/CommonDialogs.h"

namespace orlim {

namespace {
DialogService* theDialogService = nullptr;
}

const DialogItem* DialogTemplate::find(int id) const {
  if (id == -1) return nullptr;
  for (const DialogItem& item : items)
    if (item.id == id) return &item;
  return nullptr;
}

std::string displayedCaption(const std::string& caption) {
  std::string shown;
  for (std::size_t i = 0; i < caption.size(); ++i) {
    if (caption[i] != '&') {
      shown += caption[i];
    } else if (i + 1 < caption.size() && caption[i + 1] == '&') {
      shown += '&';
      ++i;
    }
  }
  return shown;
}

int DialogService::RunDialog(CDialog&, Window*) { return -1; }
int DialogService::RunPropertySheet(PropertySheet&, Window*) { return -1; }
bool DialogService::GetOpenFileName(OpenFileRequest&, Window*) { return false; }
bool DialogService::ChooseColor(ColorRequest&, Window*) { return false; }
bool DialogService::ChooseFont(FontRequest&, Window*) { return false; }

void setDialogService(DialogService* service) { theDialogService = service; }
DialogService* currentDialogService() { return theDialogService; }

int runModalDialog(const DialogTemplate& dialog, Window* owner) {
  return theDialogService ? theDialogService->DoModal(dialog, owner) : -1;
}

std::vector<std::pair<std::string, std::string>> splitFileFilter(const std::string& filter) {
  std::vector<std::string> parts;
  std::size_t start = 0;
  while (start < filter.size()) {
    const std::size_t bar = filter.find('|', start);
    if (bar == std::string::npos || bar == start) break;  // "||" ends the list
    parts.push_back(filter.substr(start, bar - start));
    start = bar + 1;
  }
  std::vector<std::pair<std::string, std::string>> pairs;
  for (std::size_t i = 0; i + 1 < parts.size(); i += 2) pairs.emplace_back(parts[i], parts[i + 1]);
  return pairs;
}

bool GetOpenFileName(OpenFileRequest& request, Window* owner) {
  return theDialogService && theDialogService->GetOpenFileName(request, owner);
}

bool ChooseColor(ColorRequest& request, Window* owner) {
  return theDialogService && theDialogService->ChooseColor(request, owner);
}

bool ChooseFont(FontRequest& request, Window* owner) {
  return theDialogService && theDialogService->ChooseFont(request, owner);
}

}  // namespace orlim
