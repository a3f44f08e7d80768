// The type library ORLIMLib: the control's two interfaces, its two enumerations
// and its class, described from the dispatch tables the control answers to.
#pragma once

#include "platform/TypeLibrary.h"
#include "platform/orlim_api.h"

namespace orlim {

ORLIM_API const TypeLibrary& orlimTypeLibrary();

}  // namespace orlim
