// The text rasteriser against the fonts' own data, read here with FreeType
// directly: widths from the glyphs' advances, heights from the OS/2 metrics,
// the ink from FreeType's own monochrome glyph images. Where a test names the face
// that serves Arial ("Liberation Sans"), it counts on fonts-liberation2, which
// scripts/install-deps.sh installs with the project; it is not a guess about the host.
#include <ft2build.h>
#include <gtest/gtest.h>
#include FT_FREETYPE_H
#include FT_TRUETYPE_TABLES_H

#include <cmath>
#include <string>
#include <vector>

#include "platform/TextRasterizer.h"
#include "platform/text_lines.h"

namespace orlim {
namespace {

LOGFONTA fontOf(const char* face, int height, int weight = 400, bool italic = false) {
  LOGFONTA f{};
  f.lfHeight = height;
  f.lfWeight = weight;
  f.lfItalic = italic;
  std::snprintf(f.lfFaceName, LF_FACESIZE, "%s", face);
  return f;
}

// The face file opened by the test itself, at the same em size.
class Reference {
 public:
  Reference(const FontFace& chosen, int ppem) {
    EXPECT_EQ(FT_Init_FreeType(&library_), 0);
    EXPECT_EQ(FT_New_Face(library_, chosen.file.c_str(), chosen.index, &face_), 0);
    EXPECT_EQ(FT_Set_Pixel_Sizes(face_, 0, ppem), 0);
  }
  ~Reference() {
    if (face_) FT_Done_Face(face_);
    FT_Done_FreeType(library_);
  }
  FT_Face face() const { return face_; }
  double scale() const { return static_cast<double>(face_->size->metrics.y_ppem) / face_->units_per_EM; }
  const TT_OS2& os2() const { return *static_cast<const TT_OS2*>(FT_Get_Sfnt_Table(face_, FT_SFNT_OS2)); }

  // Advance in whole pixels of one glyph, hinted for monochrome output.
  int advance(char32_t c) const {
    EXPECT_EQ(FT_Load_Char(face_, c, FT_LOAD_DEFAULT | FT_LOAD_TARGET_MONO), 0);
    return static_cast<int>((face_->glyph->advance.x + 32) >> 6);
  }
  int width(const std::string& text) const {
    int w = 0;
    for (unsigned char c : text) w += advance(c);
    return w;
  }
  int lineHeight() const {
    return static_cast<int>(std::ceil(os2().usWinAscent * scale()) + std::ceil(os2().usWinDescent * scale()));
  }
  int ascent() const { return static_cast<int>(std::ceil(os2().usWinAscent * scale())); }

  // FreeType's own monochrome images of the glyphs, laid along one baseline.
  std::vector<std::vector<bool>> ink(const std::string& text, int w, int h) const {
    std::vector<std::vector<bool>> out(h, std::vector<bool>(w, false));
    int pen = 0;
    for (unsigned char c : text) {
      EXPECT_EQ(FT_Load_Char(face_, c, FT_LOAD_RENDER | FT_LOAD_TARGET_MONO), 0);
      const FT_GlyphSlot g = face_->glyph;
      for (unsigned r = 0; r < g->bitmap.rows; ++r)
        for (unsigned k = 0; k < g->bitmap.width; ++k) {
          const int x = pen + g->bitmap_left + static_cast<int>(k), y = ascent() - g->bitmap_top + static_cast<int>(r);
          if (x >= 0 && y >= 0 && x < w && y < h && (g->bitmap.buffer[r * g->bitmap.pitch + k / 8] & (0x80 >> (k % 8))))
            out[y][x] = true;
        }
      pen += static_cast<int>((g->advance.x + 32) >> 6);
    }
    return out;
  }

