// The decoding layer's own exception: a message with the source unit and line
// that raised it. Thrown inside the layer only; every entry point catches it and
// hands the three parts to djvu_report_error.
#pragma once

#include <string>

namespace orlim {

class DjvuException {
 public:
  DjvuException(std::string message, std::string unit, int line)
      : message_(std::move(message)), unit_(std::move(unit)), line_(line) {}
  const char* message() const { return message_.c_str(); }
  const char* unit() const { return unit_.c_str(); }
  int line() const { return line_; }
  // Reports through the layer's error handler.
  int report() const;

 private:
  std::string message_;
  std::string unit_;
  int line_;
};

// Source unit names that travel with the layer's messages.
inline constexpr const char* kUnitLibdjvu = "libAPI\\libdjvu";
inline constexpr const char* kUnitImageio = "libAPI\\imageio";
inline constexpr const char* kUnitPixImage = "libAPI\\PixImage";
inline constexpr const char* kUnitStream = "libAPI\\IOSubByteStream";

}  // namespace orlim
