// The rubber-band rectangle tracker: a rectangle in client pixels that the user
// stretches with the mouse. The loop that follows the mouse is the window's
// (it runs until the left button is released); drawing is a dotted outline.
#pragma once

#include "platform/DeviceContext.h"
#include "platform/Window.h"
#include "platform/orlim_api.h"

namespace orlim {

class ORLIM_API CRectTracker {
 public:
  enum StyleFlags { solidLine = 1, dottedLine = 2, hatchedBorder = 4 };

  CRectTracker() = default;
  CRectTracker(const RECT& initial, UINT lineStyle) : rect(initial), style(lineStyle) {}

  // Runs the rubber-band loop from `start`; `rect` spans from `start` to where
  // the button was released. Without `allowInvert` the rectangle is normalised
  // as it goes. True when the rectangle is not empty.
  BOOL TrackRubberBand(Window& window, POINT start, BOOL allowInvert = TRUE);
  // Orders the corners so that left <= right and top <= bottom.
  void NormalizeRect();
  // Draws the outline (dotted or solid, one pixel, black) on `dc`.
  void Draw(DeviceContext& dc) const;

  RECT rect{};
  UINT style = dottedLine;
  int handleSize = 10;
};

}  // namespace orlim
