// The flat decode and render interface: header checks, subsample splitting,
// rectangles, layers, resolution and the error slot.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>

#include "djvu_fixtures.h"

namespace orlim::test {
namespace {

using PagePtr = std::unique_ptr<djvu_halfcoded_image, decltype(&djvu_halfcoded_image_free)>;
using PicturePtr = std::unique_ptr<djvu_pixel_image, decltype(&djvu_pixel_image_free)>;

PicturePtr render(const djvu_halfcoded_image* page, int s, int x0, int y0, int x1, int y1, int layer = 0) {
  djvu_render_options options;
  djvu_render_options_default(&options, sizeof options);
  options.layer = layer;
  return PicturePtr(djvu_render(&options, page, s, x0, y0, x1, y1), &djvu_pixel_image_free);
}

std::vector<std::uint8_t> bytesOf(const djvu_pixel_image& p) {
  std::vector<std::uint8_t> out;
  for (std::uint32_t y = 0; y < p.height; ++y) {
    const std::uint8_t* row = p.data + p.start + std::size_t(y) * p.rowsize;
    out.insert(out.end(), row, row + std::size_t(p.width) * p.pixsize);
  }
  return out;
}

class RenderApi : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!haveDjvuTools()) GTEST_SKIP() << "DjVuLibre tools missing";
  }
  TempDir dir;
  LayerErrors errors;
};

TEST_F(RenderApi, DecodeDescribesThePage) {
  PagePtr page(decodeFile(makeBitonalPage(dir, "b", 330, 250, 300)), &djvu_halfcoded_image_free);
  ASSERT_NE(page, nullptr);
  EXPECT_EQ(page->width, 330u);
  EXPECT_EQ(page->height, 250u);
  EXPECT_EQ(page->scaledWidth, 330u) << "INFO flags 1 keep the size";
  EXPECT_EQ(page->dpi, 300);
  EXPECT_FLOAT_EQ(page->gamma, 2.2f);
  ASSERT_NE(page->description, nullptr);
  EXPECT_NE(std::strstr(page->description, "INFO"), nullptr);
  EXPECT_NE(std::strstr(page->description, "Sjbz"), nullptr);
  EXPECT_TRUE(errors.messages.empty());
}

TEST_F(RenderApi, HeadersAreCheckedWhenTheLayerReadsTheStreamItself) {
  const std::vector<std::pair<std::string, std::string>> cases = {
      {"AT&TFORM", "Failed to read DjVu file header"},
      {"GIF89a..........", "Not a DjVu document."},
      {std::string("AT&TFORM\0\0\0\x10"
                   "DJVM",
                   16),
       "Multipage Bundled DjVu Documents Are Not Supported Yet."},
      {std::string("AT&TFORM\0\0\0\x10"
                   "DJVI",
                   16),
       "DjVu Index Files Are Not Supported Yet."},
      {std::string("AT&TFORM\0\0\0\x10"
                   "THUM",
                   16),
       "This DjVu Files Is Not A Recognized Format."},
  };
  const int lines[] = {694, 701, 708, 711, 714};
  for (std::size_t i = 0; i < cases.size(); ++i) {
    const std::string& bytes = cases[i].first;
    writeFile(dir.file("h.djvu"), std::vector<std::uint8_t>(bytes.begin(), bytes.end()));
    errors.messages.clear();
    errors.lines.clear();
    EXPECT_EQ(decodeFile(dir.file("h.djvu")), nullptr);
    ASSERT_EQ(errors.messages.size(), 1u) << cases[i].second;
    EXPECT_EQ(errors.messages[0], cases[i].second);
    EXPECT_EQ(errors.lines[0], lines[i]);
  }
  // Library errors come with the library's own text.
  std::vector<std::uint8_t> cut = readFile(makePhotoPage(dir, "p", 200, 150));
  cut.resize(60);
  writeFile(dir.file("cut.djvu"), cut);
  errors.messages.clear();
  EXPECT_EQ(decodeFile(dir.file("cut.djvu")), nullptr);
  ASSERT_FALSE(errors.messages.empty());
  EXPECT_FALSE(errors.messages[0].empty());
}

TEST_F(RenderApi, PagesThatNeedOtherFilesFailInsteadOfWaiting) {
  if (!haveTool("djvm") || !haveTool("djvmcvt")) GTEST_SKIP() << "djvm tools missing";
  const std::string first = makeBitonalPage(dir, "one", 60, 40), second = makePhotoPage(dir, "two", 60, 40);
  ASSERT_EQ(run("djvm -c '" + dir.file("bundle.djvu") + "' '" + first + "' '" + second + "'"), 0);
  ASSERT_EQ(run("mkdir -p '" + dir.file("ind") + "' && djvmcvt -i '" + dir.file("bundle.djvu") + "' '" +
                dir.file("ind") + "' index.djvu"),
            0);
  std::FILE* index = std::fopen(dir.file("ind/index.djvu").c_str(), "rb");
  ASSERT_NE(index, nullptr);
  // Through a read function the library judges the data: an indirect document
  // names pages in other files, which this decoder never opens.
  EXPECT_EQ(djvu_halfcoded_image_decode(Image::readFileBytes, index), nullptr);
  std::fclose(index);
  EXPECT_FALSE(errors.messages.empty());
}

