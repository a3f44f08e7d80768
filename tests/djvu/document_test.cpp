// Multi-page documents (bundled and indirect) and pages turned by their INFO
// chunk: probed through the directory, decoded page by page, pixels as
// `ddjvu -page=N` renders them.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "control/autofit.h"
#include "djvu/DjvuFileInfo.h"
#include "djvu_fixtures.h"

namespace orlim::test {
namespace {

// One page of the fixture document: how it was made and what it should be.
struct PageMade {
  std::string path;
  std::uint32_t formType;
  std::uint32_t chunkMask;
  int width, height;  // upright
  int turn;           // quarter turns counter-clockwise asked by its INFO chunk
  int dpi;            // 0 for the IW44 image, which has no INFO chunk
};

// Six pages of every kind, two of them turned by djvused, with thumbnails and a
// shared annotation component that every page includes.
struct Documents {
  std::vector<PageMade> pages;
  std::string bundle, indirect;
};

const Documents& documents() {
  static const Documents made = [] {
    const TempDir& dir = sharedFixtureDir();
    Documents d;
    const std::uint32_t djvu = iffId("DJVU");
    d.pages = {
        {makeBitonalPage(dir, "d1", 333, 250, 600), djvu, kChunkSjbz, 333, 250, 0, 600},
        {makePhotoPage(dir, "d2", 210, 170), djvu, kChunkBG44, 210, 170, 0, 100},
        {makeCompoundPage(dir, "d3", 240, 180, 150), djvu, kChunkSjbz | kChunkBG44 | kChunkFG44, 240, 180, 0, 150},
        {makeIw44File(dir, "d4", 150, 130, false), iffId("PM44"), kChunkPM44, 150, 130, 0, 0},
        {makeBitonalPage(dir, "d5", 120, 200, 200), djvu, kChunkSjbz, 200, 120, 1, 200},
        {makePhotoPage(dir, "d6", 160, 100), djvu, kChunkBG44, 160, 100, 2, 100},
    };
    std::vector<std::string> paths;
    for (const PageMade& p : d.pages) paths.push_back(p.path);
    const std::string annotation = dir.file("shared-ant.txt");
    writeFile(annotation, {'(', 'z', 'o', 'o', 'm', ' ', 'p', 'a', 'g', 'e', ')', '\n'});
    d.bundle = makeBundle(dir, "book", paths,
                          "select 5; set-rotation 1; select 6; set-rotation 2; select; set-thumbnails 32; "
                          "create-shared-ant; set-ant " +
                              annotation);
    d.indirect = makeIndirect(dir, d.bundle, "book-indirect");
    return d;
  }();
  return made;
}

class DocumentPages : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!haveDjvuDocumentTools()) GTEST_SKIP() << "DjVuLibre document tools or imagemagick missing";
    image.errorHandler = [this](const char* text) { errors.push_back(text); };
  }
  std::string lastError() const { return errors.empty() ? "" : errors.back(); }

  // Loads page `page` (0-based), renders it at reduction s like the control and
  // compares the whole raster: masks exactly, colour within `colourLimit`.
  void expectPageLikeDdjvu(const std::string& path, int page, int s, double colorLimit, int turn = 0) {
    const std::string what = path + " page " + std::to_string(page + 1) + " subsample " + std::to_string(s);
    ASSERT_EQ(image.loadHalfCodedDjvu(path.c_str(), kFileDjvu, page), 1) << what << ": " << lastError();
    EXPECT_EQ(image.pageIndex, page) << what;
    ASSERT_EQ(image.renderDjvuPage(DJVU_LAYER_COLOR, 24, 1 - s, 2.2f, kLayoutPackedDib, kFileDjvu), 1) << what;
    const bool gray = image.bitsPerPixel == 8;
    Reference ref = ddjvuRender(path, s, "", gray, page + 1);
    if (gray)  // through the mask table, as the renderer does
      for (std::uint8_t& v : ref.bytes) v = maskTable(v, s, DJVU_LAYER_COLOR);
    EXPECT_LE(meanDifference(rasterOf(image), ref, turn), gray ? 0.0 : colorLimit) << what;
  }

  Image image;
  DjvuFileInfo info{};
  std::vector<std::string> errors;
};

