// The progress reports every writer makes after each row: the percentage done,
// reported whenever it reaches a new multiple of five.
#pragma once

#include "image/Image.h"

namespace orlim {

class RowProgress {
 public:
  RowProgress(const Image& image, const char* text) : image_(image), text_(text) {}

  void rowWritten() {
    if (!image_.progressHandler || image_.height <= 0) return;
    done_ += 100;
    const long long percent = done_ / image_.height;
    if (percent > lastReported_ && percent % 5 == 0) {
      lastReported_ = percent;
      image_.progress(text_, static_cast<int>(percent));
    }
  }

 private:
  const Image& image_;
  const char* text_;
  long long done_ = 0;
  long long lastReported_ = 0;
};

}  // namespace orlim
