// Where the widget gets its control: the one place that knows which class it is.
#pragma once

#include <memory>

#include "platform/OleControl.h"

namespace orlim {

std::unique_ptr<COleControl> createOrlimControl();

}  // namespace orlim
