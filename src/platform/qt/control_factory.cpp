#include "control_factory.h"

#include "control/OrlimCtrl.h"

namespace orlim {

std::unique_ptr<COleControl> createOrlimControl() { return std::make_unique<COrlimCtrl>(); }

}  // namespace orlim
