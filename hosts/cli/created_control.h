// The control a command runs, created as a container creates it: through the
// class factory of the module the registry names for "ORLIM.OrlimCtrl.1", or,
// when the class is not registered, through the factory of the library this
// program runs on, loaded by dlopen. Never with `new`.
#pragma once

#include <string>

#include "control/OrlimCtrl.h"

namespace orlim::cli {

class CreatedControl {
 public:
  // Throws std::runtime_error when no factory gives a control.
  CreatedControl();
  ~CreatedControl();
  CreatedControl(const CreatedControl&) = delete;
  CreatedControl& operator=(const CreatedControl&) = delete;

  COrlimCtrl& control() const { return *control_; }

 private:
  void* library_ = nullptr;
  IDispatch* object_ = nullptr;
  COrlimCtrl* control_ = nullptr;
};

// The module file the registry names for the control's ProgID; "" when the
// class is not registered or the registry cannot be read.
std::string registeredControlModule(CLSID& clsid);

}  // namespace orlim::cli
