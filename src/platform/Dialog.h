// Modal dialogs from templates. A template is data: the dialog's resource id,
// title, size and font in dialog units, and its controls; the platform's dialog
// service turns it into a real dialog and runs it until the user closes it.
#pragma once

#include <string>
#include <vector>

#include "platform/win_types.h"

namespace orlim {

class Window;

enum class DialogItemKind { Static, Bitmap, Button, Edit };

struct DialogItem {
  int id;               // control id; -1 for a static control nobody addresses
  DialogItemKind kind;
  std::string text;     // the caption (static, button)
  int resource;         // bitmap resource of a Bitmap item, 0 otherwise
  RECT rect;            // left, top, right, bottom in dialog units
};

struct DialogTemplate {
  int resourceId;
  std::string title;
  int width;            // dialog units
  int height;
  std::string fontName;
  int fontPoints;
  std::vector<DialogItem> items;
};

// What closed a dialog that has no buttons of its own (close box, Escape).
constexpr int IDCLOSE_DIALOG = 2;  // the same answer as IDCANCEL

class DialogService {
 public:
  virtual ~DialogService() = default;
  // Shows the dialog modally over `owner` and returns how it was closed, or -1
  // when it could not be shown.
  virtual int DoModal(const DialogTemplate& dialog, Window* owner) = 0;
};

void setDialogService(DialogService* service);
DialogService* currentDialogService();

// Runs a dialog through the process's service; -1 when there is none.
int runModalDialog(const DialogTemplate& dialog, Window* owner);

}  // namespace orlim
