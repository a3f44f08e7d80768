#include "variant_qt.h"

#include <limits>

namespace orlim {

QVariant toQVariant(const Variant& value) {
  switch (value.type()) {
    case VarType::Short:
    case VarType::Long: return QVariant(value.asLong());
    case VarType::Float: return QVariant(value.asFloat());
    case VarType::Bool: return QVariant(value.asBool());
    case VarType::String: return QVariant(QString::fromStdString(value.asString()));
    default: return QVariant();
  }
}

Variant fromQVariant(const QVariant& value) {
  switch (value.typeId()) {
    case QMetaType::Bool: return Variant::fromBool(value.toBool());
    case QMetaType::Int:
    case QMetaType::Short:
    case QMetaType::UShort:
    case QMetaType::UInt:
    case QMetaType::Long:
    case QMetaType::LongLong:
    case QMetaType::ULong:
    case QMetaType::ULongLong: {
      const qlonglong v = value.toLongLong();
      // A number a long cannot hold goes as a real, so the control's coercion reports the overflow.
      if (v < std::numeric_limits<std::int32_t>::min() || v > std::numeric_limits<std::int32_t>::max())
        return Variant::fromFloat(static_cast<float>(v));
      return Variant::fromLong(static_cast<std::int32_t>(v));
    }
    case QMetaType::Float:
    case QMetaType::Double: return Variant::fromFloat(value.toFloat());
    case QMetaType::QString: return Variant::fromString(value.toString().toStdString());
    default: return Variant();
  }
}

}  // namespace orlim
