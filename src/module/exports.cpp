// The four entry points a container finds by name in the loaded library.
#include "module/exports.h"

#include <string>

#include "module/ClassFactory.h"
#include "module/OrlimModule.h"
#include "module/registration.h"

using namespace orlim;

extern "C" {

HRESULT DllRegisterServer() {
  std::string error;
  return registerModule(modulePath(), error);
}

HRESULT DllUnregisterServer() {
  std::string error;
  return unregisterModule(error);
}

HRESULT DllGetClassObject(const CLSID& clsid, const IID& iid, void** object) {
  if (!object) return E_POINTER;
  *object = nullptr;
  ClassFactory* factory = findFactory(clsid);
  if (!factory) return CLASS_E_CLASSNOTAVAILABLE;
  return factory->QueryInterface(iid, object);
}

HRESULT DllCanUnloadNow() { return moduleInUse() ? S_FALSE : S_OK; }

}  // extern "C"
