// Where the widget gets its control: from the module's class factory, as any
// container creates it, and given back by Release, never by delete.
#pragma once

#include <memory>

#include "platform/OleControl.h"

namespace orlim {

struct ReleaseControl {
  void operator()(COleControl* control) const { control->Release(); }
};
using ControlPointer = std::unique_ptr<COleControl, ReleaseControl>;

// Throws std::runtime_error when the module's factory gives no control.
ControlPointer createOrlimControl();

}  // namespace orlim
