// Property pages and the sheet that shows them. A page is a dialog (a child
// template) whose controls are bound, by property name, to the automation object
// it edits; the sheet fills every page from the object when it opens, and on
// Apply or OK writes back only the controls the user changed, by name through
// the object's dispatch interface.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "platform/CDialog.h"
#include "platform/Dispatch.h"
#include "platform/orlim_api.h"

namespace orlim {

// How a control shows a property.
enum class PropertyBindingKind {
  Text,     // the property's value as text (edit or static)
  Integer,  // an edit holding a 32-bit integer
  Check,    // a check box: unchecked False, checked True
  Radio,    // a radio group (the id of its first button): the index of the checked one
};

struct PropertyBinding {
  int controlId;
  PropertyBindingKind kind;
  const char* property;
};

class ORLIM_API COlePropertyPage : public CDialog {
 public:
  // `bindings` in the order of the page's data exchange.
  COlePropertyPage(const DialogTemplate& dialog, std::string caption, std::vector<PropertyBinding> bindings)
      : CDialog(dialog), caption_(std::move(caption)), bindings_(std::move(bindings)) {}

  const std::string& caption() const { return caption_; }
  // Fills the bound controls from the object's properties; clears every change mark.
  void loadFrom(IDispatch& object);
  // Writes the changed bound controls to the object; false (nothing written)
  // when one does not hold a value of its kind.
  bool applyTo(IDispatch& object);
  // Some control the user changed since the last load or apply.
  bool isModified() const;

 private:
  bool bindingChanged(const PropertyBinding& binding) const;
  bool readBinding(const PropertyBinding& binding, Variant& value);

  std::string caption_;
  std::vector<PropertyBinding> bindings_;
};

class ORLIM_API PropertySheet {
 public:
  PropertySheet(std::string title, IDispatch& object, std::vector<std::unique_ptr<COlePropertyPage>> pages)
      : title_(std::move(title)), object_(object), pages_(std::move(pages)) {}

  // Shows the sheet modally through the process's dialog service: IDOK, IDCANCEL,
  // or -1 when it cannot be shown (or has no pages).
  int DoModal(Window* owner);

  // ---- the backend's side ----
  const std::string& title() const { return title_; }
  std::size_t pageCount() const { return pages_.size(); }
  COlePropertyPage& page(std::size_t index) { return *pages_.at(index); }
  std::size_t activePage() const { return active_; }
  // Index of the page with this caption (as shown), or -1.
  int findPage(const std::string& caption) const;
  void selectPage(std::size_t index);
  // Initialises every page and fills it from the object.
  void open(Window* owner);
  // Writes every page's changes, then shows the object's values again; false
  // when a page's value could not be read (that page is selected).
  bool apply();
  void ok();
  void cancel() { result_ = IDCANCEL; }
  bool canApply() const;
  bool ended() const { return result_ != 0; }
  int result() const { return result_; }

 private:
  std::string title_;
  IDispatch& object_;
  std::vector<std::unique_ptr<COlePropertyPage>> pages_;
  std::size_t active_ = 0;
  int result_ = 0;
};

}  // namespace orlim
