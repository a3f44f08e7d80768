// The IFF probe against pages made by DjVuLibre's encoders and files written byte by byte.
#include <gtest/gtest.h>

#include "djvu/DjvuFileInfo.h"
#include "djvu_fixtures.h"

namespace orlim::test {
namespace {

void appendBe32(std::vector<std::uint8_t>& out, std::uint32_t v) {
  for (int shift = 24; shift >= 0; shift -= 8) out.push_back(std::uint8_t(v >> shift));
}

void appendChunk(std::vector<std::uint8_t>& body, const char* id, const std::vector<std::uint8_t>& data) {
  body.insert(body.end(), id, id + 4);
  appendBe32(body, std::uint32_t(data.size()));
  body.insert(body.end(), data.begin(), data.end());
  // Chunks start at even positions; the body starts at file offset 16.
  if (body.size() % 2) body.push_back(0);
}

// "AT&T" "FORM" size `form` and the chunks already laid out in `body`.
std::vector<std::uint8_t> iffFile(const char* form, const std::vector<std::uint8_t>& body) {
  std::vector<std::uint8_t> file = {'A', 'T', '&', 'T', 'F', 'O', 'R', 'M'};
  appendBe32(file, std::uint32_t(4 + body.size()));
  file.insert(file.end(), form, form + 4);
  file.insert(file.end(), body.begin(), body.end());
  return file;
}

// INFO data: 300 x 200, version 24, 150 dpi (little-endian), gamma 22, flags 1.
std::vector<std::uint8_t> infoData(std::size_t size) {
  std::vector<std::uint8_t> data = {0x01, 0x2C, 0x00, 0xC8, 24, 0, 150, 0, 22, 1};
  data.resize(size);
  return data;
}

std::vector<std::uint8_t> iw44Header(int serial, int width, int height) {
  return {
      std::uint8_t(serial), 74,   1,    2,   std::uint8_t(width >> 8), std::uint8_t(width), std::uint8_t(height >> 8),
      std::uint8_t(height), 0x8A, 0xFF, 0xEE};
}

class Probe : public ::testing::Test {
 protected:
  void SetUp() override {
    image.errorHandler = [this](const char* text) { errors.push_back(text); };
  }
  int probeBytes(const std::vector<std::uint8_t>& bytes) {
    writeFile(dir.file("f.djvu"), bytes);
    return image.probeDjvuFile(dir.file("f.djvu").c_str(), info);
  }
  std::string lastError() const { return errors.empty() ? "" : errors.back(); }

