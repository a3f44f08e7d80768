#include "control_factory.h"

#include <stdexcept>
#include <string>

#include "control/class_ids.h"
#include "module/exports.h"

namespace orlim {

ControlPointer createOrlimControl() {
  IClassFactory* factory = nullptr;
  HRESULT hr = DllGetClassObject(CLSID_OrlimCtrl, IID_IClassFactory, reinterpret_cast<void**>(&factory));
  IDispatch* object = nullptr;
  if (SUCCEEDED(hr)) {
    hr = factory->CreateInstance(nullptr, IID_IDispatch, reinterpret_cast<void**>(&object));
    factory->Release();
  }
  auto* control = SUCCEEDED(hr) ? dynamic_cast<COleControl*>(object) : nullptr;
  if (!control) {
    if (object) object->Release();
    throw std::runtime_error(std::string("the module gave no control: ") + describeResult(hr));
  }
  return ControlPointer(control);
}

}  // namespace orlim
