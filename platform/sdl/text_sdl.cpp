// Text through SDL_ttf in the font the back end finds for "Arial" (Liberation Sans on Debian,
// the system's Arial on Windows). Fonts are opened once per cell height and kept; text is blended onto the surface.
#include <SDL.h>
#include <SDL_ttf.h>

#include <cmath>
#include <future>
#include <map>

#include "platform/sdl/sdl_font.h"
#include "platform/sdl/surface_sdl.h"

namespace Platform {
namespace {

// The lookup Prefetch_font started; taken by the first text call. UI thread only.
std::future<Font_source>& Font_lookup() {
    static std::future<Font_source> lookup;
    return lookup;
}

struct Fonts {
    Font_source source;
    bool ready = false;
    std::map<int, TTF_Font*> by_height;
    std::map<int, double> average_width;  // per cell height, for fonts with a set width

    Fonts() {
        source = Font_lookup().valid() ? Font_lookup().get() : Arial_font();
        ready = (!source.file.empty() || !source.bytes.empty()) && (TTF_WasInit() || TTF_Init() == 0);
    }

    TTF_Font* Open(int size) const {
        if (source.bytes.empty()) return TTF_OpenFont(source.file.c_str(), size);
        // The bytes outlive every font opened from them: the source is kept with the fonts.
        SDL_RWops* memory = SDL_RWFromConstMem(source.bytes.data(), static_cast<int>(source.bytes.size()));
        return memory ? TTF_OpenFontRW(memory, 1, size) : nullptr;
    }

    // The font whose cell (ascent + descent) is height_px tall, as a Windows font height is.
    TTF_Font* Get(int height_px) {
        if (!ready || height_px <= 0) return nullptr;
        auto it = by_height.find(height_px);
        if (it != by_height.end()) return it->second;
        TTF_Font* font = Open(height_px);
        if (font) {
            const int cell = TTF_FontHeight(font);
            if (cell > 0 && cell != height_px) {
                const int size = std::max(1, static_cast<int>(std::lround(double(height_px) * height_px / cell)));
                if (TTF_Font* sized = Open(size)) {
                    TTF_CloseFont(font);
                    font = sized;
                }
            }
        }
        by_height[height_px] = font;
        return font;
    }

    // Horizontal scale that makes the font's average character width_px wide (1 for proportional).
    double Scale(int height_px, int width_px) {
        if (width_px <= 0) return 1.0;
        auto it = average_width.find(height_px);
        if (it == average_width.end()) {
            double avg = 0;
            int w = 0, h = 0;
            static const char* alphabet = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ";
            if (TTF_Font* f = Get(height_px); f && TTF_SizeUTF8(f, alphabet, &w, &h) == 0) avg = w / 52.0;
            it = average_width.emplace(height_px, avg).first;
        }
        return it->second > 0 ? width_px / it->second : 1.0;
    }
};

Fonts& The_fonts() {
    static Fonts fonts;
    return fonts;
}

bool Valid_utf8(const std::string& s) {
    for (size_t i = 0; i < s.size();) {
        const unsigned char c = s[i];
        const int extra = c < 0x80 ? 0 : (c & 0xE0) == 0xC0 ? 1 : (c & 0xF0) == 0xE0 ? 2 : (c & 0xF8) == 0xF0 ? 3 : -1;
        if (extra < 0 || (extra == 1 && c < 0xC2)) return false;
        for (int k = 1; k <= extra; ++k)
            if (i + k >= s.size() || (static_cast<unsigned char>(s[i + k]) & 0xC0) != 0x80) return false;
        i += extra + 1;
    }
    return true;
}

std::string As_utf8(const std::string& text) {
    if (Valid_utf8(text)) return text;
    std::string out;
    for (unsigned char c : text) {
        if (c < 0x80)
            out += static_cast<char>(c);
        else {
            out += static_cast<char>(0xC0 | (c >> 6));
            out += static_cast<char>(0x80 | (c & 0x3F));
        }
    }
    return out;
}

}  // namespace

std::string Font_file() { return The_fonts().source.file; }

void Prefetch_font() {
    static bool started = false;
    if (started) return;
    started = true;
    Font_lookup() = std::async(std::launch::async, [] { return Arial_font(); });
}

int Measure_text(const std::string& text, const Text_style& style) {
    if (text.empty()) return 0;
    TTF_Font* font = The_fonts().Get(style.height_px);
    int w = 0, h = 0;
    if (!font || TTF_SizeUTF8(font, As_utf8(text).c_str(), &w, &h) != 0) return 0;
    return static_cast<int>(std::lround(w * The_fonts().Scale(style.height_px, style.width_px)));
}

int Draw_text(Surface& target, int x, int y, const std::string& text, const Text_style& style) {
    if (text.empty()) return 0;
    TTF_Font* font = The_fonts().Get(style.height_px);
    if (!font) return 0;
    const SDL_Color colour{static_cast<Uint8>((style.colour >> 16) & 0xFF),
                           static_cast<Uint8>((style.colour >> 8) & 0xFF), static_cast<Uint8>(style.colour & 0xFF),
                           255};
    SDL_Surface* rendered = TTF_RenderUTF8_Blended(font, As_utf8(text).c_str(), colour);
    if (!rendered) return 0;
    target.impl()->Changed();
    const double scale = The_fonts().Scale(style.height_px, style.width_px);
    int width = rendered->w;
    SDL_SetSurfaceBlendMode(rendered, SDL_BLENDMODE_BLEND);
    SDL_Rect at{x, y, rendered->w, rendered->h};
    if (scale != 1.0) {
        width = std::max(1, static_cast<int>(std::lround(rendered->w * scale)));
        at.w = width;
        SDL_BlitScaled(rendered, nullptr, Sdl(target), &at);
    } else {
        SDL_BlitSurface(rendered, nullptr, Sdl(target), &at);
    }
    SDL_FreeSurface(rendered);
    return width;
}

}  // namespace Platform
