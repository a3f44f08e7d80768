#include "platform/PropertySheet.h"

namespace orlim {

namespace {

// A page knows its object only as an automation interface: names become ids first.
HRESULT invokeByName(IDispatch& object, const char* name, InvokeKind kind, const std::vector<Variant>& args,
                     Variant* result) {
  std::vector<DISPID> ids;
  const HRESULT hr = object.GetIDsOfNames({name}, ids);
  if (FAILED(hr)) return hr;
  return object.Invoke(ids.at(0), kind, args, result);
}

bool getProperty(IDispatch& object, const char* name, VarType type, Variant& value) {
  Variant raw;
  if (FAILED(invokeByName(object, name, InvokeKind::PropertyGet, {}, &raw))) return false;
  return SUCCEEDED(raw.coerceTo(type, value));
}

}  // namespace

void COlePropertyPage::loadFrom(IDispatch& object) {
  for (const PropertyBinding& b : bindings_) {
    Variant value;
    switch (b.kind) {
      case PropertyBindingKind::Text:
        if (getProperty(object, b.property, VarType::String, value)) SetDlgItemText(b.controlId, value.asString());
        break;
      case PropertyBindingKind::Integer:
        if (getProperty(object, b.property, VarType::Long, value))
          SetDlgItemText(b.controlId, std::to_string(value.asLong()));
        break;
      case PropertyBindingKind::Check:
        if (getProperty(object, b.property, VarType::Bool, value)) CheckDlgButton(b.controlId, value.asBool());
        break;
      case PropertyBindingKind::Radio:
        if (getProperty(object, b.property, VarType::Long, value)) {
          const std::vector<int> group = radioGroupOf(b.controlId);
          for (std::size_t i = 0; i < group.size(); ++i)
            CheckDlgButton(group[i], static_cast<std::int64_t>(i) == value.asLong());
        }
        break;
    }
  }
  for (const DialogItem& item : dialogTemplate().items) SetControlStatus(item.id, false);
}

bool COlePropertyPage::bindingChanged(const PropertyBinding& binding) const {
  if (binding.kind != PropertyBindingKind::Radio) {
    const ControlState* s = control(binding.controlId);
    return s && s->changed;
  }
  for (int id : radioGroupOf(binding.controlId))
    if (control(id)->changed) return true;
  return false;
}

bool COlePropertyPage::readBinding(const PropertyBinding& binding, Variant& value) {
  CDataExchange dx(*this, true);
  switch (binding.kind) {
    case PropertyBindingKind::Text: value = Variant::fromString(GetDlgItemText(binding.controlId)); return true;
    case PropertyBindingKind::Integer: {
      int number = 0;
      DDX_Text(dx, binding.controlId, number);
      value = Variant::fromLong(number);
      return !dx.failed();
    }
    case PropertyBindingKind::Check: value = Variant::fromBool(IsDlgButtonChecked(binding.controlId) != 0); return true;
    case PropertyBindingKind::Radio: {
      int index = -1;
      DDX_Radio(dx, binding.controlId, index);
      value = Variant::fromLong(index);
      return index >= 0;
    }
  }
  return false;
}

bool COlePropertyPage::applyTo(IDispatch& object) {
  std::vector<std::pair<const char*, Variant>> writes;
  for (const PropertyBinding& b : bindings_) {
    if (!bindingChanged(b)) continue;
    Variant value;
    if (readBinding(b, value))
      writes.emplace_back(b.property, value);
    else if (b.kind != PropertyBindingKind::Radio)
      return false;  // a radio group with nothing checked has nothing to write
  }
  for (const auto& [name, value] : writes) invokeByName(object, name, InvokeKind::PropertyPut, {value}, nullptr);
  for (const DialogItem& item : dialogTemplate().items) SetControlStatus(item.id, false);
  return true;
}

bool COlePropertyPage::isModified() const {
  for (const DialogItem& item : dialogTemplate().items) {
    const ControlState* s = control(item.id);
    if (s && s->changed) return true;
  }
  return false;
}

int PropertySheet::DoModal(Window* owner) {
  DialogService* service = currentDialogService();
  return service && !pages_.empty() ? service->RunPropertySheet(*this, owner) : -1;
}

int PropertySheet::findPage(const std::string& caption) const {
  for (std::size_t i = 0; i < pages_.size(); ++i)
    if (displayedCaption(pages_[i]->caption()) == caption) return static_cast<int>(i);
  return -1;
}

void PropertySheet::selectPage(std::size_t index) {
  if (index < pages_.size()) active_ = index;
}

void PropertySheet::open(Window* owner) {
  result_ = 0;
  active_ = 0;
  for (auto& page : pages_) {
    page->initialize(owner);
    page->loadFrom(object_);
  }
}

bool PropertySheet::apply() {
  for (std::size_t i = 0; i < pages_.size(); ++i) {
    if (!pages_[i]->applyTo(object_)) {
      active_ = i;
      return false;
    }
  }
  // Applying may change other properties (a new picture has a new size).
  for (auto& page : pages_) page->loadFrom(object_);
  return true;
}

void PropertySheet::ok() {
  if (apply()) result_ = IDOK;
}

bool PropertySheet::canApply() const {
  for (const auto& page : pages_)
    if (page->isModified()) return true;
  return false;
}

}  // namespace orlim
