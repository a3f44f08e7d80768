// `orlim register|unregister [MODULE]`, `orlim classes` and `orlim typelib`:
// self-registration of a module through its own exports, what the registry says
// of the classes and type libraries there, and the control's type library as IDL.
#include <dlfcn.h>

#include <cstdio>
#include <string>

#include "commands.h"
#include "module/OrlimModule.h"
#include "module/exports.h"
#include "module/type_library.h"
#include "platform/Application.h"
#include "platform/Registry.h"

namespace orlim::cli {

namespace {

// Loads MODULE (this program's library when none is given) and runs one of its
// two registration exports.
int runRegistrationExport(const Args& args, const char* command, const char* exportName, const char* done) {
  if (args.size() > 1) {
    std::fprintf(stderr, "usage: orlim %s [MODULE]\n", command);
    return 2;
  }
  std::string module = args.empty() ? modulePath() : args[0];
  if (module.find('/') == std::string::npos) module = "./" + module;  // a file, not a library search
  void* library = dlopen(module.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (!library) {
    std::fprintf(stderr, "orlim: cannot load %s: %s\n", module.c_str(), dlerror());
    return 1;
  }
  const auto entry = reinterpret_cast<DllRegisterServerFunction>(dlsym(library, exportName));
  const HRESULT hr = entry ? entry() : E_NOTIMPL;
  dlclose(library);
  if (!entry) {
    std::fprintf(stderr, "orlim: %s has no %s\n", module.c_str(), exportName);
    return 1;
  }
  if (FAILED(hr)) {
    std::fprintf(stderr, "orlim: %s of %s failed: %s (0x%08X)\n", exportName, module.c_str(), describeResult(hr),
                 static_cast<unsigned>(hr));
    return 1;
  }
  std::printf("%s %s in %s\n", done, module.c_str(), defaultRegistryLocation().c_str());
  return 0;
}

void printModuleLine(const std::string* module) {
  if (!module) return;
  std::printf("  module %s%s\n", module->c_str(), fileSystemEntryExists(module->c_str()) ? "" : " (no longer exists)");
}

std::string quoted(const std::string* text) { return text ? "\"" + *text + "\"" : std::string("\"\""); }

}  // namespace

int runRegister(const Args& args) { return runRegistrationExport(args, "register", "DllRegisterServer", "registered"); }

int runUnregister(const Args& args) {
  return runRegistrationExport(args, "unregister", "DllUnregisterServer", "unregistered");
}

int runClasses(const Args& args) {
  if (!args.empty()) {
    std::fprintf(stderr, "usage: orlim classes\n");
    return 2;
  }
  RegistryTree tree;
  std::string error;
  if (!currentRegistry().read(tree, error)) {
    std::fprintf(stderr, "orlim: %s\n", error.c_str());
    return 1;
  }
  std::printf("registry %s\n", defaultRegistryLocation().c_str());
  for (const std::string& clsid : tree.subkeys("CLSID")) {
    const std::string key = "CLSID\\" + clsid;
    const std::string* progId = tree.value(key + "\\ProgID");
    std::printf("class %s %s%s%s\n", clsid.c_str(), quoted(tree.value(key)).c_str(), progId ? " " : "",
                progId ? progId->c_str() : "");
    printModuleLine(tree.value(key + "\\InprocServer32"));
  }
  for (const std::string& libid : tree.subkeys("TypeLib")) {
    const std::string key = "TypeLib\\" + libid;
    for (const std::string& version : tree.subkeys(key)) {
      const std::string versionKey = key + "\\" + version;
      std::printf("typelib %s %s %s\n", libid.c_str(), version.c_str(), quoted(tree.value(versionKey)).c_str());
      for (const std::string& lcid : tree.subkeys(versionKey))
        for (const std::string& platform : tree.subkeys(versionKey + "\\" + lcid))
          printModuleLine(tree.value(versionKey + "\\" + lcid + "\\" + platform));
    }
  }
  return 0;
}

int runTypelib(const Args& args) {
  if (!args.empty()) {
    std::fprintf(stderr, "usage: orlim typelib\n");
    return 2;
  }
  std::fputs(formatIdl(orlimTypeLibrary()).c_str(), stdout);
  return 0;
}

}  // namespace orlim::cli
