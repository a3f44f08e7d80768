#include <memory>
#include <new>

#include "control/OrlimCtrl.h"
#include "control/class_ids.h"
#include "module/ClassFactory.h"
#include "module/resources.h"
#include "pages/page_identities.h"

namespace orlim {

namespace {

// A property page as the module hands it out: a live object of the module that
// owns the page's dialog logic until its last reference goes.
class PageObject : public IUnknown {
 public:
  explicit PageObject(std::unique_ptr<COlePropertyPage> page) : page_(std::move(page)) {}
  HRESULT QueryInterface(const IID& iid, void** object) override {
    if (!object) return E_POINTER;
    *object = nullptr;
    if (iid != IID_IUnknown) return E_NOINTERFACE;
    *object = static_cast<IUnknown*>(this);
    AddRef();
    return S_OK;
  }
  ULONG AddRef() override { return references_.add(); }
  ULONG Release() override {
    const ULONG left = references_.release();
    if (left == 0) delete this;
    return left;
  }

 private:
  LiveModuleObject alive_;
  ReferenceCount references_;
  std::unique_ptr<COlePropertyPage> page_;
};

IUnknown* createControl() { return static_cast<IDispatch*>(new COrlimCtrl); }

template <const CLSID& Page>
IUnknown* createPage() {
  std::unique_ptr<COlePropertyPage> page = createPropertyPage(Page);
  return page ? new PageObject(std::move(page)) : nullptr;
}

}  // namespace

ClassFactory::ClassFactory(const CLSID& clsid, const char* progId, int typeNameString, bool control,
                           IUnknown* (*create)())
    : clsid_(clsid), progId_(progId), typeNameString_(typeNameString), control_(control), create_(create) {}

HRESULT ClassFactory::QueryInterface(const IID& iid, void** object) {
  if (!object) return E_POINTER;
  *object = nullptr;
  if (iid != IID_IUnknown && iid != IID_IClassFactory) return E_NOINTERFACE;
  *object = static_cast<IClassFactory*>(this);
  AddRef();
  return S_OK;
}

HRESULT ClassFactory::CreateInstance(IUnknown* outer, const IID& iid, void** object) {
  if (!object) return E_POINTER;
  *object = nullptr;
  if (outer) return CLASS_E_NOAGGREGATION;
  IUnknown* created = nullptr;
  try {
    created = create_();
  } catch (const std::bad_alloc&) {
    created = nullptr;
  }
  if (!created) return E_OUTOFMEMORY;
  // The interface asked for holds the reference; without it the object goes.
  const HRESULT hr = created->QueryInterface(iid, object);
  created->Release();
  return hr;
}

HRESULT ClassFactory::LockServer(bool lock) {
  moduleLock(lock);
  return S_OK;
}

const char* ClassFactory::typeName() const { return resourceString(typeNameString_); }

const std::vector<ClassFactory*>& moduleFactories() {
  static ClassFactory control(CLSID_OrlimCtrl, "ORLIM.OrlimCtrl.1", 1, true, &createControl);
  const PropertyPageIdentity& generalPage = generalPageIdentity();
  const PropertyPageIdentity& viewPage = viewPageIdentity();
  static ClassFactory general(generalPage.classId, generalPage.progId, generalPage.typeNameStringId, false,
                              &createPage<CLSID_OrlimPropPage>);
  static ClassFactory display(viewPage.classId, viewPage.progId, viewPage.typeNameStringId, false,
                              &createPage<CLSID_OrlimPropPageView>);
  static const std::vector<ClassFactory*> factories{&control, &general, &display};
  return factories;
}

namespace {
// The factories exist from the module's load on.
[[maybe_unused]] const std::vector<ClassFactory*>& loadedFactories = moduleFactories();
}  // namespace

ClassFactory* findFactory(const CLSID& clsid) {
  for (ClassFactory* factory : moduleFactories())
    if (factory->clsid() == clsid) return factory;
  return nullptr;
}

}  // namespace orlim
