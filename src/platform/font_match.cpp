#include "platform/font_match.h"

#include <fontconfig/fontconfig.h>

#include <cstring>
#include <memory>

namespace orlim {

namespace {

struct PatternDeleter {
  void operator()(FcPattern* p) const { FcPatternDestroy(p); }
};
using Pattern = std::unique_ptr<FcPattern, PatternDeleter>;

constexpr int kBoldWeight = 700;

// A fontconfig configuration of our own, loaded on first use and released when
// the library unloads; the process-wide one stays for whoever else uses it.
struct FontConfiguration {
  FcConfig* config = FcInitLoadConfigAndFonts();
  ~FontConfiguration() {
    if (config) FcConfigDestroy(config);
  }
};

FcConfig* fontConfiguration() {
  static FontConfiguration configuration;
  return configuration.config;
}

std::string faceName(const LOGFONTA& font) {
  // The name field need not be terminated when all 32 bytes are used.
  return std::string(font.lfFaceName, strnlen(font.lfFaceName, LF_FACESIZE));
}

std::string stringOf(FcPattern* p, const char* object) {
  FcChar8* value = nullptr;
  return FcPatternGetString(p, object, 0, &value) == FcResultMatch ? reinterpret_cast<const char*>(value) : "";
}

}  // namespace

bool matchFont(const LOGFONTA& font, FontFace& face) {
  FcConfig* config = fontConfiguration();
  if (!config) return false;
  Pattern request(FcPatternCreate());
  if (!request) return false;
  const std::string name = faceName(font);
  if (!name.empty()) FcPatternAddString(request.get(), FC_FAMILY, reinterpret_cast<const FcChar8*>(name.c_str()));
  const bool bold = font.lfWeight >= kBoldWeight;
  FcPatternAddInteger(request.get(), FC_WEIGHT, bold ? FC_WEIGHT_BOLD : FC_WEIGHT_REGULAR);
  FcPatternAddInteger(request.get(), FC_SLANT, font.lfItalic ? FC_SLANT_ITALIC : FC_SLANT_ROMAN);
  FcPatternAddBool(request.get(), FC_OUTLINE, FcTrue);
  FcConfigSubstitute(config, request.get(), FcMatchPattern);
  FcDefaultSubstitute(request.get());

  FcResult result = FcResultNoMatch;
  Pattern match(FcFontMatch(config, request.get(), &result));
  if (!match) return false;
  face.file = stringOf(match.get(), FC_FILE);
  if (face.file.empty()) return false;
  face.family = stringOf(match.get(), FC_FAMILY);
  face.style = stringOf(match.get(), FC_STYLE);
  int index = 0, weight = FC_WEIGHT_REGULAR, slant = FC_SLANT_ROMAN;
  FcPatternGetInteger(match.get(), FC_INDEX, 0, &index);
  FcPatternGetInteger(match.get(), FC_WEIGHT, 0, &weight);
  FcPatternGetInteger(match.get(), FC_SLANT, 0, &slant);
  face.index = index;
  face.embolden = bold && weight < FC_WEIGHT_DEMIBOLD;
  face.oblique = font.lfItalic && slant == FC_SLANT_ROMAN;
  return true;
}

}  // namespace orlim
