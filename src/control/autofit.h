// Plain arithmetic the loader uses: which reader a path goes to, and which zoom
// level makes a picture fit the client area.
#pragma once

#include "platform/orlim_api.h"

namespace orlim {

// fileType codes of the control.
enum FileType : int {
  kFileDjvu = 1,
  kFileIw44 = 2,
  kFileBmp = 3,
  kFilePnm = 4,
  kFileJpeg = 5,
  kFileTiff = 6,
  kFileNone = 99,
};

// The AutoFit values (the type library's enumAutoFit).
enum AutoFitMode : int { kAutoFitNone = 0, kAutoFitWidth = 1, kAutoFitImage = 2 };

// The fileType that a path's extension names (case-insensitive); 99 when unknown.
ORLIM_API int classifyExtension(const char* path);

// The zoom level that automatic fitting chooses: kAutoFitNone gives 0, kAutoFitWidth
// fits the width, kAutoFitImage the whole picture; any other value keeps `currentZoom`. A client
// of zero size gives 0. Levels that map to the reduction factors 14, 15 and odd
// factors above 16 are moved to the next coarser level.
ORLIM_API int autoFitZoomLevel(int autoFit, int clientWidth, int clientHeight, int imageWidth, int imageHeight,
                               int currentZoom);

}  // namespace orlim
