// The module object: what the loaded library holds for all its controls and
// pages — the folder the file-open dialog starts in (InitialOpenDir) and the
// filter index last chosen there — set when the module starts.
#pragma once

#include <string>

#include "platform/orlim_api.h"

namespace orlim {

class ORLIM_API COrlimModule {
 public:
  COrlimModule();   // the module's start: the two values and its type library
  ~COrlimModule();  // the module's end

  std::string initialOpenDir;
  int fileOpenFilterIndex = 0;

 private:
  void InitInstance();
  void ExitInstance();
};

// The one module object of the loaded library.
ORLIM_API COrlimModule& moduleState();

// The file the module was loaded from, as an absolute path ("" when unknown).
ORLIM_API std::string modulePath();

}  // namespace orlim
