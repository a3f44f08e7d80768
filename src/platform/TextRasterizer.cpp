#include "platform/TextRasterizer.h"

#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_OUTLINE_H
#include FT_TRUETYPE_TABLES_H

#include <algorithm>
#include <cmath>
#include <cstring>

#include "platform/text_lines.h"

namespace orlim {

namespace {

constexpr int kDefaultPixelsPerEm = 16;  // lfHeight 0: 12 points at 96 pixels per inch
constexpr int kLargestPixelsPerEm = 16384;
constexpr int kTabStopChars = 8;
// Slant of a synthesised italic: tan(12 degrees) in 16.16.
constexpr FT_Fixed kObliqueShear = 0x366A;

int roundHalfUp(double v) { return static_cast<int>(std::floor(v + 0.5)); }

// Rows [top, top + rows) of a line drawn under or through the text, counted from the baseline.
struct Band {
  int top;
  int rows;
};

}  // namespace

struct TextRasterizer::Font {
  FT_Library library = nullptr;
  FT_Face face = nullptr;
  FontFace choice;
  TextMetrics metrics;
  bool underline = false;
  bool strikeOut = false;
  FT_Pos emboldenStrength = 0;  // 26.6, horizontal only
  Band underlineBand{};         // relative to the baseline
  Band strikeOutBand{};

  ~Font() {
    if (face) FT_Done_Face(face);
    if (library) FT_Done_FreeType(library);
  }

