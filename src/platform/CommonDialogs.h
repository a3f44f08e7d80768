// The common dialogs a dialog's logic opens: open a file, choose a colour,
// choose a font. Requests are plain records; the process's dialog service shows
// them (Dialog.h). Without a service each answers as cancelled.
#pragma once

#include <string>
#include <vector>

#include "platform/orlim_api.h"
#include "platform/win_types.h"

namespace orlim {

class Window;

// Open-file options, with their Win32 values.
constexpr DWORD OFN_HIDEREADONLY = 0x4;
constexpr DWORD OFN_FILEMUSTEXIST = 0x1000;
constexpr DWORD OFN_EXPLORER = 0x80000;

struct OpenFileRequest {
  std::string title;
  // Description and pattern pairs separated by "|", ending with "||".
  std::string filter;
  int filterIndex = 1;  // 1-based; in: the one selected first, out: the one the user ended with
  std::string initialDir;
  std::string fileName;  // in: proposed name, out: the chosen full path
  DWORD flags = 0;
  std::size_t maxFileName = 260;
};

// The (description, pattern) pairs of a filter string.
ORLIM_API std::vector<std::pair<std::string, std::string>> splitFileFilter(const std::string& filter);

// Colour chooser options.
constexpr DWORD CC_RGBINIT = 0x1;
constexpr DWORD CC_FULLOPEN = 0x2;
constexpr DWORD CC_ANYCOLOR = 0x100;

struct ColorRequest {
  COLORREF color = 0;  // in: the start colour, out: the chosen one
  DWORD flags = 0;
};

// Font chooser options.
constexpr DWORD CF_SCREENFONTS = 0x1;
constexpr DWORD CF_INITTOLOGFONTSTRUCT = 0x40;
constexpr DWORD CF_EFFECTS = 0x100;

struct FontRequest {
  LOGFONTA font{};     // in: the start font, out: the chosen one (lfHeight in screen pixels)
  COLORREF color = 0;  // with CF_EFFECTS
  DWORD flags = 0;
};

ORLIM_API bool GetOpenFileName(OpenFileRequest& request, Window* owner);
ORLIM_API bool ChooseColor(ColorRequest& request, Window* owner);
ORLIM_API bool ChooseFont(FontRequest& request, Window* owner);

}  // namespace orlim
