// The identifiers of the control's type library, interfaces and classes: what
// containers find in the registry and ask the module for.
#pragma once

#include "platform/Guid.h"

namespace orlim {

constexpr GUID LIBID_ORLIMLib = makeGuid("{7D61F7A6-82F0-11D2-905D-00E0290C674A}");
constexpr IID DIID__DOrlim = makeGuid("{7D61F7A7-82F0-11D2-905D-00E0290C674A}");
constexpr IID DIID__DOrlimEvents = makeGuid("{7D61F7A8-82F0-11D2-905D-00E0290C674A}");
constexpr CLSID CLSID_OrlimCtrl = makeGuid("{7D61F7A9-82F0-11D2-905D-00E0290C674A}");
constexpr CLSID CLSID_OrlimPropPage = makeGuid("{7D61F7AA-82F0-11D2-905D-00E0290C674A}");
constexpr CLSID CLSID_OrlimPropPageView = makeGuid("{A4A31A68-5BE4-11D3-9061-0000C0FE2CE5}");

}  // namespace orlim
