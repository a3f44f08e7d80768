#include "module/registration.h"

#include <cstdio>

#include "module/ClassFactory.h"
#include "module/OrlimModule.h"
#include "module/type_library.h"
#include "platform/Registry.h"

namespace orlim {

namespace {

constexpr const char* kThreadingModel = "Apartment";
// Set-client-site-first, activate-when-visible, inside-out, cannot-link-inside,
// recompose-on-resize.
constexpr unsigned kMiscStatus = 0x20191;
constexpr const char* kPlatformKey = "linux";

std::string folderOf(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  return slash == std::string::npos ? std::string(".") : path.substr(0, slash == 0 ? 1 : slash);
}

bool writeEntries(RegistryTree& tree, const RegistryEntries& entries, std::string& error) {
  for (const auto& [path, value] : entries)
    if (!tree.set(path, value)) {
      error = "cannot write the key " + path;
      return false;
    }
  return true;
}

void removeEntries(RegistryTree& tree, const RegistryEntries& entries) {
  for (const auto& entry : entries) tree.remove(entry.first);
}

HRESULT applyChange(bool writing, const RegistryEntries& entries, HRESULT failure, std::string& error) {
  const bool done = currentRegistry().update(
      [&](RegistryTree& tree) {
        if (writing) return writeEntries(tree, entries, error);
        removeEntries(tree, entries);
        return true;
      },
      error);
  return done ? S_OK : failure;
}

// The type library first, then every class, as the module's exports do.
HRESULT updateModule(bool writing, const std::string& modulePath, std::string& error) {
  HRESULT hr = applyChange(writing, typeLibraryEntries(orlimTypeLibrary(), modulePath), SELFREG_E_TYPELIB, error);
  if (FAILED(hr)) return hr;
  for (const ClassFactory* factory : moduleFactories()) {
    hr = applyChange(writing, factory->registryEntries(modulePath), SELFREG_E_CLASS, error);
    if (FAILED(hr)) return hr;
  }
  return S_OK;
}

}  // namespace

RegistryEntries ClassFactory::registryEntries(const std::string& modulePath) const {
  const std::string key = "CLSID\\" + formatGuid(clsid_);
  RegistryEntries entries{
      {key, typeName()},
      {key + "\\InprocServer32", modulePath},
      {key + "\\InprocServer32\\ThreadingModel", kThreadingModel},
  };
  if (!control_) return entries;
  const TypeLibrary& library = orlimTypeLibrary();
  const RegistryEntries control{
      {progId_, typeName()},
      {std::string(progId_) + "\\CLSID", formatGuid(clsid_)},
      {key + "\\ProgID", progId_},
      {key + "\\Control", ""},
      {key + "\\ToolboxBitmap32", modulePath + ", 1"},
      {key + "\\MiscStatus", "0"},
      {key + "\\MiscStatus\\1", std::to_string(kMiscStatus)},
      {key + "\\TypeLib", formatGuid(library.libid)},
      {key + "\\Version", library.versionText()},
  };
  entries.insert(entries.end(), control.begin(), control.end());
  return entries;
}

RegistryEntries typeLibraryEntries(const TypeLibrary& library, const std::string& modulePath) {
  char lcid[16];
  std::snprintf(lcid, sizeof lcid, "%x", library.lcid);
  const std::string key = "TypeLib\\" + formatGuid(library.libid) + "\\" + library.versionText();
  RegistryEntries entries{
      {key, library.helpString},
      {key + "\\" + lcid + "\\" + kPlatformKey, modulePath},
      {key + "\\FLAGS", "0"},
      {key + "\\HELPDIR", folderOf(modulePath)},
  };
  for (const InterfaceDescription& i : library.interfaces) {
    const std::string interfaceKey = "Interface\\" + formatGuid(i.iid);
    entries.push_back({interfaceKey, i.name});
    entries.push_back({interfaceKey + "\\TypeLib", formatGuid(library.libid)});
    entries.push_back({interfaceKey + "\\TypeLib\\Version", library.versionText()});
  }
  return entries;
}

HRESULT registerModule(const std::string& modulePath, std::string& error) {
  return updateModule(true, modulePath, error);
}

HRESULT unregisterModule(std::string& error) { return updateModule(false, "", error); }

}  // namespace orlim
