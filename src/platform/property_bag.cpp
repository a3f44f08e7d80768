#include <fstream>

#include "platform/PropertyBag.h"

namespace orlim {

void PropertyBag::Write(const std::string& name, const Variant& value) {
  for (auto& entry : entries_)
    if (entry.first == name) {
      entry.second = value;
      return;
    }
  entries_.emplace_back(name, value);
}

const Variant* PropertyBag::Read(const std::string& name) const {
  for (const auto& entry : entries_)
    if (entry.first == name) return &entry.second;
  return nullptr;
}

bool PropertyBag::saveToFile(const std::string& path) const {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  for (const auto& [name, value] : entries_) out << name << " = " << formatVariant(value) << "\n";
  out.flush();
  return static_cast<bool>(out);
}

namespace {

std::string trim(const std::string& s) {
  const auto first = s.find_first_not_of(" \t\r");
  if (first == std::string::npos) return "";
  return s.substr(first, s.find_last_not_of(" \t\r") - first + 1);
}

}  // namespace

bool PropertyBag::loadFromFile(const std::string& path) {
  entries_.clear();
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  std::string line;
  while (std::getline(in, line)) {
    if (trim(line).empty()) continue;
    const auto equals = line.find('=');
    Variant value;
    if (equals == std::string::npos || trim(line.substr(0, equals)).empty() ||
        !parseVariant(trim(line.substr(equals + 1)), value)) {
      entries_.clear();
      return false;
    }
    Write(trim(line.substr(0, equals)), value);
  }
  return true;
}

namespace {

// Moves one value in the exchange's direction, through automation coercion.
template <class Value, class Make, class Take>
BOOL exchange(CPropExchange& px, const char* name, Value& value, const Value& defaultValue, VarType type, Make make,
              Take take) {
  if (!px.IsLoading()) {
    px.bag().Write(name, make(value));
    return TRUE;
  }
  const Variant* stored = px.bag().Read(name);
  Variant coerced;
  if (!stored || FAILED(stored->coerceTo(type, coerced))) {
    value = defaultValue;
    return FALSE;
  }
  value = take(coerced);
  return TRUE;
}

}  // namespace

BOOL PX_Long(CPropExchange& px, const char* name, LONG& value, LONG defaultValue) {
  return exchange(
      px, name, value, defaultValue, VarType::Long, [](LONG v) { return Variant::fromLong(v); },
      [](const Variant& v) { return v.asLong(); });
}

BOOL PX_Short(CPropExchange& px, const char* name, std::int16_t& value, std::int16_t defaultValue) {
  return exchange(
      px, name, value, defaultValue, VarType::Short, [](std::int16_t v) { return Variant::fromShort(v); },
      [](const Variant& v) { return v.asShort(); });
}

BOOL PX_Bool(CPropExchange& px, const char* name, BOOL& value, BOOL defaultValue) {
  return exchange(
      px, name, value, defaultValue, VarType::Bool, [](BOOL v) { return Variant::fromBool(v != 0); },
      [](const Variant& v) { return v.asBool() ? TRUE : FALSE; });
}

BOOL PX_String(CPropExchange& px, const char* name, std::string& value, const std::string& defaultValue) {
  return exchange(
      px, name, value, defaultValue, VarType::String, [](const std::string& v) { return Variant::fromString(v); },
      [](const Variant& v) { return v.asString(); });
}

BOOL PX_Color(CPropExchange& px, const char* name, OLE_COLOR& value, OLE_COLOR defaultValue) {
  // Colours travel as longs; system colours (high bit set) keep their bits.
  return exchange(
      px, name, value, defaultValue, VarType::Long,
      [](OLE_COLOR v) { return Variant::fromLong(static_cast<std::int32_t>(v)); },
      [](const Variant& v) { return static_cast<OLE_COLOR>(v.asLong()); });
}

}  // namespace orlim
