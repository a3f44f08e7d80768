// Which font file serves a LOGFONTA: the face name, weight and slant are handed
// to fontconfig, whose aliases map the Windows names (Arial, Times New Roman,
// Courier New) to metric-compatible faces and whose fallback serves unknown names.
#pragma once

#include <string>

#include "platform/orlim_api.h"
#include "platform/win_types.h"

namespace orlim {

struct FontFace {
  std::string file;
  int index = 0;       // face index inside the file
  std::string family;  // as the matched face names itself
  std::string style;
  bool embolden = false;  // bold was asked for and the family has no bold face
  bool oblique = false;   // italic was asked for and the family has no slanted face
};

// Fills `face` and returns true, or false when fontconfig offers no outline font at all.
ORLIM_API bool matchFont(const LOGFONTA& font, FontFace& face);

}  // namespace orlim
