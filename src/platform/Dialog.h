// Modal dialogs from templates. A template is plain data: the dialog's resource
// id, title, size and font in dialog units, and its controls, each a kind, an id,
// a text, a rectangle in dialog units and style flags. A backend turns a template
// into real widgets (or, headless, into a listing) and runs it until the user
// closes it. Dialogs with behaviour (CDialog.h), property sheets
// (PropertySheet.h) and the common dialogs (CommonDialogs.h) go through the same
// process-wide service.
#pragma once

#include <string>
#include <vector>

#include "platform/orlim_api.h"
#include "platform/win_types.h"

namespace orlim {

class Window;
class CDialog;
class PropertySheet;
struct OpenFileRequest;
struct ColorRequest;
struct FontRequest;

// What a control is. Push buttons, check boxes and radio buttons are buttons of
// different kinds, as a person sees them.
enum class DialogItemKind {
  Static,       // text label (or, with kSunken and no text, a framed colour swatch)
  Bitmap,       // picture from the bitmap resource `resource`
  Button,       // push button; kDefaultButton marks the one Enter presses
  Edit,         // text box; kMultiLine for several lines
  GroupBox,     // framed caption around other controls
  CheckBox,     // automatic check box: a click toggles it
  RadioButton,  // automatic radio button: a click checks it and clears the rest of its group
  UpDown,       // arrows that step the integer in the edit named by `buddy`
};

// Style flags of a control (any combination that makes sense for its kind).
enum DialogItemStyle : unsigned {
  kNoStyle = 0,
  kDefaultButton = 1u << 0,   // Button: pressed by Enter, drawn with a heavier frame
  kGroupStart = 1u << 1,      // the first control of a group (radio groups end at the next one)
  kPushLike = 1u << 2,        // CheckBox/RadioButton drawn as a push button that stays down
  kMultiLine = 1u << 3,       // Edit: several lines, Enter breaks the line; Button/Radio: "\n" breaks the caption
  kSunken = 1u << 4,          // Static: sunken frame
  kWantReturn = 1u << 5,      // Edit: Enter goes into the text instead of pressing the default button
  kVerticalScroll = 1u << 6,  // Edit: vertical scroll bar
  kArrowKeys = 1u << 7,       // UpDown: the arrow keys step it
  kSetBuddyInt = 1u << 8,     // UpDown: writes its value into the buddy as an integer
  kNoThousands = 1u << 9,     // UpDown: no thousands separators in the buddy's text
  kAlignRight = 1u << 10,     // UpDown: sits at the right edge inside its buddy
};

struct DialogItem {
  int id;  // control id; -1 for a static control nobody addresses
  DialogItemKind kind;
  std::string text;  // caption; "&" marks the mnemonic, "&&" is a literal "&"
  int resource;      // bitmap resource of a Bitmap item, 0 otherwise
  RECT rect;         // left, top, right, bottom in dialog units
  unsigned style = kNoStyle;
  int buddy = 0;  // UpDown: id of the edit it steps
};

struct ORLIM_API DialogTemplate {
  int resourceId;
  std::string title;
  int width;  // dialog units
  int height;
  std::string fontName;
  int fontPoints;
  std::vector<DialogItem> items;
  bool child = false;  // a property page: no frame or title bar of its own

  const DialogItem* find(int id) const;
};

// A caption as shown: "&&" becomes "&", a single "&" (the mnemonic mark) goes.
ORLIM_API std::string displayedCaption(const std::string& caption);

// What closed a dialog that has no buttons of its own (close box, Escape).
constexpr int IDCLOSE_DIALOG = 2;  // the same answer as IDCANCEL

// The dialogs of a backend. Everything but DoModal has a default that answers as
// a dialog the user closed at once, so a backend can grow into the services.
class ORLIM_API DialogService {
 public:
  virtual ~DialogService() = default;
  // Shows a template without behaviour modally over `owner` and returns how it
  // was closed, or -1 when it could not be shown.
  virtual int DoModal(const DialogTemplate& dialog, Window* owner) = 0;
  // Runs a dialog with behaviour: calls dialog.initialize(), shows its controls as
  // dialog.control() describes them, reports the user's input through
  // dialog.userSetText/userSetInteger/userClick/userCancel (and shows the states
  // again after each), until dialog.ended(). Returns dialog.result(), or -1.
  virtual int RunDialog(CDialog& dialog, Window* owner);
  // Runs a property sheet: sheet.open(), its pages as tabs, OK/Cancel/Apply
  // reported through sheet.ok()/cancel()/apply(), until sheet.ended().
  virtual int RunPropertySheet(PropertySheet& sheet, Window* owner);
  // The common dialogs; true when the user pressed OK (the request then holds
  // the answer), false when cancelled.
  virtual bool GetOpenFileName(OpenFileRequest& request, Window* owner);
  virtual bool ChooseColor(ColorRequest& request, Window* owner);
  virtual bool ChooseFont(FontRequest& request, Window* owner);
};

ORLIM_API void setDialogService(DialogService* service);
ORLIM_API DialogService* currentDialogService();

// Runs a dialog through the process's service; -1 when there is none.
ORLIM_API int runModalDialog(const DialogTemplate& dialog, Window* owner);

}  // namespace orlim
