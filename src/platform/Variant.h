// The automation value: empty, short, long, float, BOOL, string or a null
// dispatch pointer (the only object value the control's interface exchanges),
// with the coercions automation applies between them.
#pragma once

#include <cstdint>
#include <string>
#include <utility>

#include "platform/HResult.h"
#include "platform/orlim_api.h"

namespace orlim {

enum class VarType : std::uint8_t { Empty, Short, Long, Float, Bool, String, Dispatch };

ORLIM_API const char* varTypeName(VarType type);

class ORLIM_API Variant {
 public:
  // The makers are inline so that a container which only loads the module can
  // build arguments without linking against it.
  Variant() = default;
  static Variant fromShort(std::int16_t v) { return Variant(VarType::Short, v); }
  static Variant fromLong(std::int32_t v) { return Variant(VarType::Long, v); }
  static Variant fromFloat(float v) {
    Variant r(VarType::Float, 0);
    r.real_ = v;
    return r;
  }
  static Variant fromBool(bool v) { return Variant(VarType::Bool, v ? -1 : 0); }
  static Variant fromString(std::string v) {
    Variant r(VarType::String, 0);
    r.text_ = std::move(v);
    return r;
  }
  static Variant nullDispatch() { return Variant(VarType::Dispatch, 0); }

  VarType type() const { return type_; }
  bool isEmpty() const { return type_ == VarType::Empty; }
  // Direct reads of a value already of the type (after coerceTo); other types give 0/"".
  std::int32_t asLong() const { return integer_; }
  std::int16_t asShort() const { return static_cast<std::int16_t>(integer_); }
  float asFloat() const { return real_; }
  bool asBool() const { return integer_ != 0; }
  const std::string& asString() const { return text_; }

  // Converts into `target` as automation does: numbers between each other with range
  // checks (DISP_E_OVERFLOW), True as -1 and False as 0, strings parsed as numbers or
  // True/False (DISP_E_TYPEMISMATCH when they are neither), numbers printed as text.
  // A dispatch value converts only to itself; Empty converts to zero, False, "" or null.
  HRESULT coerceTo(VarType target, Variant& out) const;

  bool operator==(const Variant& other) const = default;

 private:
  Variant(VarType type, std::int32_t integer) : type_(type), integer_(integer) {}

  VarType type_ = VarType::Empty;
  std::int32_t integer_ = 0;  // Short, Long, Bool (True is -1)
  float real_ = 0;
  std::string text_;
};

// Text forms shared by the script host and the property bag file: integers,
// decimals, True/False, Empty, Nothing and double-quoted strings in which a
// backslash escapes a quote, a backslash, or stands for a line break as \n.
ORLIM_API std::string formatVariant(const Variant& value);
// Parses one literal as formatVariant writes it; false when the text is not one.
ORLIM_API bool parseVariant(const std::string& text, Variant& out);

}  // namespace orlim