TEST_F(RenderApi, RequestsAreCheckedBeforeRendering) {
  PagePtr page(decodeFile(makePhotoPage(dir, "p", 120, 90)), &djvu_halfcoded_image_free);
  ASSERT_NE(page, nullptr);
  EXPECT_EQ(render(page.get(), 0, 0, 0, 10, 10), nullptr);
  EXPECT_EQ(render(nullptr, 1, 0, 0, 10, 10), nullptr);
  EXPECT_EQ(render(page.get(), 1, 5, 0, 5, 10), nullptr);
  EXPECT_EQ(render(page.get(), 1, 0, 0, 10, 10, 7), nullptr);
  const std::vector<std::string> expected = {"Non-posative subsample value",
                                             "djvu_render: djvu_halfcoded_image is required",
                                             "Invalid rectangle specified.", "Unrecognized layer"};
  EXPECT_EQ(errors.messages, expected);
  EXPECT_EQ(errors.lines, (std::vector<int>{859, 873, 876, 932}));
  EXPECT_EQ(errors.files[0], "libAPI\\libdjvu");
  // The page stays usable after failed requests.
  PicturePtr ok = render(page.get(), 1, 0, 0, 119, 89);
  ASSERT_NE(ok, nullptr);
  EXPECT_EQ(ok->width, 120u);
  EXPECT_EQ(ok->flags & (PIX_BGR | PIX_BOTTOM_UP), PIX_BGR | PIX_BOTTOM_UP);
}

TEST_F(RenderApi, LargeSubsamplesAreSplitAtTheLargestDivisorUpToTwelve) {
  PagePtr page(decodeFile(makePhotoPage(dir, "p", 700, 500)), &djvu_halfcoded_image_free);
  ASSERT_NE(page, nullptr);
  // 14 = 7 x 2: the library renders at 7, the result is averaged by 2.
  PicturePtr at14 = render(page.get(), 14, 0, 0, 700 / 14 - 1, 500 / 14 - 1);
  PicturePtr at7 = render(page.get(), 7, 0, 0, 99, 71);
  ASSERT_NE(at14, nullptr);
  ASSERT_NE(at7, nullptr);
  ASSERT_EQ(djvu_pixel_subsample(at7.get(), 2), at7.get());
  EXPECT_EQ(at14->width, 50u);
  EXPECT_EQ(at14->height, 35u);
  EXPECT_EQ(at7->height, 36u);
  std::vector<std::uint8_t> a = bytesOf(*at14), b = bytesOf(*at7);
  b.resize(a.size());
  EXPECT_EQ(a, b) << "the same place as averaging a rendering at 7";
  // 24 = 12 x 2, and 13 renders directly.
  PicturePtr at24 = render(page.get(), 24, 0, 0, 700 / 24 - 1, 500 / 24 - 1);
  ASSERT_NE(at24, nullptr);
  EXPECT_EQ(at24->width, 29u);
  PicturePtr at13 = render(page.get(), 13, 0, 0, 700 / 13 - 1, 500 / 13 - 1);
  ASSERT_NE(at13, nullptr);
  const Reference ref = ddjvuRender(dir.file("p.djvu"), 13, "", false);
  EXPECT_EQ(int(at13->width), ref.width - 1);
  EXPECT_TRUE(errors.messages.empty());
}

TEST_F(RenderApi, ResolutionFollowsTheReduction) {
  PagePtr page(decodeFile(makeBitonalPage(dir, "b", 700, 560, 300)), &djvu_halfcoded_image_free);
  ASSERT_NE(page, nullptr);
  PicturePtr at4 = render(page.get(), 4, 0, 0, 100, 100);
  ASSERT_NE(at4, nullptr);
  EXPECT_TRUE(at4->flags & PIX_HAS_DPI);
  EXPECT_EQ(at4->xdpi, 75u);
  EXPECT_EQ(render(page.get(), 7, 0, 0, 50, 50)->ydpi, 43u);
  // Scaled to half size, the 1000 x 800 rule: subsample 2 needs no resampling.
  PicturePtr half(djvu_render_scaled(nullptr, page.get(), 0, 0, 599, 399, 0, 300, 200), &djvu_pixel_image_free);
  PicturePtr direct = render(page.get(), 2, 0, 0, 299, 199);
  ASSERT_NE(half, nullptr);
  EXPECT_EQ(bytesOf(*half), bytesOf(*direct));
  EXPECT_EQ(half->xdpi, 150u);
  PicturePtr odd(djvu_render_scaled(nullptr, page.get(), 0, 0, 599, 399, 0, 180, 120), &djvu_pixel_image_free);
  ASSERT_NE(odd, nullptr);
  EXPECT_EQ(odd->width, 180u);
  EXPECT_EQ(odd->height, 120u);
  EXPECT_EQ(odd->xdpi, 90u);
  PicturePtr turned(djvu_render_scaled(nullptr, page.get(), 0, 0, 599, 399, 90, 200, 300), &djvu_pixel_image_free);
  ASSERT_NE(turned, nullptr);
  EXPECT_EQ(turned->width, 200u) << "a quarter turn matches the sizes crosswise";
  EXPECT_EQ(turned->height, 300u);
  EXPECT_EQ(djvu_render_scaled(nullptr, page.get(), 0, 0, 599, 399, 0, 0, 10), nullptr);
  EXPECT_TRUE(errors.messages.empty());
}

