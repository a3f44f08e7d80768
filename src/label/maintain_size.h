// How AddText shrinks the picture before a label goes beside it, so that the
// result keeps roughly the old size: below 5 % of the picture the label's room
// is taken from one direction only, from 5 % on the picture keeps its proportions.
#pragma once

namespace orlim {

struct SizeKeepingResize {
  bool needed = false;  // false for a label on the picture
  int width = 0;        // the size to resize to
  int height = 0;
  const char* failureMessage = nullptr;  // what AddText says when that resize fails
};

// For a picture of width x height and a label of labelWidth x labelHeight at `position`.
SizeKeepingResize sizeKeepingResize(int position, int width, int height, int labelWidth, int labelHeight);

}  // namespace orlim