 private:
  FT_Library library_ = nullptr;
  FT_Face face_ = nullptr;
};

RECT measure(const TextRasterizer& r, const std::string& text, UINT format) {
  RECT rc{0, 0, 0, 0};
  r.DrawText(text.c_str(), -1, rc, format | DT_CALCRECT);
  return rc;
}

MonoBitmap draw(const TextRasterizer& r, const std::string& text, UINT format, int w, int h) {
  MonoBitmap bm(w, h);
  RECT rc{0, 0, w, h};
  r.DrawText(text.c_str(), -1, rc, format, &bm);
  return bm;
}

int inkCount(const MonoBitmap& bm, int y0 = 0, int y1 = -1) {
  int n = 0;
  for (int y = y0; y < (y1 < 0 ? bm.height() : y1); ++y)
    for (int x = 0; x < bm.width(); ++x) n += bm.ink(x, y);
  return n;
}

TEST(TextRasterizer, ArialIsServedByAMetricCompatibleFaceWithItsOwnWidthsAndHeight) {
  const TextRasterizer r(fontOf("Arial", -13));  // 10 points at 96 pixels per inch
  ASSERT_TRUE(r.ready());
  EXPECT_EQ(r.face().family, "Liberation Sans");
  EXPECT_EQ(r.metrics().pixelsPerEm, 13);
  const Reference ref(r.face(), 13);
  const RECT rc = measure(r, "Page", DT_LEFT);
  EXPECT_EQ(rc.right - rc.left, ref.width("Page"));
  EXPECT_EQ(rc.bottom - rc.top, ref.lineHeight());
  EXPECT_EQ(r.metrics().height, ref.lineHeight());
  // The hinted widths stay within a pixel a glyph of the design widths.
  double design = 0;
  for (char c : std::string("Page")) {
    FT_Load_Char(ref.face(), c, FT_LOAD_NO_HINTING);
    design += ref.face()->glyph->linearHoriAdvance / 65536.0;
  }
  EXPECT_NEAR(rc.right - rc.left, design, 4.0);
  // FreeType's own line metrics agree for this face.
  EXPECT_EQ(ref.lineHeight(), (ref.face()->size->metrics.ascender - ref.face()->size->metrics.descender) >> 6);
  // A positive height asks for the cell height: 15 rows give the same 13-pixel em.
  const TextRasterizer cell(fontOf("Arial", 15));
  EXPECT_EQ(cell.metrics().pixelsPerEm, 13);
  EXPECT_EQ(cell.metrics().height, 15);
}

TEST(TextRasterizer, MaskBitsAreExactlyTheGlyphPixels) {
  for (const char* face : {"Arial", "Times New Roman", "Courier New"}) {
    const TextRasterizer r(fontOf(face, -17));
    ASSERT_TRUE(r.ready()) << face;
    const std::string text = "Quay jig 42%";
    const RECT rc = measure(r, text, DT_LEFT);
    const MonoBitmap bm = draw(r, text, DT_LEFT | DT_NOPREFIX, rc.right, rc.bottom);
    const Reference ref(r.face(), 17);
    const auto expected = ref.ink(text, rc.right, rc.bottom);
    int mismatches = 0, ink = 0;
    for (int y = 0; y < rc.bottom; ++y)
      for (int x = 0; x < rc.right; ++x) {
        mismatches += bm.ink(x, y) != expected[y][x];
        ink += expected[y][x];
      }
    EXPECT_EQ(mismatches, 0) << face;
    EXPECT_GT(ink, 100) << face;
    // Row padding stays clear.
    for (int y = 0; y < bm.height(); ++y)
      for (int x = bm.width(); x < bm.stride() * 8; ++x) EXPECT_FALSE(bm.row(y)[x / 8] & (0x80 >> (x % 8)));
  }
}

TEST(TextRasterizer, LinesAreMeasuredByTheWidestAndAlignedOneByOne) {
  const TextRasterizer r(fontOf("Arial", -13));
  const Reference ref(r.face(), 13);
  const std::string text = "Page\nis\r\nlonger line\rx";
  const RECT rc = measure(r, text, DT_LEFT);
  const int w = ref.width("longer line"), lh = ref.lineHeight();
  EXPECT_EQ(rc.right, w);
  EXPECT_EQ(rc.bottom, 4 * lh);

  const MonoBitmap left = draw(r, text, DT_LEFT, w, 4 * lh);
  const MonoBitmap center = draw(r, text, DT_CENTER, w, 4 * lh);
  const MonoBitmap right = draw(r, text, DT_RIGHT, w, 4 * lh);
  const std::string lines[] = {"Page", "is", "longer line", "x"};
  for (int i = 0; i < 4; ++i) {
    const int lw = ref.width(lines[i]);
    const int shifts[] = {(w - lw) / 2, w - lw};
    const MonoBitmap* aligned[] = {&center, &right};
    for (int a = 0; a < 2; ++a) {
      int mismatches = 0;
      for (int y = i * lh; y < (i + 1) * lh; ++y)
        for (int x = 0; x < w; ++x) mismatches += aligned[a]->ink(x, y) != left.ink(x - shifts[a], y);
      EXPECT_EQ(mismatches, 0) << "line " << i << (a ? " right" : " centred");
    }
    EXPECT_GT(inkCount(left, i * lh, (i + 1) * lh), 0) << "line " << i;
  }
}

TEST(TextRasterizer, LineBreaksAtTheEndStartNoFurtherLine) {
  EXPECT_EQ(splitTextLines("", true).size(), 0u);
  EXPECT_EQ(splitTextLines("a\n", true).size(), 1u);
  EXPECT_EQ(splitTextLines("\n", true).size(), 1u);
  EXPECT_EQ(splitTextLines("a\n\nb\r\n", true).size(), 3u);
  EXPECT_EQ(ansiToUnicode(0x80), U'\u20AC');
  EXPECT_EQ(ansiToUnicode(0xE9), U'\u00E9');
  const TextRasterizer r(fontOf("Arial", -13));
  EXPECT_EQ(measure(r, "", DT_LEFT).bottom, 0);
  EXPECT_EQ(measure(r, "a\n", DT_LEFT).bottom, r.metrics().height);
}

TEST(TextRasterizer, TabsExpandToEightAverageCharacterWidths) {
  const TextRasterizer r(fontOf("Arial", -13));
  const Reference ref(r.face(), 13);
  const int stop = 8 * static_cast<int>(std::floor(ref.os2().xAvgCharWidth * ref.scale() + 0.5));
  ASSERT_GT(stop, ref.advance('a'));
  EXPECT_EQ(measure(r, "a\tb", DT_EXPANDTABS).right, stop + ref.advance('b'));
  EXPECT_EQ(measure(r, "\t\tb", DT_EXPANDTABS).right, 2 * stop + ref.advance('b'));
  EXPECT_EQ(measure(r, "a\tb\nabcdefghijklmnop\tq", DT_EXPANDTABS).right,
            (ref.width("abcdefghijklmnop") / stop + 1) * stop + ref.advance('q'));
  // The text after a tab is drawn at the stop.
  const MonoBitmap bm = draw(r, "\tl", DT_EXPANDTABS, 2 * stop, r.metrics().height);
  for (int x = 0; x < stop; ++x)
    for (int y = 0; y < bm.height(); ++y) ASSERT_FALSE(bm.ink(x, y));
  EXPECT_GT(inkCount(bm), 0);
}

TEST(TextRasterizer, PrefixesUnlessToldOtherwise) {
  const TextRasterizer r(fontOf("Arial", -13));
  const Reference ref(r.face(), 13);
  EXPECT_EQ(measure(r, "A&&B", DT_LEFT).right, ref.width("A&B"));
  EXPECT_EQ(measure(r, "&File", DT_LEFT).right, ref.width("File"));
  EXPECT_EQ(measure(r, "&File", DT_NOPREFIX).right, ref.width("&File"));
  // "&F" underlines the F: more ink than plain "File" below the baseline.
  const int w = ref.width("File"), h = r.metrics().height, base = r.metrics().ascent;
  EXPECT_GT(inkCount(draw(r, "&File", DT_LEFT, w, h), base, h), inkCount(draw(r, "File", DT_LEFT, w, h), base, h));
}

TEST(TextRasterizer, BoldAndItalicChooseTheirFaces) {
  struct Case {
    int weight;
    bool italic;
    const char* style;
  } cases[] = {{400, false, "Regular"},
               {700, false, "Bold"},
               {400, true, "Italic"},
               {900, true, "Bold Italic"},
               {600, false, "Regular"}};
  for (const Case& c : cases) {
    const TextRasterizer r(fontOf("Arial", -20, c.weight, c.italic));
    ASSERT_TRUE(r.ready());
    EXPECT_EQ(r.face().family, "Liberation Sans");
    EXPECT_EQ(r.face().style, c.style) << c.weight << " " << c.italic;
    EXPECT_FALSE(r.face().embolden);
    EXPECT_FALSE(r.face().oblique);
  }
  // The bold face really draws heavier letters.
  const TextRasterizer regular(fontOf("Arial", -20)), bold(fontOf("Arial", -20, 700));
  const RECT rr = measure(regular, "Heavy", DT_LEFT), rb = measure(bold, "Heavy", DT_LEFT);
  EXPECT_GT(inkCount(draw(bold, "Heavy", DT_LEFT, rb.right, rb.bottom)),
            inkCount(draw(regular, "Heavy", DT_LEFT, rr.right, rr.bottom)) * 5 / 4);
  // An unknown face still gets a font.
  const TextRasterizer unknown(fontOf("No Such Face Anywhere", -13));
  EXPECT_TRUE(unknown.ready());
  EXPECT_GT(measure(unknown, "Page", DT_LEFT).right, 0);
}

// Rows holding ink in `with` but not in `without`, all spanning the whole width.
std::vector<int> addedFullRows(const MonoBitmap& with, const MonoBitmap& without) {
  std::vector<int> rows;
  for (int y = 0; y < with.height(); ++y) {
    bool added = false, full = true;
    for (int x = 0; x < with.width(); ++x) {
      added |= with.ink(x, y) && !without.ink(x, y);
      full &= with.ink(x, y);
    }
    if (added) {
      EXPECT_TRUE(full) << "row " << y;
      rows.push_back(y);
    }
  }
  return rows;
}

TEST(TextRasterizer, UnderlineAndStrikeOutDrawLinesBelowAndAcrossTheBaseline) {
  LOGFONTA plainFont = fontOf("Arial", -24), under = plainFont, struck = plainFont;
  under.lfUnderline = 1;
  struck.lfStrikeOut = 1;
  const TextRasterizer plain(plainFont), underlined(under), strokeThrough(struck);
  const RECT rc = measure(plain, "Tom b", DT_LEFT);
  EXPECT_EQ(measure(underlined, "Tom b", DT_LEFT).right, rc.right);
  const MonoBitmap base = draw(plain, "Tom b", DT_LEFT, rc.right, rc.bottom);
  const int ascent = plain.metrics().ascent;
  const std::vector<int> u = addedFullRows(draw(underlined, "Tom b", DT_LEFT, rc.right, rc.bottom), base);
  ASSERT_FALSE(u.empty());
  for (int y : u) EXPECT_TRUE(y >= ascent && y < rc.bottom) << y;
  const std::vector<int> s = addedFullRows(draw(strokeThrough, "Tom b", DT_LEFT, rc.right, rc.bottom), base);
  ASSERT_FALSE(s.empty());
  for (int y : s) EXPECT_TRUE(y < ascent && y > ascent / 3) << y;
}

}  // namespace
}  // namespace orlim
