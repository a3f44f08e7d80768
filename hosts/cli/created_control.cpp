#include "created_control.h"

#include <dlfcn.h>
#include <sys/stat.h>

#include <cstdio>
#include <stdexcept>

#include "control/class_ids.h"
#include "module/OrlimModule.h"
#include "module/exports.h"
#include "platform/Registry.h"

namespace orlim::cli {

namespace {

constexpr const char* kControlProgId = "ORLIM.OrlimCtrl.1";

bool sameFile(const std::string& a, const std::string& b) {
  struct stat sa {
  }, sb{};
  return stat(a.c_str(), &sa) == 0 && stat(b.c_str(), &sb) == 0 && sa.st_dev == sb.st_dev && sa.st_ino == sb.st_ino;
}

// The module and class to create from. A registered module that is not the
// library this program runs on is not loaded beside it: two copies of the
// library would not share the services this host installs.
std::string chooseModule(CLSID& clsid) {
  const std::string own = modulePath();
  clsid = CLSID_OrlimCtrl;
  CLSID registeredClass{};
  const std::string registered = registeredControlModule(registeredClass);
  if (registered.empty()) return own;
  if (!sameFile(registered, own)) {
    std::fprintf(stderr, "orlim: %s is registered in %s, not in this program's %s; using this program's\n",
                 kControlProgId, registered.c_str(), own.c_str());
    return own;
  }
  clsid = registeredClass;
  return registered;
}

}  // namespace

std::string registeredControlModule(CLSID& clsid) {
  RegistryTree tree;
  std::string error;
  if (!currentRegistry().read(tree, error)) return "";
  const std::string* classText = tree.value(std::string(kControlProgId) + "\\CLSID");
  if (!classText || !parseGuid(*classText, clsid)) return "";
  const std::string* module = tree.value("CLSID\\" + formatGuid(clsid) + "\\InprocServer32");
  return module ? *module : "";
}

CreatedControl::CreatedControl() {
  CLSID clsid{};
  const std::string module = chooseModule(clsid);
  library_ = dlopen(module.c_str(), RTLD_NOW);
  if (!library_) throw std::runtime_error(std::string("cannot load ") + module + ": " + dlerror());
  const auto getClassObject = reinterpret_cast<DllGetClassObjectFunction>(dlsym(library_, "DllGetClassObject"));
  IClassFactory* factory = nullptr;
  HRESULT hr = getClassObject ? getClassObject(clsid, IID_IClassFactory, reinterpret_cast<void**>(&factory))
                              : CLASS_E_CLASSNOTAVAILABLE;
  if (SUCCEEDED(hr)) {
    hr = factory->CreateInstance(nullptr, IID_IDispatch, reinterpret_cast<void**>(&object_));
    factory->Release();
  }
  control_ = SUCCEEDED(hr) ? dynamic_cast<COrlimCtrl*>(object_) : nullptr;
  if (!control_) {
    if (object_) object_->Release();
    dlclose(library_);
    throw std::runtime_error("cannot create the control from " + module + ": " + describeResult(hr));
  }
}

CreatedControl::~CreatedControl() {
  object_->Release();
  dlclose(library_);
}

}  // namespace orlim::cli