  TempDir dir;
  Image image;
  DjvuFileInfo info{};
  std::vector<std::string> errors;
};

TEST_F(Probe, PagesAndImagesMadeByTheEncoders) {
  if (!haveDjvuTools()) GTEST_SKIP() << "DjVuLibre tools missing";
  ASSERT_EQ(image.probeDjvuFile(makeCompoundPage(dir, "c", 240, 180, 300).c_str(), info), 1) << lastError();
  EXPECT_EQ(info.formType, iffId("DJVU"));
  EXPECT_EQ(info.chunkMask, kChunkSjbz | kChunkBG44 | kChunkFG44);
  EXPECT_EQ(info.infoWidth, 240);
  EXPECT_EQ(info.infoHeight, 180);
  EXPECT_EQ(info.infoDpi, 300);
  EXPECT_EQ(info.infoGamma, 22);
  EXPECT_EQ(info.bg44.width, 80) << "the background at a third of the page";
  EXPECT_EQ(info.bg44.height, 60);
  EXPECT_GE(info.bg44.count, 1);
  EXPECT_EQ(info.fg44.count, 1);
  EXPECT_EQ(info.fg44.width, 20);
  EXPECT_EQ(info.bg44.majorVersion, 1);

  ASSERT_EQ(image.probeDjvuFile(makeBitonalPage(dir, "b", 120, 90, 600).c_str(), info), 1);
  EXPECT_EQ(info.chunkMask, kChunkSjbz);
  EXPECT_EQ(info.infoDpi, 600);

  ASSERT_EQ(image.probeDjvuFile(makePhotoPage(dir, "p", 100, 70).c_str(), info), 1);
  EXPECT_EQ(info.chunkMask, kChunkBG44);

  ASSERT_EQ(image.probeDjvuFile(makeIw44File(dir, "colour", 100, 70, false).c_str(), info), 1) << lastError();
  EXPECT_EQ(info.formType, iffId("PM44"));
  EXPECT_EQ(info.chunkMask, kChunkPM44);
  EXPECT_EQ(info.pm44.width, 100);
  EXPECT_EQ(info.pm44.height, 70);
  EXPECT_EQ(info.infoWidth, 0) << "IW44 files have no INFO";

  // A gray image of several BM44 chunks is scanned to the end of the file.
  ASSERT_EQ(image.probeDjvuFile(makeIw44File(dir, "gray", 100, 70, true).c_str(), info), 1) << lastError();
  EXPECT_EQ(info.formType, iffId("BM44"));
  EXPECT_EQ(info.chunkMask, kChunkBM44);
  EXPECT_GT(info.bm44.count, 1);
  EXPECT_TRUE(errors.empty());
}

TEST_F(Probe, OddChunksArePaddedAndFirstHeadersKept) {
  std::vector<std::uint8_t> body;
  appendChunk(body, "INFO", infoData(10));
  appendChunk(body, "Sjbz", {1, 2, 3, 4, 5});  // odd: a pad byte follows
  appendChunk(body, "FG44", iw44Header(0, 25, 17));
  appendChunk(body, "BG44", iw44Header(0, 100, 67));
  appendChunk(body, "BG44", {1, 10, 9, 9, 9, 9});  // a later chunk: only counted
  ASSERT_EQ(probeBytes(iffFile("DJVU", body)), 1) << lastError();
  EXPECT_EQ(info.chunkMask, kChunkSjbz | kChunkBG44 | kChunkFG44);
  EXPECT_EQ(info.fg44.count, 1);
  EXPECT_EQ(info.fg44.width, 25);
  EXPECT_EQ(info.fg44.height, 17);
  EXPECT_EQ(info.fg44.chromaDelay, 0x8A);
  EXPECT_EQ(info.bg44.count, 2);
  EXPECT_EQ(info.bg44.width, 100);
  EXPECT_EQ(info.bg44.minorVersion, 2);
}

TEST_F(Probe, AnUnknownChunkEndsTheScan) {
  std::vector<std::uint8_t> body;
  appendChunk(body, "INFO", infoData(10));
  appendChunk(body, "ANTa", {'(', ')'});
  appendChunk(body, "Sjbz", {1, 2});
  ASSERT_EQ(probeBytes(iffFile("DJVU", body)), 1);
  EXPECT_EQ(info.chunkMask, 0u) << "chunks behind the annotation are never looked at";
}

TEST_F(Probe, ShortInfoChunksLeaveResolutionAndGammaOut) {
  for (std::size_t size : {5, 6, 7, 8, 9}) {
    std::vector<std::uint8_t> body;
    appendChunk(body, "INFO", infoData(size));
    appendChunk(body, "Sjbz", {1, 2});
    ASSERT_EQ(probeBytes(iffFile("DJVU", body)), 1) << size;
    EXPECT_EQ(info.infoDpi, size > 6 ? 150 : 0) << size;
    EXPECT_EQ(info.infoGamma, size > 8 ? 22 : 0) << size;
    EXPECT_EQ(info.chunkMask, kChunkSjbz) << "the scan goes on behind a short INFO of size " << size;
  }
  EXPECT_EQ(info.infoWidth, 300);
  EXPECT_EQ(info.infoHeight, 200);
  EXPECT_EQ(info.infoMinorVersion, 24);
}

// Directories checked with plain reads before the library reads the rest.
TEST_F(Probe, DocumentDirectoriesThatDoNotFitAreRefused) {
  const std::string path = dir.file("f.djvu");
  const std::string doesNotFit = "Error! The directory of the DjVu document " + path + " does not fit in the file!\n";
  const struct {
    std::vector<std::uint8_t> dirm;
    std::string message;
  } cases[] = {
      {{0x81, 0}, doesNotFit},                  // shorter than its head
      {{0x81, 0, 2, 0, 0, 0, 16}, doesNotFit},  // two offsets announced, one there
      {{0x81, 0, 1, 0, 0, 0x10, 0},             // an offset beyond the end
       "Error! The directory of the DjVu document " + path + " points outside the file (component 1 at 4096)!\n"},
      {{0x81, 0, 1, 0, 0, 0, 16, 0xFF, 0xFF, 0xFF},
       "Error! The directory of the DjVu document " + path + " cannot be read: "},  // the library's own words follow
  };
  for (const auto& c : cases) {
    std::vector<std::uint8_t> body;
    appendChunk(body, "DIRM", c.dirm);
    errors.clear();
    EXPECT_EQ(probeBytes(iffFile("DJVM", body)), 0);
    EXPECT_EQ(lastError().substr(0, c.message.size()), c.message);
  }
}

TEST_F(Probe, MalformedFilesAreRefusedWithTheirMessages) {
  const std::string path = dir.file("f.djvu");
  EXPECT_EQ(image.probeDjvuFile(dir.file("none.djvu").c_str(), info), 0);
  EXPECT_EQ(lastError(), "Could not open " + dir.file("none.djvu") + "!\n");

  std::vector<std::uint8_t> body;
  appendChunk(body, "INFO", infoData(10));
  std::vector<std::uint8_t> good = iffFile("DJVU", body);

  std::vector<std::uint8_t> bytes = good;
  bytes[0] = 'X';
  EXPECT_EQ(probeBytes(bytes), 0);
  EXPECT_EQ(lastError(), "No preamble. " + path + " is not a valid DjVu or IW44 file!\n");

  bytes = good;
  bytes[4] = 'L';
  EXPECT_EQ(probeBytes(bytes), 0);
  EXPECT_EQ(lastError(), "No FORM chunk found!\n");

  bytes = good;
  bytes.push_back(0);
  EXPECT_EQ(probeBytes(bytes), 0);
  EXPECT_EQ(lastError(), "Error! Stored FORM chunk size is " + std::to_string(good.size() - 12) +
                             ", but actual file chunk is " + std::to_string(good.size() - 11) + ".\n");

  EXPECT_EQ(probeBytes(iffFile("DJVM", body)), 0);
  EXPECT_EQ(lastError(), "Error! No DIRM directory in the DjVu document " + path + "!\n");
  EXPECT_EQ(probeBytes(iffFile("DJVI", body)), 0);
  EXPECT_EQ(lastError(), "Error! " + path + " holds data shared by the pages of a DjVu document (DJVI), not a page!\n");
  EXPECT_EQ(probeBytes(iffFile("DJVX", body)), 0);
  EXPECT_EQ(lastError(), "Error! Unknown secondary identifier: DJVX\n");

  std::vector<std::uint8_t> noInfo;
  appendChunk(noInfo, "Sjbz", {1, 2});
  EXPECT_EQ(probeBytes(iffFile("DJVU", noInfo)), 0);
  EXPECT_EQ(lastError(), "Error! No INFO chunk in " + path + "!\n");

  // A chunk size far beyond the file just ends the scan.
  std::vector<std::uint8_t> huge;
  appendChunk(huge, "INFO", infoData(10));
  huge.insert(huge.end(), {'B', 'G', '4', '4', 0xFF, 0xFF, 0xFF, 0xF0, 0, 74});
  EXPECT_EQ(probeBytes(iffFile("DJVU", huge)), 1);
  EXPECT_EQ(info.chunkMask, kChunkBG44);
  EXPECT_EQ(errors.size(), 8u);
}

TEST_F(Probe, InfoCommandPrintsTheKindAndTheRenderedRaster) {
  if (!haveDjvuTools()) GTEST_SKIP() << "DjVuLibre tools missing";
  // A gray IW44 image named .djvu: the form, not the extension, decides.
  const std::string iw44 = makeIw44File(dir, "g", 90, 60, true), named = dir.file("g-named.djvu");
  writeFile(named, readFile(iw44));
  std::string out;
  ASSERT_EQ(run(std::string(ORLIM_CLI_PATH) + " info '" + named + "' --render -1", &out), 0) << out;
  for (const char* line : {"formType = BM44", "fileType = 2", "djvuKind = 2", "chunkMask = 16", "pageWidth = 90",
                           "width = 45", "height = 30", "bitsPerPixel = 24", "BM44"})
    EXPECT_NE(out.find(line), std::string::npos) << line << " in\n" << out;
  EXPECT_NE(run(std::string(ORLIM_CLI_PATH) + " info '" + dir.file("none.djv") + "'", &out), 0);
}

}  // namespace
}  // namespace orlim::test
