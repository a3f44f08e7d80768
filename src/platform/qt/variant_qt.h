// Automation values and QVariants, each way.
#pragma once

#include <QVariant>

#include "platform/Variant.h"

namespace orlim {

QVariant toQVariant(const Variant& value);
// Booleans, whole numbers (within a long), reals and text; anything else is Empty.
Variant fromQVariant(const QVariant& value);

}  // namespace orlim