TEST_F(RenderApi, LayersOfBitonalAndPhotoPages) {
  PagePtr bitonal(decodeFile(makeBitonalPage(dir, "b", 400, 300, 300)), &djvu_halfcoded_image_free);
  ASSERT_NE(bitonal, nullptr);
  // At subsample 2 the mask has 5 levels: anti-aliased for colour, only full black
  // for BLACKANDWHITE; a layer code the page cannot use renders the mask too.
  for (int layer : {0, 1, 7}) {
    PicturePtr p = render(bitonal.get(), 2, 0, 0, 199, 149, layer);
    ASSERT_NE(p, nullptr) << layer;
    EXPECT_EQ(p->flags & (PIX_GRAY | PIX_FROM_MASK), PIX_GRAY | PIX_FROM_MASK);
    bool seen[256] = {};
    for (std::uint8_t v : bytesOf(*p)) seen[v] = true;
    for (int v = 0; v < 256; ++v) {
      const bool allowed = layer == 1 ? (v == 0 || v == 255) : (v == 0 || v == 63 || v == 127 || v == 191 || v == 255);
      if (seen[v]) {
        EXPECT_TRUE(allowed) << "layer " << layer << " value " << v;
      }
    }
    EXPECT_TRUE(seen[0] && seen[255]);
    if (layer != 1) {
      EXPECT_TRUE(seen[127] || seen[63] || seen[191]) << "edges are anti-aliased";
    }
  }
  // An IW44 colour image has no foreground: a white gray picture of the rectangle.
  PagePtr iw44(decodeFile(makeIw44File(dir, "c", 160, 120, false)), &djvu_halfcoded_image_free);
  ASSERT_NE(iw44, nullptr);
  PicturePtr fg = render(iw44.get(), 1, 10, 10, 49, 29, DJVU_LAYER_FOREGROUND);
  ASSERT_NE(fg, nullptr);
  EXPECT_EQ(fg->width, 40u);
  EXPECT_EQ(fg->height, 20u);
  EXPECT_EQ(fg->flags & PIX_GRAY, PIX_GRAY);
  for (std::uint8_t v : bytesOf(*fg)) ASSERT_EQ(v, 255);
  // A whole gray page turns into a one-byte gray picture.
  PagePtr gray(decodeFile(makeIw44File(dir, "g", 160, 120, true)), &djvu_halfcoded_image_free);
  ASSERT_NE(gray, nullptr);
  PicturePtr whole = render(gray.get(), 2, 0, 0, 80, 60);
  ASSERT_NE(whole, nullptr);
  EXPECT_EQ(whole->pixsize, 1u);
  EXPECT_TRUE(whole->flags & PIX_GRAY);
  PicturePtr part = render(gray.get(), 2, 0, 0, 40, 30);
  EXPECT_EQ(part->pixsize, 3u) << "a part of the page stays a pixmap";
  EXPECT_TRUE(errors.messages.empty());
}

TEST(RenderOptions, DefaultsFillWhatTheCallerGives) {
  djvu_render_options* fresh = djvu_render_options_default(nullptr, 0);
  ASSERT_NE(fresh, nullptr);
  EXPECT_EQ(fresh->size, 24);
  EXPECT_FLOAT_EQ(fresh->gamma, 2.2f);
  EXPECT_EQ(fresh->bits, 24);
  EXPECT_EQ(fresh->layer, 0);
  _djvu_free(fresh);
  djvu_render_options partial;
  std::memset(&partial, 0x7F, sizeof partial);
  ASSERT_EQ(djvu_render_options_default(&partial, 12), &partial);
  EXPECT_EQ(partial.size, 12);
  EXPECT_EQ(partial.bits, 24);
  EXPECT_EQ(partial.flags, 0x7F7F7F7F) << "bytes past the length are not touched";
  EXPECT_EQ(djvu_render_options_default(&partial, 4), nullptr);
}

TEST(LayerErrorSlot, WithoutAHandlerErrorsEndTheProcess) {
  djvu_error_handler none = djvu_set_error_handler(nullptr);
  EXPECT_EXIT(djvu_report_error("broken", "libAPI\\libdjvu", 876), ::testing::ExitedWithCode(10),
              "DjVu Error: 'broken' at libAPI\\\\libdjvu\\(876\\)");
  djvu_set_error_handler(none);
}

}  // namespace
}  // namespace orlim::test