TEST_F(DocumentPages, EveryPageOfABundleAndOfItsIndirectFormIsProbedOnItsOwn) {
  const Documents& d = documents();
  for (const std::string& path : {d.bundle, d.indirect}) {
    for (int page = 0; page < int(d.pages.size()); ++page) {
      const PageMade& made = d.pages[std::size_t(page)];
      ASSERT_EQ(image.probeDjvuFile(path.c_str(), info, page), 1) << path << " " << page << ": " << lastError();
      EXPECT_EQ(info.documentForm, iffId("DJVM"));
      EXPECT_EQ(info.indirect, path == d.indirect);
      EXPECT_EQ(info.pageCount, 6);
      EXPECT_EQ(info.pageIndex, page);
      EXPECT_EQ(info.formType, made.formType) << page;
      EXPECT_EQ(info.chunkMask, made.chunkMask) << page << ": the included annotation is passed over";
      EXPECT_EQ(info.infoDpi, made.dpi) << page;
    }
    // A page the document does not have is its first, as for TIFF.
    ASSERT_EQ(image.probeDjvuFile(path.c_str(), info, 6), 1);
    EXPECT_EQ(info.pageIndex, 0);
    EXPECT_EQ(info.chunkMask, kChunkSjbz);
  }
  ASSERT_EQ(image.probeDjvuFile(d.pages[0].path.c_str(), info, 3), 1) << "a single page ignores the page";
  EXPECT_EQ(info.documentForm, 0u);
  EXPECT_EQ(info.pageCount, 1);
  EXPECT_EQ(info.pageIndex, 0);
}

// Whole-raster tolerances as for single pages: exact for masks, a small mean
// difference where IW44 layers are rendered strip by strip.
TEST_F(DocumentPages, EveryPageRendersAsDdjvuRendersItAtFullSizeAndReduced) {
  const Documents& d = documents();
  for (const std::string& path : {d.bundle, d.indirect})
    for (int page = 0; page < int(d.pages.size()); ++page)
      for (int s : {1, 3}) {
        expectPageLikeDdjvu(path, page, s, 0.05, d.pages[std::size_t(page)].turn);
        EXPECT_EQ(image.fullWidth, d.pages[std::size_t(page)].width) << "upright width of page " << page + 1;
        EXPECT_EQ(image.fullHeight, d.pages[std::size_t(page)].height);
        if (d.pages[std::size_t(page)].dpi) {
          EXPECT_EQ(image.xResolution, d.pages[std::size_t(page)].dpi) << page;
        }
        EXPECT_EQ(image.pageCount, 6);
      }
}

// Issue: a page whose INFO chunk asks for a turn was shown as stored. Every
// layer at every reduction is the upright page: the colour strips equal ddjvu's
// rendering of the same parts; whole rasters differ from ddjvu's whole page only
// where the library renders IW44 layers part by part (up to 0.06 on a turned page).
TEST_F(DocumentPages, APageTurnedByItsInfoChunkRendersUprightInEveryLayer) {
  TempDir dir;
  const std::string compound = makeCompoundPage(dir, "turned", 420, 300);
  for (int turn : {0, 1, 2, 3}) {
    const std::string path = dir.file("turned" + std::to_string(turn) + ".djvu");
    std::filesystem::copy_file(compound, path);
    editWithDjvused(path, "select 1; set-rotation " + std::to_string(turn));
    const struct {
      int layer;
      const char* mode;
    } layers[] = {{DJVU_LAYER_COLOR, ""}, {DJVU_LAYER_BACKGROUND, "background"}, {DJVU_LAYER_FOREGROUND, "foreground"}};
    ASSERT_EQ(image.loadHalfCodedDjvu(path.c_str(), kFileDjvu), 1) << lastError();
    EXPECT_EQ(image.width, turn % 2 ? 300 : 420) << "turn " << turn;
    for (const auto& l : layers)
      for (int zoom : {0, -2}) {
        ASSERT_EQ(image.renderDjvuPage(l.layer, 24, zoom, 2.2f, kLayoutPackedDib, kFileDjvu), 1) << lastError();
        const double mean = meanDifference(rasterOf(image), ddjvuRender(path, 1 - zoom, l.mode, false), turn);
        EXPECT_LE(mean, 0.06) << "turn " << turn << " layer " << l.layer << " zoom " << zoom;
        if (l.layer == DJVU_LAYER_COLOR) expectStripsEqualLibraryParts(image, path, 1 - zoom);
      }
    ASSERT_EQ(image.renderDjvuPage(DJVU_LAYER_BLACKANDWHITE, 8, -1, 2.2f, kLayoutPackedDib, kFileDjvu), 1);
    Reference mask = ddjvuRender(path, 2, "mask", true);
    for (std::uint8_t& v : mask.bytes) v = maskTable(v, 2, DJVU_LAYER_BLACKANDWHITE);
    EXPECT_EQ(meanDifference(rasterOf(image), mask, turn), 0.0) << "turn " << turn;
  }
}

