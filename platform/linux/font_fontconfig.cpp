// The font for "Arial" on Linux: whatever fontconfig matches for the name (Liberation Sans on
// Debian, from fonts-liberation2). An empty source when fontconfig finds nothing.
#include <fontconfig/fontconfig.h>

#include "platform/sdl/sdl_font.h"

namespace Platform {
namespace {

std::string Match_font(const char* family) {
    std::string file;
    if (!FcInit()) return file;
    FcPattern* pattern = FcNameParse(reinterpret_cast<const FcChar8*>(family));
    if (!pattern) return file;
    FcConfigSubstitute(nullptr, pattern, FcMatchPattern);
    FcDefaultSubstitute(pattern);
    FcResult result = FcResultNoMatch;
    if (FcPattern* match = FcFontMatch(nullptr, pattern, &result)) {
        FcChar8* path = nullptr;
        if (FcPatternGetString(match, FC_FILE, 0, &path) == FcResultMatch && path) file = reinterpret_cast<char*>(path);
        FcPatternDestroy(match);
    }
    FcPatternDestroy(pattern);
    return file;
}

}  // namespace

Font_source Arial_font() {
    Font_source source;
    source.file = Match_font("Arial");
    return source;
}

}  // namespace Platform
