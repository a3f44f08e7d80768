// State shared by every control of the loaded module: the folder the file-open
// dialog starts in, and the filter index last chosen there.
#pragma once

#include <string>

namespace orlim {

struct ModuleState {
  std::string initialOpenDir;
  int fileOpenFilterIndex = 7;
};

ModuleState& moduleState();

}  // namespace orlim
