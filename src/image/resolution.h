// Resolutions cross between dots per inch (the record, TIFF, JPEG, DjVu) and
// pixels per metre (the info header, BMP, the clipboard). Files and the clipboard
// may carry any value, so every conversion ends clamped to the int field it
// fills: beyond the range gives the range's end, NaN gives 0.
#pragma once

#include <climits>
#include <cmath>

namespace orlim {

constexpr double kInchesPerCentimeter = 0.39370078740157477;
// Pixels per metre at one dot per inch.
constexpr double kPixelsPerMeterPerDpi = 100 * kInchesPerCentimeter;

// A whole number (already floored or rounded) into the int range.
inline int clampedResolution(double whole) {
  if (std::isnan(whole)) return 0;
  if (whole <= double(INT_MIN)) return INT_MIN;
  if (whole >= double(INT_MAX)) return INT_MAX;
  return static_cast<int>(whole);
}

// round(value), i.e. floor(value + 0.5), in the int range.
inline int roundedResolution(double value) { return clampedResolution(std::floor(value + 0.5)); }

// Dots per inch of an info header's pixels-per-metre field.
inline int dpiFromPixelsPerMeter(double pixelsPerMeter) { return roundedResolution(pixelsPerMeter * 2.54 * 0.01); }

// An info header's pixels-per-metre field for dots per inch (truncated, as written).
inline int pixelsPerMeterFromDpi(double dpi) { return clampedResolution(std::floor(dpi * kPixelsPerMeterPerDpi)); }

}  // namespace orlim
