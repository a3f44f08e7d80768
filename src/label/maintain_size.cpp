#include "label/maintain_size.h"

#include <cmath>

#include "label/TextLabel.h"

namespace orlim {

namespace {

constexpr double kOneDirectionBelow = 0.05;

int roundHalfUp(double v) { return static_cast<int>(std::floor(v + 0.5)); }

}  // namespace

SizeKeepingResize sizeKeepingResize(int position, int width, int height, int labelWidth, int labelHeight) {
  SizeKeepingResize r;
  if (width <= 0 || height <= 0) return r;
  if (position == kLabelAbove || position == kLabelBelow) {
    const double q = static_cast<double>(labelHeight) / height;
    if (q <= 0) return r;
    r.needed = true;
    r.height = height - labelHeight;
    if (q < kOneDirectionBelow) {
      r.width = width;
      r.failureMessage = "Failed to reduce the height of the original image!";
    } else {
      r.width = roundHalfUp(static_cast<double>(height - labelHeight) / height * width);
      r.failureMessage = "Failed to reduce the size of the original image!";
    }
  } else if (position == kLabelLeft || position == kLabelRight) {
    const double q = static_cast<double>(labelWidth) / width;
    if (q <= 0) return r;
    r.needed = true;
    r.width = width - labelWidth;
    if (q < kOneDirectionBelow) {
      r.height = height;
      r.failureMessage = "Failed to reduce the width of the original image!";
    } else {
      r.height = roundHalfUp(static_cast<double>(height) * (width - labelWidth) / width);
      r.failureMessage = "Failed to reduce the size of the original image!";
    }
  }
  return r;
}

}  // namespace orlim
