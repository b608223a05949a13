// The font for "Arial" on Linux: whatever fontconfig matches for the name (Liberation Sans on
// Debian, from fonts-liberation2). An empty source when fontconfig finds nothing.
#include <fontconfig/fontconfig.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>
#include <system_error>
#include <vector>

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

// The font's bytes, so that FreeType reads glyphs from memory: opened by name, every glyph it loads
// was a seek and a read on the file, 7 ms of the first frame's text. Empty (the file is then opened
// by name) when the file cannot be read or is larger than any font for text should be.
std::vector<unsigned char> Font_bytes(const std::string& file) {
    constexpr std::uintmax_t Largest = 32u << 20;
    std::error_code ec;
    const std::uintmax_t size = std::filesystem::file_size(file, ec);
    if (ec || size == 0 || size > Largest) return {};
    std::vector<unsigned char> bytes(static_cast<std::size_t>(size));
    std::ifstream in(file, std::ios::binary);
    if (!in.read(reinterpret_cast<char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()))) return {};
    return bytes;
}

}  // namespace

Font_source Arial_font() {
    Font_source source;
    source.file = Match_font("Arial");
    if (!source.file.empty()) source.bytes = Font_bytes(source.file);
    return source;
}

}  // namespace Platform
