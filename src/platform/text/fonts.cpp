#include "platform/text/fonts.h"

#include <fontconfig/fontconfig.h>

#include <memory>
#include <string>

namespace platform {

namespace {

using Pattern = std::unique_ptr<FcPattern, decltype(&FcPatternDestroy)>;

FcConfig* configuration() {
  static FcConfig* config = [] {
    FcInit();
    return FcConfigGetCurrent();
  }();
  return config;
}

// The pattern fontconfig answers for a font name, after its substitutions and defaults.
Pattern matched(const char* name) {
  Pattern pattern(FcNameParse(reinterpret_cast<const FcChar8*>(name)), &FcPatternDestroy);
  if (!pattern) return Pattern(nullptr, &FcPatternDestroy);
  FcConfigSubstitute(configuration(), pattern.get(), FcMatchPattern);
  FcDefaultSubstitute(pattern.get());
  FcResult result = FcResultNoMatch;
  return Pattern(FcFontMatch(configuration(), pattern.get(), &result), &FcPatternDestroy);
}

}  // namespace

FontSpec systemFont(double pointSize) {
  FontSpec font{.family = "Sans", .pointSize = pointSize};
  if (Pattern match = matched("sans-serif")) {
    FcChar8* family = nullptr;
    if (FcPatternGetString(match.get(), FC_FAMILY, 0, &family) == FcResultMatch)
      font.family = reinterpret_cast<const char*>(family);
  }
  return font;
}

double systemFontSize() {
  Pattern pattern(FcPatternCreate(), &FcPatternDestroy);
  FcDefaultSubstitute(pattern.get());
  double size = 0;
  if (FcPatternGetDouble(pattern.get(), FC_SIZE, 0, &size) != FcResultMatch || size <= 0) size = 12;
  return size;
}

bool isFontInstalled(std::string_view family) {
  if (family.empty()) return false;
  std::string name(family);
  Pattern pattern(FcPatternCreate(), &FcPatternDestroy);
  FcPatternAddString(pattern.get(), FC_FAMILY, reinterpret_cast<const FcChar8*>(name.c_str()));
  std::unique_ptr<FcObjectSet, decltype(&FcObjectSetDestroy)> fields(FcObjectSetBuild(FC_FAMILY, nullptr),
                                                                     &FcObjectSetDestroy);
  std::unique_ptr<FcFontSet, decltype(&FcFontSetDestroy)> faces(
      FcFontList(configuration(), pattern.get(), fields.get()), &FcFontSetDestroy);
  return faces && faces->nfont > 0;
}

}  // namespace platform