  bool open(const LOGFONTA& logFont);
  void setMetrics();
  bool load(char32_t code, bool render) const;
  int advance(char32_t code) const;
  int lineWidth(const TextLine& line, bool expandTabs) const;
  void drawLine(const TextLine& line, int x, int baseline, bool expandTabs, const RECT& clip, MonoBitmap& target) const;
  void drawGlyph(int x, int baseline, const RECT& clip, MonoBitmap& target) const;
};

namespace {

const TT_OS2* os2Table(FT_Face face) {
  const auto* os2 = static_cast<const TT_OS2*>(FT_Get_Sfnt_Table(face, FT_SFNT_OS2));
  return os2 && os2->version != 0xFFFF ? os2 : nullptr;
}

// Font design units of the cell height (ascent + descent) the way GDI counts it.
long cellUnits(FT_Face face, const TT_OS2* os2) {
  if (os2 && os2->usWinAscent + os2->usWinDescent > 0) return long{os2->usWinAscent} + os2->usWinDescent;
  if (face->ascender - face->descender > 0) return long{face->ascender} - face->descender;
  return face->units_per_EM;
}

int pixelsPerEm(const LOGFONTA& logFont, FT_Face face, const TT_OS2* os2) {
  const long long h = logFont.lfHeight;
  long long ppem = kDefaultPixelsPerEm;
  if (h < 0) ppem = -h;
  if (h > 0)
    ppem = static_cast<long long>(std::floor(static_cast<double>(h) * face->units_per_EM / cellUnits(face, os2) + 0.5));
  return static_cast<int>(std::clamp<long long>(ppem, 1, kLargestPixelsPerEm));
}

Band bandBelowBaseline(double offsetPixels, double thicknessPixels) {
  const int rows = std::max(1, roundHalfUp(thicknessPixels));
  return {roundHalfUp(offsetPixels - rows / 2.0), rows};
}

}  // namespace

bool TextRasterizer::Font::open(const LOGFONTA& logFont) {
  if (!matchFont(logFont, choice)) return false;
  if (FT_Init_FreeType(&library) != 0) return false;
  if (FT_New_Face(library, choice.file.c_str(), choice.index, &face) != 0) return false;
  if (!FT_IS_SCALABLE(face) || face->units_per_EM == 0) return false;
  if (FT_Select_Charmap(face, FT_ENCODING_UNICODE) != 0 && face->num_charmaps > 0)
    FT_Set_Charmap(face, face->charmaps[0]);
  const TT_OS2* os2 = os2Table(face);
  if (FT_Set_Pixel_Sizes(face, 0, pixelsPerEm(logFont, face, os2)) != 0) return false;
  if (choice.oblique) {
    FT_Matrix shear{0x10000, kObliqueShear, 0, 0x10000};
    FT_Set_Transform(face, &shear, nullptr);
  }
  underline = logFont.lfUnderline != 0;
  strikeOut = logFont.lfStrikeOut != 0;
  setMetrics();
  return true;
}

void TextRasterizer::Font::setMetrics() {
  const TT_OS2* os2 = os2Table(face);
  const int ppem = face->size->metrics.y_ppem;
  const double scale = static_cast<double>(ppem) / face->units_per_EM;
  TextMetrics& m = metrics;
  m.pixelsPerEm = ppem;
  if (os2 && os2->usWinAscent + os2->usWinDescent > 0) {
    m.ascent = static_cast<int>(std::ceil(os2->usWinAscent * scale));
    m.descent = static_cast<int>(std::ceil(os2->usWinDescent * scale));
  } else {
    m.ascent = static_cast<int>((face->size->metrics.ascender + 63) >> 6);
    m.descent = static_cast<int>((-face->size->metrics.descender + 63) >> 6);
  }
  m.height = m.ascent + m.descent;
  if (choice.embolden) emboldenStrength = std::max<FT_Pos>(64, FT_Pos{ppem} * 64 / 24);
  m.aveCharWidth = os2 && os2->xAvgCharWidth > 0 ? roundHalfUp(os2->xAvgCharWidth * scale) : advance(U'x');
  m.aveCharWidth = std::max(1, m.aveCharWidth);

  const double thickness = face->underline_thickness > 0 ? face->underline_thickness * scale : ppem / 14.0;
  const double below = face->underline_position < 0 ? -face->underline_position * scale : ppem / 10.0;
  underlineBand = bandBelowBaseline(below, thickness);
  underlineBand.top = std::max(underlineBand.top, 0);
  const double strikeThickness = os2 && os2->yStrikeoutSize > 0 ? os2->yStrikeoutSize * scale : thickness;
  const double above = os2 && os2->yStrikeoutPosition > 0 ? os2->yStrikeoutPosition * scale : ppem * 0.26;
  strikeOutBand = bandBelowBaseline(-above, strikeThickness);
}

bool TextRasterizer::Font::load(char32_t code, bool render) const {
  const FT_UInt index = FT_Get_Char_Index(face, code);
  if (FT_Load_Glyph(face, index, FT_LOAD_DEFAULT | FT_LOAD_TARGET_MONO) != 0) return false;
  FT_GlyphSlot slot = face->glyph;
  if (emboldenStrength && slot->format == FT_GLYPH_FORMAT_OUTLINE) {
    FT_Outline_EmboldenXY(&slot->outline, emboldenStrength, 0);
    slot->advance.x += emboldenStrength;
  }
  return !render || FT_Render_Glyph(slot, FT_RENDER_MODE_MONO) == 0;
}

int TextRasterizer::Font::advance(char32_t code) const {
  if (!load(code, false)) return 0;
  return static_cast<int>((face->glyph->advance.x + 32) >> 6);
}

namespace {

int nextTabStop(int x, int tabStop) { return (x / tabStop + 1) * tabStop; }

bool isTab(char32_t code, bool expandTabs) { return expandTabs && code == U'\t'; }

// Sets ink over [x0, x1) on rows [band.top, band.top + band.rows) relative to the baseline.
void fillBand(MonoBitmap& target, const RECT& clip, int x0, int x1, int baseline, Band band) {
  for (int y = baseline + band.top; y < baseline + band.top + band.rows; ++y) {
    if (y < clip.top || y >= clip.bottom) continue;
    for (int x = std::max<int>(x0, clip.left); x < std::min<int>(x1, clip.right); ++x) target.setInk(x, y);
  }
}

}  // namespace

int TextRasterizer::Font::lineWidth(const TextLine& line, bool expandTabs) const {
  const int tabStop = kTabStopChars * metrics.aveCharWidth;
  long long x = 0;
  for (const TextChar& c : line)
    x = isTab(c.code, expandTabs) ? nextTabStop(static_cast<int>(x), tabStop) : x + advance(c.code);
  return static_cast<int>(std::min<long long>(x, 1 << 30));
}

void TextRasterizer::Font::drawGlyph(int x, int baseline, const RECT& clip, MonoBitmap& target) const {
  const FT_GlyphSlot slot = face->glyph;
  const FT_Bitmap& bm = slot->bitmap;
  if (bm.pixel_mode != FT_PIXEL_MODE_MONO) return;
  const int left = x + slot->bitmap_left, top = baseline - slot->bitmap_top;
  const int pitch = std::abs(bm.pitch);
  for (unsigned r = 0; r < bm.rows; ++r) {
    const int y = top + static_cast<int>(r);
    if (y < clip.top || y >= clip.bottom) continue;
    // A negative pitch means the buffer starts with the bottom row.
    const unsigned char* row = bm.buffer + static_cast<std::ptrdiff_t>(bm.pitch >= 0 ? r : bm.rows - 1 - r) * pitch;
    for (unsigned c = 0; c < bm.width; ++c) {
      const int px = left + static_cast<int>(c);
      if (px >= clip.left && px < clip.right && (row[c >> 3] & (0x80 >> (c & 7)))) target.setInk(px, y);
    }
  }
}

void TextRasterizer::Font::drawLine(const TextLine& line, int x, int baseline, bool expandTabs, const RECT& clip,
                                    MonoBitmap& target) const {
  const int tabStop = kTabStopChars * metrics.aveCharWidth;
  const int start = x;
  for (const TextChar& c : line) {
    if (isTab(c.code, expandTabs)) {
      x = start + nextTabStop(x - start, tabStop);
      continue;
    }
    if (!load(c.code, true)) continue;
    const int step = static_cast<int>((face->glyph->advance.x + 32) >> 6);
    drawGlyph(x, baseline, clip, target);
    if (c.prefixUnderline) fillBand(target, clip, x, x + step, baseline, underlineBand);
    x += step;
  }
  if (underline) fillBand(target, clip, start, x, baseline, underlineBand);
  if (strikeOut) fillBand(target, clip, start, x, baseline, strikeOutBand);
}

TextRasterizer::TextRasterizer(const LOGFONTA& font) : font_(std::make_unique<Font>()) {
  if (!font_->open(font)) font_.reset();
}

TextRasterizer::~TextRasterizer() = default;

bool TextRasterizer::ready() const { return font_ != nullptr; }

const TextMetrics& TextRasterizer::metrics() const {
  static const TextMetrics none;
  return font_ ? font_->metrics : none;
}

const FontFace& TextRasterizer::face() const {
  static const FontFace none;
  return font_ ? font_->choice : none;
}

int TextRasterizer::DrawText(const char* text, int length, RECT& rect, UINT format, MonoBitmap* target) const {
  if (!font_ || !text) return 0;
  const std::size_t size = length < 0 ? std::strlen(text) : static_cast<std::size_t>(length);
  const std::vector<TextLine> lines = splitTextLines({text, size}, !(format & DT_NOPREFIX));
  const bool expandTabs = format & DT_EXPANDTABS;
  const int lineHeight = font_->metrics.height;
  // Held below 2^30 so that the rectangle's coordinates cannot wrap.
  const long long textHeight = std::min<long long>(static_cast<long long>(lines.size()) * lineHeight, 1 << 30);
  if (format & DT_CALCRECT) {
    int widest = 0;
    for (const TextLine& line : lines) widest = std::max(widest, font_->lineWidth(line, expandTabs));
    rect.right = rect.left + widest;
    rect.bottom = static_cast<LONG>(rect.top + textHeight);
    return static_cast<int>(textHeight);
  }
  if (!target) return 0;
  const RECT clip{std::max<LONG>(rect.left, 0), std::max<LONG>(rect.top, 0),
                  std::min<LONG>(rect.right, target->width()), std::min<LONG>(rect.bottom, target->height())};
  long long top = rect.top;
  for (const TextLine& line : lines) {
    if (top >= clip.bottom) break;
    int x = rect.left;
    if (format & (DT_CENTER | DT_RIGHT)) {
      const int width = font_->lineWidth(line, expandTabs);
      x = (format & DT_CENTER) ? rect.left + (rect.right - rect.left - width) / 2 : rect.right - width;
    }
    font_->drawLine(line, x, static_cast<int>(top + font_->metrics.ascent), expandTabs, clip, *target);
    top += lineHeight;
  }
  return static_cast<int>(textHeight);
}

}  // namespace orlim
