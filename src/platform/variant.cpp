#include "platform/Variant.h"

#include <locale.h>
#include <strings.h>

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <limits>

namespace orlim {

const char* varTypeName(VarType type) {
  switch (type) {
    case VarType::Empty: return "Empty";
    case VarType::Short: return "short";
    case VarType::Long: return "long";
    case VarType::Float: return "float";
    case VarType::Bool: return "BOOL";
    case VarType::String: return "string";
    case VarType::Dispatch: return "dispatch";
  }
  return "?";
}

namespace {

// Numbers are read and printed with a decimal point whatever LC_NUMERIC the host
// chose (a toolkit may set it from the user's environment): a comma-decimal
// locale must not change what a script or a property text means. Switches the
// calling thread to the C locale for the object's lifetime.
class ClassicNumbers {
 public:
  ClassicNumbers() : previous_(::uselocale(classic())) {}
  ~ClassicNumbers() { ::uselocale(previous_); }
  ClassicNumbers(const ClassicNumbers&) = delete;
  ClassicNumbers& operator=(const ClassicNumbers&) = delete;

 private:
  static locale_t classic() {
    static const locale_t c = ::newlocale(LC_ALL_MASK, "C", locale_t{});
    return c;
  }
  locale_t previous_;
};

bool isNumberText(const std::string& s) {
  if (s.empty()) return false;
  bool digit = false;
  for (char c : s) {
    if (c >= '0' && c <= '9')
      digit = true;
    else if (c != '+' && c != '-' && c != '.' && c != 'e' && c != 'E')
      return false;
  }
  return digit;
}

// The number a text spells, or false. Integers are kept exact in `whole`.
bool parseNumber(const std::string& s, double& value) {
  if (!isNumberText(s)) return false;
  const ClassicNumbers classic;
  errno = 0;
  char* end = nullptr;
  value = std::strtod(s.c_str(), &end);
  return end && *end == '\0' && std::isfinite(value);
}

// Automation rounds halves to even when it turns a real into an integer.
HRESULT realToInteger(double value, double low, double high, std::int32_t& out) {
  if (!std::isfinite(value)) return DISP_E_OVERFLOW;
  const double rounded = std::nearbyint(value);
  if (rounded < low || rounded > high) return DISP_E_OVERFLOW;
  out = static_cast<std::int32_t>(rounded);
  return S_OK;
}

std::string formatReal(float v) {
  const ClassicNumbers classic;
  char buffer[64];
  std::snprintf(buffer, sizeof buffer, "%.9g", static_cast<double>(v));
  // Prefer the shortest text that reads back to the same float.
  for (int precision = 1; precision <= 9; ++precision) {
    char shorter[64];
    std::snprintf(shorter, sizeof shorter, "%.*g", precision, static_cast<double>(v));
    if (std::strtof(shorter, nullptr) == v) return shorter;
  }
  return buffer;
}

}  // namespace

HRESULT Variant::coerceTo(VarType target, Variant& out) const {
  if (target == type_) {
    out = *this;
    return S_OK;
  }
  if (type_ == VarType::Dispatch) return DISP_E_TYPEMISMATCH;
  // The value as a real number, for the numeric targets.
  double number = 0;
  switch (type_) {
    case VarType::Empty: number = 0; break;
    case VarType::Short:
    case VarType::Long:
    case VarType::Bool: number = integer_; break;
    case VarType::Float: number = real_; break;
    case VarType::String:
      if (strcasecmp(text_.c_str(), "true") == 0)
        number = -1;
      else if (strcasecmp(text_.c_str(), "false") == 0)
        number = 0;
      else if (!parseNumber(text_, number))
        return DISP_E_TYPEMISMATCH;
      break;
    case VarType::Dispatch: break;
  }
  std::int32_t whole = 0;
  HRESULT hr = S_OK;
  switch (target) {
    case VarType::Empty: out = Variant(); return S_OK;
    case VarType::Short:
      hr = realToInteger(number, -32768.0, 32767.0, whole);
      if (SUCCEEDED(hr)) out = fromShort(static_cast<std::int16_t>(whole));
      return hr;
    case VarType::Long:
      hr = realToInteger(number, -2147483648.0, 2147483647.0, whole);
      if (SUCCEEDED(hr)) out = fromLong(whole);
      return hr;
    case VarType::Float:
      if (std::fabs(number) > std::numeric_limits<float>::max()) return DISP_E_OVERFLOW;
      out = fromFloat(static_cast<float>(number));
      return S_OK;
    case VarType::Bool: out = fromBool(number != 0); return S_OK;
    case VarType::String:
      if (type_ == VarType::Empty)
        out = fromString("");
      else if (type_ == VarType::Bool)
        out = fromString(integer_ ? "True" : "False");
      else if (type_ == VarType::Float)
        out = fromString(formatReal(real_));
      else
        out = fromString(std::to_string(integer_));
      return S_OK;
    case VarType::Dispatch:
      if (type_ != VarType::Empty) return DISP_E_TYPEMISMATCH;
      out = nullDispatch();
      return S_OK;
  }
  return DISP_E_TYPEMISMATCH;
}

std::string formatVariant(const Variant& value) {
  switch (value.type()) {
    case VarType::Empty: return "Empty";
    case VarType::Short:
    case VarType::Long: return std::to_string(value.asLong());
    case VarType::Float: return formatReal(value.asFloat());
    case VarType::Bool: return value.asBool() ? "True" : "False";
    case VarType::Dispatch: return "Nothing";
    case VarType::String: {
      std::string out = "\"";
      for (char c : value.asString()) {
        if (c == '"' || c == '\\') out += '\\';
        if (c == '\n') {
          out += "\\n";
          continue;
        }
        out += c;
      }
      return out + "\"";
    }
  }
  return "";
}

namespace {

bool parseQuoted(const std::string& text, Variant& out) {
  if (text.size() < 2 || text.front() != '"' || text.back() != '"') return false;
  std::string value;
  for (std::size_t i = 1; i + 1 < text.size(); ++i) {
    char c = text[i];
    if (c == '"') return false;  // an unescaped quote inside
    if (c == '\\') {
      if (i + 2 >= text.size()) return false;  // a backslash escaping the closing quote
      const char next = text[++i];
      if (next == 'n')
        c = '\n';
      else if (next == '"' || next == '\\')
        c = next;
      else
        return false;
    }
    value += c;
  }
  out = Variant::fromString(std::move(value));
  return true;
}

bool parseInteger(const std::string& text, Variant& out) {
  std::size_t i = (text[0] == '-' || text[0] == '+') ? 1 : 0;
  if (i >= text.size()) return false;
  for (std::size_t j = i; j < text.size(); ++j)
    if (text[j] < '0' || text[j] > '9') return false;
  errno = 0;
  const long long v = std::strtoll(text.c_str(), nullptr, 10);
  if (errno == ERANGE || v < INT32_MIN || v > INT32_MAX) {
    // Too big for a long: kept as a real so that the member's coercion reports it.
    out = Variant::fromFloat(std::strtof(text.c_str(), nullptr));
    return true;
  }
  out = Variant::fromLong(static_cast<std::int32_t>(v));
  return true;
}

}  // namespace

bool parseVariant(const std::string& text, Variant& out) {
  if (text.empty()) return false;
  if (text[0] == '"') return parseQuoted(text, out);
  if (strcasecmp(text.c_str(), "true") == 0) return out = Variant::fromBool(true), true;
  if (strcasecmp(text.c_str(), "false") == 0) return out = Variant::fromBool(false), true;
  if (strcasecmp(text.c_str(), "empty") == 0) return out = Variant(), true;
  if (strcasecmp(text.c_str(), "nothing") == 0) return out = Variant::nullDispatch(), true;
  if (parseInteger(text, out)) return true;
  double real = 0;
  if (!parseNumber(text, real)) return false;
  out = Variant::fromFloat(static_cast<float>(real));
  return true;
}

const char* describeResult(HRESULT hr) {
  switch (hr) {
    case S_OK: return "OK";
    case S_FALSE: return "False.";
    case E_NOINTERFACE: return "No such interface supported.";
    case E_POINTER: return "Invalid pointer.";
    case E_FAIL: return "Unspecified failure.";
    case E_OUTOFMEMORY: return "Out of memory.";
    case CLASS_E_NOAGGREGATION: return "Class does not support aggregation.";
    case CLASS_E_CLASSNOTAVAILABLE: return "Class not available.";
    case SELFREG_E_TYPELIB: return "Could not register the type library.";
    case SELFREG_E_CLASS: return "Could not register a class.";
    case TYPE_E_LIBNOTREGISTERED: return "Library not registered.";
    case DISP_E_BADINDEX: return "Invalid index.";
    case E_INVALIDARG: return "Invalid argument.";
    case E_NOTIMPL: return "Not implemented.";
    case DISP_E_MEMBERNOTFOUND: return "Member not found.";
    case DISP_E_TYPEMISMATCH: return "Type mismatch.";
    case DISP_E_UNKNOWNNAME: return "Unknown name.";
    case DISP_E_OVERFLOW: return "Out of present range.";
    case DISP_E_BADPARAMCOUNT: return "Invalid number of parameters.";
    case CTL_E_SETNOTSUPPORTED: return "Property is read-only.";
    default: return "Unspecified error.";
  }
}

}  // namespace orlim
