// The module's resources as data: the strings registration and the pages use,
// the version record, the toolbox bitmap and the two hand cursors. Pictures are
// rows of characters, top row first: '#' black, 'o' white, ' ' transparent
// (bitmaps: a space is the light gray of a toolbox button).
#pragma once

#include <string>
#include <vector>

namespace orlim {

// String resources 1, 2, 200, 201, 202; null for an id the module has not.
const char* resourceString(int id);

struct VersionRecord {
  int fileVersion[4];
  int productVersion[4];
  const char* fileDescription;
  const char* productName;
  const char* internalName;
  const char* originalFilename;
};
const VersionRecord& versionResource();
// "2.10.0.0"
std::string versionText(const int (&version)[4]);

struct PixelArt {
  int id;
  int hotSpotX;  // cursors only
  int hotSpotY;
  std::vector<const char*> rows;
};
// Bitmap resource 1 (the toolbox picture) and cursors 203 (closed hand) and
// 204 (open hand); null for another id.
const PixelArt* bitmapResource(int id);
const PixelArt* cursorResource(int id);

}  // namespace orlim
