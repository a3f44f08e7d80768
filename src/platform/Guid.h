// Globally unique identifiers of classes, interfaces and type libraries, with
// the braced text form the registry holds: {7D61F7A9-82F0-11D2-905D-00E0290C674A}.
// Header-only, so that a container that only loads the module can use it.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>

#include "platform/orlim_api.h"

namespace orlim {

struct ORLIM_API GUID {
  std::uint32_t Data1 = 0;
  std::uint16_t Data2 = 0;
  std::uint16_t Data3 = 0;
  std::uint8_t Data4[8] = {};

  friend constexpr bool operator==(const GUID& a, const GUID& b) {
    if (a.Data1 != b.Data1 || a.Data2 != b.Data2 || a.Data3 != b.Data3) return false;
    for (int i = 0; i < 8; ++i)
      if (a.Data4[i] != b.Data4[i]) return false;
    return true;
  }
};

using CLSID = GUID;
using IID = GUID;

namespace guid_detail {
constexpr int hexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}
// Reads `digits` hex digits at `at`; false when one is not a hex digit.
constexpr bool readHex(std::string_view text, std::size_t at, int digits, std::uint64_t& value) {
  value = 0;
  for (int i = 0; i < digits; ++i) {
    const int d = hexDigit(text[at + i]);
    if (d < 0) return false;
    value = value * 16 + static_cast<std::uint64_t>(d);
  }
  return true;
}
}  // namespace guid_detail

// Parses the braced form (either case of hex digits); false for anything else.
constexpr bool parseGuid(std::string_view text, GUID& out) {
  if (text.size() != 38 || text[0] != '{' || text[37] != '}') return false;
  for (std::size_t dash : {9u, 14u, 19u, 24u})
    if (text[dash] != '-') return false;
  std::uint64_t v = 0;
  GUID g;
  if (!guid_detail::readHex(text, 1, 8, v)) return false;
  g.Data1 = static_cast<std::uint32_t>(v);
  if (!guid_detail::readHex(text, 10, 4, v)) return false;
  g.Data2 = static_cast<std::uint16_t>(v);
  if (!guid_detail::readHex(text, 15, 4, v)) return false;
  g.Data3 = static_cast<std::uint16_t>(v);
  constexpr std::size_t kByteAt[8] = {20, 22, 25, 27, 29, 31, 33, 35};
  for (int i = 0; i < 8; ++i) {
    if (!guid_detail::readHex(text, kByteAt[i], 2, v)) return false;
    g.Data4[i] = static_cast<std::uint8_t>(v);
  }
  out = g;
  return true;
}

// A GUID written in the source as its braced text; a malformed literal does not compile.
consteval GUID makeGuid(std::string_view text) {
  GUID g;
  if (!parseGuid(text, g)) throw "malformed GUID literal";
  return g;
}

// The braced form with upper-case hex digits.
inline std::string formatGuid(const GUID& g) {
  char text[39];
  std::snprintf(text, sizeof text, "{%08X-%04X-%04X-%02X%02X-%02X%02X%02X%02X%02X%02X}", g.Data1, g.Data2, g.Data3,
                g.Data4[0], g.Data4[1], g.Data4[2], g.Data4[3], g.Data4[4], g.Data4[5], g.Data4[6], g.Data4[7]);
  return text;
}

}  // namespace orlim
