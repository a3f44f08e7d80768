// Pictures and peers for the command and clipboard tests: bitmaps written from
// known pixels, DjVu pages made by DjVuLibre's encoders, and a control in a
// headless container with a clipboard and a dialog service.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "control_harness.h"
#include "image/fixtures.h"
#include "platform/headless/HeadlessClipboard.h"
#include "platform/headless/HeadlessDialogs.h"
#include "support/image_pixels.h"
#include "support/test_support.h"

namespace orlim::test {

// The container of the command tests: its clipboard and dialogs exist before
// the control and outlive it.
struct CommandHarness {
  HeadlessClipboard clipboard;
  HeadlessDialogs dialogs;
  ControlHarness h;

  void load(const std::string& path) {
    EXPECT_EQ(h.set("Picture", Variant::fromString(path)), S_OK);
    EXPECT_TRUE(h.application.messages().empty()) << h.messageTexts().front();
    h.forget();
  }
  bool call(const char* name, const std::vector<Variant>& args = {}) { return h.call(name, args).asBool(); }
  Image& image() { return h.control.image; }
};

inline Variant text(const std::string& s) { return Variant::fromString(s); }
inline Variant number(std::int32_t v) { return Variant::fromLong(v); }
inline Variant flag(bool v) { return Variant::fromBool(v); }

// A BMP file of pseudo-random pixels of the given depth, written by the image
// model's own writer; the pixels are kept in `picture` for comparisons.
inline std::string bitmapFile(const TempDir& dir, const std::string& name, int width, int height, int bits,
                              Image& picture, unsigned seed = 7) {
  makePicture(picture, width, height, bits, kRowsBottomUp, seed);
  picture.xResolution = picture.yResolution = 96;
  const std::string path = dir.file(name);
  EXPECT_EQ(picture.writeBmp(path.c_str()), 1);
  return path;
}

inline std::string bitmapFile(const TempDir& dir, const std::string& name, int width, int height, int bits = 24) {
  Image picture;
  return bitmapFile(dir, name, width, height, bits, picture);
}

// Runs `orlim script` on the given lines, which must succeed; returns what it printed.
inline std::string runScriptLines(const TempDir& dir, const std::string& lines) {
  const std::string file = dir.file("session.orl");
  writeFile(file, std::vector<std::uint8_t>(lines.begin(), lines.end()));
  std::string output;
  EXPECT_EQ(run(std::string(ORLIM_CLI_PATH) + " script '" + file + "'", &output), 0) << output;
  return output;
}

inline std::string shellIn(const TempDir& dir, const std::string& command) {
  std::string output;
  EXPECT_EQ(run("cd '" + dir.path() + "' && " + command, &output), 0) << command << "\n" << output;
  return output;
}

inline bool haveDjvuEncoder() { return haveTool("c44"); }

// A colour DjVu page (a background layer only) of the given size.
inline std::string djvuPage(const TempDir& dir, const std::string& name, int width, int height) {
  shellIn(dir, convertTool() + " -size " + std::to_string(width) + "x" + std::to_string(height) +
                   " gradient:red-blue -fill white -draw 'rectangle 0,0 " + std::to_string(width / 4) + "," +
                   std::to_string(height / 4) + "' page.ppm && c44 page.ppm '" + name + "'");
  return dir.file(name);
}

// What a peer tool prints about a file.
inline std::string peerOutput(const std::string& command) {
  std::string output;
  EXPECT_EQ(run(command, &output), 0) << command << "\n" << output;
  return output;
}

}  // namespace orlim::test
