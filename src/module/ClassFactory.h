// The module's class factories: one static factory per class (the control and
// its two property pages), created when the module loads. Each creates objects
// of its class and writes or removes its class's registry entries.
#pragma once

#include <string>
#include <vector>

#include "platform/Registry.h"
#include "platform/Unknown.h"

namespace orlim {

class ClassFactory : public IClassFactory {
 public:
  // `typeNameString`: the string resource with the class's type name.
  ClassFactory(const CLSID& clsid, const char* progId, int typeNameString, bool control, IUnknown* (*create)());

  HRESULT QueryInterface(const IID& iid, void** object) override;
  // A static factory is not destroyed by its users: the counts only inform.
  ULONG AddRef() override { return references_.add(); }
  ULONG Release() override { return references_.release(); }
  HRESULT CreateInstance(IUnknown* outer, const IID& iid, void** object) override;
  HRESULT LockServer(bool lock) override;

  const CLSID& clsid() const { return clsid_; }
  const char* progId() const { return progId_; }
  const char* typeName() const;
  bool isControl() const { return control_; }
  // The keys registration writes for the class, the module at `modulePath`.
  std::vector<std::pair<std::string, std::string>> registryEntries(const std::string& modulePath) const;

 private:
  CLSID clsid_;
  const char* progId_;
  int typeNameString_;
  bool control_;
  IUnknown* (*create_)();
  ReferenceCount references_;
};

// The control's factory, then the general and the display page's.
const std::vector<ClassFactory*>& moduleFactories();
ClassFactory* findFactory(const CLSID& clsid);

}  // namespace orlim
