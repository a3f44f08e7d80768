// The in-process server exports of libORLIM.so, and their types for a
// container that looks them up by name (dlsym) after loading the library.
#pragma once

#include "platform/Guid.h"
#include "platform/HResult.h"
#include "platform/orlim_api.h"

extern "C" {
ORLIM_API orlim::HRESULT DllRegisterServer();
ORLIM_API orlim::HRESULT DllUnregisterServer();
ORLIM_API orlim::HRESULT DllGetClassObject(const orlim::CLSID& clsid, const orlim::IID& iid, void** object);
ORLIM_API orlim::HRESULT DllCanUnloadNow();
}

namespace orlim {
using DllRegisterServerFunction = HRESULT (*)();
using DllUnregisterServerFunction = HRESULT (*)();
using DllGetClassObjectFunction = HRESULT (*)(const CLSID&, const IID&, void**);
using DllCanUnloadNowFunction = HRESULT (*)();
}  // namespace orlim
