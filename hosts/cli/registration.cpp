// `orlim register|unregister [MODULE]`, `orlim classes` and `orlim typelib`:
// self-registration of a module through its own exports, what the registry says
// of the classes and type libraries there, and the control's type library as IDL.
#include <dlfcn.h>

#include <CLI/CLI.hpp>
#include <cstdio>
#include <memory>
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
int runRegistrationExport(const std::string& given, const char* exportName, const char* done) {
  std::string module = given.empty() ? modulePath() : given;
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

int listClasses() {
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

int printTypelib() {
  std::fputs(formatIdl(orlimTypeLibrary()).c_str(), stdout);
  return 0;
}

// `register` and `unregister`: one export of MODULE each.
Command declareRegistrationExport(CLI::App& orlim, const char* name, const char* description, const char* exportName,
                                  const char* done) {
  auto module = std::make_shared<std::string>();
  CLI::App* command = orlim.add_subcommand(name, description);
  command->add_option("MODULE", *module, "the module file (default: the libORLIM this program runs on)");
  return {command, [module, exportName, done] { return runRegistrationExport(*module, exportName, done); }};
}

}  // namespace

Command declareRegister(CLI::App& orlim) {
  return declareRegistrationExport(orlim, "register", "register the module's classes and type library",
                                   "DllRegisterServer", "registered");
}

Command declareUnregister(CLI::App& orlim) {
  return declareRegistrationExport(orlim, "unregister", "remove what registering the module wrote",
                                   "DllUnregisterServer", "unregistered");
}

Command declareClasses(CLI::App& orlim) {
  return {orlim.add_subcommand("classes", "list the classes and type libraries the registry holds"), listClasses};
}

Command declareTypelib(CLI::App& orlim) {
  return {orlim.add_subcommand("typelib", "print the control's type library as IDL"), printTypelib};
}

}  // namespace orlim::cli
