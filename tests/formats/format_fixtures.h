// Shared helpers of the PNM, JPEG and TIFF tests: running the peer tools,
// decoding their netpbm output independently of our reader, and recording the
// messages, boxes and progress reports an operation makes.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "formats/message_hook.h"
#include "image/Image.h"
#include "support/image_pixels.h"
#include "support/test_support.h"

namespace orlim::test {

// Runs a shell command that must succeed; the failure shows its output.
inline ::testing::AssertionResult shellOk(const std::string& command) {
  std::string output;
  const int status = run(command, &output);
  if (status == 0) return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure() << command << " exited " << status << ": " << output;
}

inline std::string shellQuoted(const std::string& path) { return "'" + path + "'"; }

// A binary PGM or PPM with a maximum of 255 (what djpeg writes), as RGB rows.
inline RgbPicture readNetpbm255(const std::string& path) {
  const std::vector<std::uint8_t> bytes = readFile(path);
  RgbPicture pic;
  std::size_t at = 2;
  auto number = [&] {
    while (at < bytes.size() && (bytes[at] == ' ' || bytes[at] == '\n' || bytes[at] == '\t' || bytes[at] == '\r')) ++at;
    int v = 0;
    while (at < bytes.size() && bytes[at] >= '0' && bytes[at] <= '9') v = v * 10 + (bytes[at++] - '0');
    return v;
  };
  if (bytes.size() < 2 || bytes[0] != 'P' || (bytes[1] != '5' && bytes[1] != '6')) return pic;
  const bool color = bytes[1] == '6';
  pic.width = number();
  pic.height = number();
  number();
  ++at;
  const std::size_t samples = std::size_t(pic.width) * pic.height * (color ? 3 : 1);
  if (at + samples > bytes.size()) return RgbPicture{};
  for (std::size_t i = 0; i < samples; ++i) {
    const std::uint8_t v = bytes[at + i];
    if (color)
      pic.rgb.push_back(v);
    else
      pic.rgb.insert(pic.rgb.end(), {v, v, v});
  }
  return pic;
}

// Every progress report of an operation, in order.
struct ProgressLog {
  std::vector<std::pair<std::string, int>> reports;
  void attach(Image& image) {
    image.progressHandler = [this](const char* text, int percent, int step) {
      EXPECT_EQ(step, 0);
      reports.emplace_back(text, percent);
    };
  }
  std::vector<int> percentsOf(const std::string& text) const {
    std::vector<int> out;
    for (const auto& r : reports)
      if (r.first == text) out.push_back(r.second);
    return out;
  }
};

inline std::vector<int> everyFifthPercent() {
  std::vector<int> out;
  for (int p = 5; p <= 100; p += 5) out.push_back(p);
  return out;
}

// The boxes the format code asks for while installed; removes the hook after.
struct BoxLog {
  struct Box {
    std::string text, caption;
    MessageIcon icon;
  };
  std::vector<Box> boxes;
  BoxLog() {
    setMessageBoxHook([this](const char* text, const char* caption, MessageIcon icon) {
      boxes.push_back({text, caption, icon});
    });
  }
  ~BoxLog() { setMessageBoxHook(nullptr); }
};

// Names of the files in a folder, to show that a failed save left no temporary file.
std::vector<std::string> filesIn(const std::string& folder);

}  // namespace orlim::test
