// Shared helpers of the test suites: scratch folders, raw file bytes, and the
// reference tools (imagemagick and friends) that make fixtures.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <initializer_list>
#include <string>
#include <vector>

namespace orlim::test {

// A fresh folder for one test, removed at the end of the test.
class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;
  const std::string& path() const { return path_; }
  std::string file(const std::string& name) const { return path_ + "/" + name; }

 private:
  std::string path_;
};

std::vector<std::uint8_t> readFile(const std::string& path);
void writeFile(const std::string& path, const std::vector<std::uint8_t>& bytes);
bool fileExists(const std::string& path);

// Runs a shell command; returns its exit status. Output is kept in `output` when given.
int run(const std::string& command, std::string* output = nullptr);

// The imagemagick `convert` program found on PATH. A `convert` that is not the
// compiled imagemagick program (some machines put a stand-in script first on PATH)
// is passed over; plain "convert" when there is none.
std::string convertTool();
// True when a reference tool is on PATH (for "convert": the real imagemagick);
// tests that need one skip without it.
bool haveTool(const std::string& name);
// The first of `tools` that is missing, or "" when all are there.
std::string missingTool(std::initializer_list<const char*> tools);

}  // namespace orlim::test

// Skips the running test when one of the named reference tools is missing.
#define SKIP_WITHOUT_TOOLS(...)                                                                            \
  if (const std::string missing_tool_ = ::orlim::test::missingTool({__VA_ARGS__}); !missing_tool_.empty()) \
  GTEST_SKIP() << missing_tool_ << " missing"

namespace orlim::test {

// Little-endian byte builders for hand-made files.
void appendLe16(std::vector<std::uint8_t>& out, std::uint32_t v);
void appendLe32(std::vector<std::uint8_t>& out, std::uint32_t v);

// Pixels of a picture as a reference tool decodes it: rows top to bottom,
// red-green-blue bytes, no padding.
struct RgbPicture {
  int width = 0;
  int height = 0;
  std::vector<std::uint8_t> rgb;
};
// Decodes `path` with imagemagick into 8-bit RGB.
RgbPicture decodeWithImagemagick(const std::string& path);

}  // namespace orlim::test
