#include <map>
#include <new>

#include "control/OrlimCtrl.h"
#include "control/class_ids.h"
#include "module/ClassFactory.h"
#include "module/page_classes.h"
#include "module/resources.h"

namespace orlim {

namespace {

struct GuidLess {
  bool operator()(const GUID& a, const GUID& b) const { return formatGuid(a) < formatGuid(b); }
};

std::map<CLSID, PageCreator, GuidLess>& pageCreators() {
  static std::map<CLSID, PageCreator, GuidLess> creators;
  return creators;
}

IUnknown* createControl() { return static_cast<IDispatch*>(new COrlimCtrl); }

template <const CLSID& Page>
IUnknown* createPage() {
  const PageCreator create = pageCreator(Page);
  return create ? create() : nullptr;
}

}  // namespace

void registerPageClass(const CLSID& clsid, PageCreator create) { pageCreators()[clsid] = create; }

PageCreator pageCreator(const CLSID& clsid) {
  const auto found = pageCreators().find(clsid);
  return found == pageCreators().end() ? nullptr : found->second;
}

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
  if (!control_ && !pageCreator(clsid_)) return E_NOTIMPL;
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
  static ClassFactory general(CLSID_OrlimPropPage, "ORLIM.OrlimPropPage.1", 2, false,
                              &createPage<CLSID_OrlimPropPage>);
  static ClassFactory display(CLSID_OrlimPropPageView, "Orlim.COrlimPropPageView", 201, false,
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
