// Where a label of lw x lh pixels goes on a W x H picture: how far the picture
// is enlarged first, with which Enlarge anchor, and the label's first column and
// first stored row. Anchors mean places as seen on screen, for pictures stored
// bottom-up and top-down alike.
#pragma once

namespace orlim {

struct TextLabel;

struct LabelPlacement {
  int newWidth = 0;  // the picture's size once room is made for the label
  int newHeight = 0;
  int enlargeAnchor = 0;  // Enlarge's anchor; 0 when the label goes on the picture
  int x = 0;              // first picture column under the label
  int y = 0;              // first stored picture row under the label
};

// Fills `place` and returns null, or returns the message that refuses the
// label's TextPosition or TextAnchor (or a size that cannot be held).
const char* placeLabel(const TextLabel& label, int width, int height, int labelWidth, int labelHeight, int rowOrder,
                       LabelPlacement& place);

}  // namespace orlim