// Bad documents are refused by the probe with a message naming the file and the
// page, before the library sees them; the decoder refuses them on its own too.
TEST_F(DocumentPages, DamagedDocumentsAreRefusedWithTheFileAndPageNamed) {
  const Documents& d = documents();
  TempDir dir;
  const std::vector<std::uint8_t> bundle = readFile(d.bundle);
  std::vector<std::uint8_t> cut(bundle.begin(), bundle.begin() + long(bundle.size() / 2));
  writeFile(dir.file("cut.djvu"), cut);
  // Every component's offset (after "AT&TFORM" size "DJVM" "DIRM" size, flags,
  // count) pointed far beyond the end.
  std::vector<std::uint8_t> outside = bundle;
  const int components = outside[25] * 256 + outside[26];
  std::fill(outside.begin() + 27, outside.begin() + 27 + 4 * components, 0x7F);
  writeFile(dir.file("outside.djvu"), outside);
  const std::string folder = dir.file("indirect");
  std::filesystem::copy(std::filesystem::path(d.indirect).parent_path(), folder);
  std::filesystem::remove(folder + "/d3.djvu");
  std::filesystem::remove(folder + "/shared_anno.iff");
  const std::string index = folder + "/index.djvu";
  const std::string dictionary = (std::filesystem::path(d.indirect).parent_path() / "shared_anno.iff").string();

  const struct {
    std::string path;
    int page;
    std::string message;
  } cases[] = {
      {dir.file("cut.djvu"), 5, "Error! The DjVu document " + dir.file("cut.djvu") + " is cut short or damaged"},
      {dir.file("outside.djvu"), 0,
       "Error! The directory of the DjVu document " + dir.file("outside.djvu") +
           " points outside the file (component 1 at 2139062143)!\n"},
      {index, 2,
       "Error! Page 3 of the DjVu document " + index + " is missing: could not open " + folder + "/d3.djvu!\n"},
      {index, 0,
       "Error! Page 1 of the DjVu document " + index + " needs " + folder +
           "/shared_anno.iff, which could not be opened!\n"},
      {dictionary, 0,
       "Error! " + dictionary + " holds data shared by the pages of a DjVu document (DJVI), not a page!\n"},
  };
  for (const auto& c : cases) {
    errors.clear();
    EXPECT_EQ(image.probeDjvuFile(c.path.c_str(), info, c.page), 0) << c.path;
    EXPECT_EQ(lastError().substr(0, c.message.size()), c.message) << c.path;
    errors.clear();
    LayerErrors layer;  // the decoder's own reports, without a handler of the Image's
    EXPECT_EQ(image.loadHalfCodedDjvu(c.path.c_str(), kFileDjvu, c.page), 0) << c.path;
    EXPECT_EQ(lastError(), "Failed to load half coded image.") << c.path;
    EXPECT_EQ(image.djvuPage, nullptr);
  }
}

// Every multi-page document of the public corpus opens at every page ddjvu opens,
// and is refused with the missing file named where ddjvu fails too. Bundles of
// more than 12 pages are sampled (the first two, a middle and the last two pages)
// to keep the test fast; pages are compared at subsample 3.
TEST_F(DocumentPages, CorpusDocumentsOpenWhereDdjvuDoes) {
  const std::filesystem::path corpus = std::filesystem::path(ORLIM_SOURCE_DIR) / "../shared/corpus/djvu";
  if (!std::filesystem::exists(corpus)) GTEST_SKIP() << "no corpus at " << corpus;
  int documentsSeen = 0, pagesOpened = 0, pagesRefused = 0;
  std::vector<std::filesystem::path> files;
  for (const auto& entry : std::filesystem::recursive_directory_iterator(corpus))
    if (entry.path().extension() == ".djvu") files.push_back(entry.path());
  std::sort(files.begin(), files.end());
  for (const auto& file : files) {
    const std::string path = file.string();
    if (!image.probeDjvuFile(path.c_str(), info, 0) || !info.documentForm) continue;
    ++documentsSeen;
    const int pages = info.pageCount;
    std::vector<int> chosen;
    for (int p = 0; p < pages; ++p)
      if (pages <= 12 || info.indirect || p <= 1 || p == pages / 2 || p >= pages - 2) chosen.push_back(p);
    for (int page : chosen) {
      errors.clear();
      const bool peerOpens =
          run("ddjvu -format=pgm -page=" + std::to_string(page + 1) + " -subsample=8 '" + path + "' /dev/null") == 0;
      const bool probed = image.probeDjvuFile(path.c_str(), info, page) == 1;
      EXPECT_EQ(probed, peerOpens) << path << " page " << page + 1 << ": " << lastError();
      if (!probed) {
        EXPECT_NE(lastError().find("Page " + std::to_string(page + 1) + " of the DjVu document " + path),
                  std::string::npos)
            << lastError();
        ++pagesRefused;
        continue;
      }
      expectPageLikeDdjvu(path, page, 3, 0.05);
      ++pagesOpened;
    }
  }
  std::printf("corpus: %d documents, %d pages opened like ddjvu, %d refused as ddjvu refuses them\n", documentsSeen,
              pagesOpened, pagesRefused);
  EXPECT_GE(documentsSeen, 8);
}

}  // namespace
}  // namespace orlim::test
