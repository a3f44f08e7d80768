#include "control/module_state.h"

namespace orlim {

ModuleState& moduleState() {
  static ModuleState state;
  return state;
}

}  // namespace orlim
