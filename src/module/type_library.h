// The type library ORLIMLib: the control's two interfaces, its two enumerations
// and its class, described from the dispatch tables the control answers to.
#pragma once

#include "platform/TypeLibrary.h"

namespace orlim {

const TypeLibrary& orlimTypeLibrary();

}  // namespace orlim
