// Turns the IFF probe of a DjVu or IW44 file into the control's file type and
// page kind: the contents, not the extension, decide.
#include "control/OrlimCtrl.h"
#include "djvu/DjvuFileInfo.h"

namespace orlim {

int COrlimCtrl::classifyDjvuFile(const char* path, int& type, int& kind) {
  int page = 0;
  return classifyDjvuFile(path, type, kind, page);
}

int COrlimCtrl::classifyDjvuFile(const char* path, int& type, int& kind, int& page) {
  if (type >= kFileBmp && type <= kFileTiff) return 1;
  if (type != kFileDjvu && type != kFileIw44) return 0;
  DjvuFileInfo info{};
  if (!image.probeDjvuFile(path, info, page)) {
    type = kFileNone;
    return 0;
  }
  page = info.pageIndex;
  type = info.formType == iffId("DJVU") ? kFileDjvu : kFileIw44;
  switch (info.chunkMask) {
    case kChunkSjbz | kChunkBG44 | kChunkFG44:  // compound page
    case kChunkPM44:                            // IW44 colour
      kind = kDjvuLayered;
      return 1;
    case kChunkSjbz:  // bitonal page
    case kChunkBM44:  // IW44 gray
      kind = kDjvuBitonalOrGray;
      return 1;
    case kChunkBG44:  // background only
      kind = kDjvuBackgroundOnly;
      return 1;
    default: kind = kDjvuOtherKind; return 0;
  }
}

}  // namespace orlim
