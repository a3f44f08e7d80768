// The four entry points a container finds by name in the loaded library.
#include "module/exports.h"

#include <string>

#include "module/ClassFactory.h"
#include "module/OrlimModule.h"
#include "module/registration.h"

using namespace orlim;

extern "C" {

ORLIM_EXPORT HRESULT DllRegisterServer() {
  std::string error;
  return registerModule(modulePath(), error);
}

ORLIM_EXPORT HRESULT DllUnregisterServer() {
  std::string error;
  return unregisterModule(error);
}

ORLIM_EXPORT HRESULT DllGetClassObject(const CLSID& clsid, const IID& iid, void** object) {
  if (!object) return E_POINTER;
  *object = nullptr;
  ClassFactory* factory = findFactory(clsid);
  if (!factory) return CLASS_E_CLASSNOTAVAILABLE;
  return factory->QueryInterface(iid, object);
}

ORLIM_EXPORT HRESULT DllCanUnloadNow() { return moduleInUse() ? S_FALSE : S_OK; }

}  // extern "C"
