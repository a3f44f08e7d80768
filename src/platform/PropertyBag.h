// Persistence of a control's properties: a property bag the container keeps
// (named values in the order written; saved to and loaded from a text file of
// "Name = value" lines), and the property exchange that a control's
// DoPropExchange runs in either direction, with a default for every value.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "platform/Variant.h"
#include "platform/orlim_api.h"
#include "platform/win_types.h"

namespace orlim {

class ORLIM_API PropertyBag {
 public:
  void Write(const std::string& name, const Variant& value);
  // Null when the bag holds no value of that name.
  const Variant* Read(const std::string& name) const;
  const std::vector<std::pair<std::string, Variant>>& entries() const { return entries_; }
  void clear() { entries_.clear(); }

  // Text file: one "Name = value" per line, values as formatVariant writes them.
  bool saveToFile(const std::string& path) const;
  // Replaces the contents; false (and the bag left empty) when the file cannot be
  // read or a line is not of that form.
  bool loadFromFile(const std::string& path);

 private:
  std::vector<std::pair<std::string, Variant>> entries_;
};

using OLE_COLOR = DWORD;

// One direction of an exchange: saving writes every value into the bag; loading
// reads each value back, and a value that is missing or of an unusable type takes
// its default. Loading from an empty bag is a reset to the defaults.
class ORLIM_API CPropExchange {
 public:
  CPropExchange(PropertyBag& bag, bool loading) : bag_(bag), loading_(loading) {}
  bool IsLoading() const { return loading_; }
  PropertyBag& bag() { return bag_; }
  // The format version of the exchange (major << 16 | minor).
  DWORD GetVersion() const { return version_; }
  void SetVersion(DWORD version) { version_ = version; }

 private:
  PropertyBag& bag_;
  bool loading_;
  DWORD version_ = 0x00010000;
};

ORLIM_API BOOL PX_Long(CPropExchange& px, const char* name, LONG& value, LONG defaultValue);
ORLIM_API BOOL PX_Short(CPropExchange& px, const char* name, std::int16_t& value, std::int16_t defaultValue);
ORLIM_API BOOL PX_Bool(CPropExchange& px, const char* name, BOOL& value, BOOL defaultValue);
ORLIM_API BOOL PX_String(CPropExchange& px, const char* name, std::string& value, const std::string& defaultValue);
ORLIM_API BOOL PX_Color(CPropExchange& px, const char* name, OLE_COLOR& value, OLE_COLOR defaultValue);

}  // namespace orlim
