#include <dlfcn.h>
#include <limits.h>
#include <stdlib.h>

#include "control/class_ids.h"
#include "module/OrlimModule.h"
#include "module/type_library.h"
#include "platform/TypeLibrary.h"

namespace orlim {

COrlimModule::COrlimModule() { InitInstance(); }

COrlimModule::~COrlimModule() { ExitInstance(); }

void COrlimModule::InitInstance() {
  initialOpenDir.clear();
  fileOpenFilterIndex = 7;
  addLoadedTypeLibrary(LIBID_ORLIMLib, &orlimTypeLibrary);
}

void COrlimModule::ExitInstance() {}

COrlimModule& moduleState() {
  static COrlimModule module;
  return module;
}

namespace {
// Constructs the module object when the library loads, as the module's start.
[[maybe_unused]] const COrlimModule& startedModule = moduleState();
}  // namespace

std::string modulePath() {
  Dl_info info{};
  if (!dladdr(reinterpret_cast<void*>(&modulePath), &info) || !info.dli_fname) return "";
  char resolved[PATH_MAX];
  return realpath(info.dli_fname, resolved) ? std::string(resolved) : std::string(info.dli_fname);
}

}  // namespace orlim
