// The platform's text rasteriser: a font made from a LOGFONTA (face chosen by
// fontconfig, glyphs by FreeType) and DrawText with GDI's meaning of the flags the
// control uses. Glyphs are rendered without anti-aliasing, as GDI draws on a
// monochrome bitmap, so the ink of a MonoBitmap is exactly the text's pixels.
#pragma once

#include <memory>

#include "platform/MonoBitmap.h"
#include "platform/font_match.h"
#include "platform/orlim_api.h"
#include "platform/win_types.h"

namespace orlim {

// DrawText format flags (the Windows values).
constexpr UINT DT_LEFT = 0x0000;
constexpr UINT DT_CENTER = 0x0001;
constexpr UINT DT_RIGHT = 0x0002;
constexpr UINT DT_EXPANDTABS = 0x0040;
constexpr UINT DT_CALCRECT = 0x0400;
constexpr UINT DT_NOPREFIX = 0x0800;

// The font's pixel metrics, as GDI's TEXTMETRIC reports them.
struct TextMetrics {
  int ascent = 0;        // rows above the baseline
  int descent = 0;       // rows below it
  int height = 0;        // ascent + descent: one line
  int aveCharWidth = 0;  // tab stops are 8 of these apart
  int pixelsPerEm = 0;
};

class ORLIM_API TextRasterizer {
 public:
  // lfHeight < 0 asks for a character (em) height of -lfHeight pixels, > 0 for a
  // cell height (ascent + descent), 0 for the default size. lfWeight of 700 or
  // more selects bold; lfItalic, lfUnderline and lfStrikeOut are honoured.
  explicit TextRasterizer(const LOGFONTA& font);
  ~TextRasterizer();
  TextRasterizer(const TextRasterizer&) = delete;
  TextRasterizer& operator=(const TextRasterizer&) = delete;

  // False when no font file could be found or opened; DrawText then draws nothing.
  bool ready() const;
  const TextMetrics& metrics() const;
  // The face that serves the font.
  const FontFace& face() const;

  // With DT_CALCRECT: sets rect.right and rect.bottom so that the rectangle holds
  // the text (the widest line; one font height per line) and draws nothing.
  // Otherwise draws the text into `target`, clipped to `rect`, each line aligned by
  // DT_LEFT, DT_CENTER or DT_RIGHT. "\r\n", "\n" and "\r" break lines;
  // DT_EXPANDTABS expands tabs; without DT_NOPREFIX "&&" shows one "&" and "&x"
  // underlines x. `text` is in the Windows ANSI code page; length -1 means up to
  // the terminating zero. Returns the height of the text, 0 on failure.
  int DrawText(const char* text, int length, RECT& rect, UINT format, MonoBitmap* target = nullptr) const;

 private:
  struct Font;
  std::unique_ptr<Font> font_;
};

}  // namespace orlim
