// Self-registration: the registry keys of the type library and of each class,
// written and removed as the module's DllRegisterServer and DllUnregisterServer
// do. Unregistering removes exactly the keys registering writes, whatever
// their values, and leaves every other key alone.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "platform/HResult.h"
#include "platform/TypeLibrary.h"

namespace orlim {

using RegistryEntries = std::vector<std::pair<std::string, std::string>>;

RegistryEntries typeLibraryEntries(const TypeLibrary& library, const std::string& modulePath);

// S_OK, SELFREG_E_TYPELIB or SELFREG_E_CLASS; `error` says why it failed.
HRESULT registerModule(const std::string& modulePath, std::string& error);
HRESULT unregisterModule(std::string& error);

}  // namespace orlim
