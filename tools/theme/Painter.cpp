// The theme painter's canvas: signed-distance shapes with coverage antialiasing, SDL_ttf text
// in the fontconfig sans font, and the libjpeg / BMP writers.
#include "Painter.h"

// clang-format off
#include <cstdio>
#include <jpeglib.h>
#include <png.h>
// clang-format on
#include <SDL.h>
#include <SDL_ttf.h>
#include <fontconfig/fontconfig.h>

#include <algorithm>
#include <cmath>
#include <map>

#include "display/Bmp_file.h"

Colour Mix(Colour a, Colour b, float t) {
    return {a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t};
}
Colour Scale(Colour a, float f) { return {a.r * f, a.g * f, a.b * f}; }

Colour Ramp(const std::vector<Stop>& stops, float t) {
    if (stops.empty()) return {};
    if (t <= stops.front().at) return stops.front().colour;
    for (size_t i = 1; i < stops.size(); ++i)
        if (t <= stops[i].at) {
            const float span = stops[i].at - stops[i - 1].at;
            return Mix(stops[i - 1].colour, stops[i].colour, span > 0 ? (t - stops[i - 1].at) / span : 0);
        }
    return stops.back().colour;
}

Canvas::Canvas(int width, int height, Colour fill)
    : w_(width), h_(height), px_(static_cast<size_t>(width) * height, fill) {}

void Canvas::Blend(int x, int y, Colour c, float a) {
    if (x < 0 || y < 0 || x >= w_ || y >= h_ || a <= 0) return;
    Colour& p = At(x, y);
    p = a >= 1 ? c : Mix(p, c, a);
}

namespace {
float Rounded_sdf(float px, float py, float x0, float y0, float x1, float y1, float r) {
    const float cx = (x0 + x1) / 2, cy = (y0 + y1) / 2;
    const float hx = (x1 - x0) / 2 - r, hy = (y1 - y0) / 2 - r;
    const float qx = std::fabs(px - cx) - hx, qy = std::fabs(py - cy) - hy;
    const float ox = std::max(qx, 0.f), oy = std::max(qy, 0.f);
    return std::sqrt(ox * ox + oy * oy) + std::min(std::max(qx, qy), 0.f) - r;
}
}  // namespace

void Canvas::Rounded(float x0, float y0, float x1, float y1, float radius,
                     const std::function<Colour(float, float, float)>& shade, float alpha, bool hard) {
    radius = std::min({radius, (x1 - x0) / 2, (y1 - y0) / 2});
    for (int y = std::max(0, int(y0) - 1); y < std::min(h_, int(y1) + 2); ++y)
        for (int x = std::max(0, int(x0) - 1); x < std::min(w_, int(x1) + 2); ++x) {
            const float d = Rounded_sdf(x + 0.5f, y + 0.5f, x0, y0, x1, y1, radius);
            const float cover = hard ? (d <= 0 ? 1.f : 0.f) : std::clamp(0.5f - d, 0.f, 1.f);
            if (cover > 0) Blend(x, y, shade(float(x), float(y), -d), cover * alpha);
        }
}

void Canvas::Disc(float cx, float cy, float r, const std::function<Colour(float, float, float)>& shade, float alpha,
                  bool hard) {
    for (int y = std::max(0, int(cy - r) - 1); y < std::min(h_, int(cy + r) + 2); ++y)
        for (int x = std::max(0, int(cx - r) - 1); x < std::min(w_, int(cx + r) + 2); ++x) {
            const float d = std::hypot(x + 0.5f - cx, y + 0.5f - cy) - r;
            const float cover = hard ? (d <= 0 ? 1.f : 0.f) : std::clamp(0.5f - d, 0.f, 1.f);
            if (cover > 0) Blend(x, y, shade(float(x), float(y), -d), cover * alpha);
        }
}

void Canvas::Polygon(const std::vector<std::pair<float, float>>& pts, Colour c, float alpha) {
    float minx = 1e9, miny = 1e9, maxx = -1e9, maxy = -1e9;
    for (auto& p : pts) {
        minx = std::min(minx, p.first);
        maxx = std::max(maxx, p.first);
        miny = std::min(miny, p.second);
        maxy = std::max(maxy, p.second);
    }
    auto inside = [&](float x, float y) {
        bool in = false;
        for (size_t i = 0, j = pts.size() - 1; i < pts.size(); j = i++) {
            const auto& a = pts[i];
            const auto& b = pts[j];
            if ((a.second > y) != (b.second > y) &&
                x < (b.first - a.first) * (y - a.second) / (b.second - a.second) + a.first)
                in = !in;
        }
        return in;
    };
    for (int y = std::max(0, int(miny)); y <= std::min(h_ - 1, int(maxy) + 1); ++y)
        for (int x = std::max(0, int(minx)); x <= std::min(w_ - 1, int(maxx) + 1); ++x) {
            int n = 0;
            for (int sy = 0; sy < 4; ++sy)
                for (int sx = 0; sx < 4; ++sx) n += inside(x + (sx + 0.5f) / 4, y + (sy + 0.5f) / 4);
            if (n) Blend(x, y, c, alpha * n / 16.f);
        }
}

void Canvas::Vertical(float x0, float y0, float x1, float y1, const std::vector<Stop>& stops, float alpha) {
    for (int y = std::max(0, int(y0)); y < std::min(h_, int(y1)); ++y) {
        const Colour c = Ramp(stops, (y - y0) / std::max(1.f, y1 - y0));
        for (int x = std::max(0, int(x0)); x < std::min(w_, int(x1)); ++x) Blend(x, y, c, alpha);
    }
}

namespace {
std::string Font_path(bool bold) {
    std::string file;
    FcInit();
    FcPattern* pattern =
        FcNameParse(reinterpret_cast<const FcChar8*>(bold ? "Liberation Sans:bold" : "Liberation Sans"));
    FcConfigSubstitute(nullptr, pattern, FcMatchPattern);
    FcDefaultSubstitute(pattern);
    FcResult result;
    if (FcPattern* match = FcFontMatch(nullptr, pattern, &result)) {
        FcChar8* path = nullptr;
        if (FcPatternGetString(match, FC_FILE, 0, &path) == FcResultMatch) file = reinterpret_cast<char*>(path);
        FcPatternDestroy(match);
    }
    FcPatternDestroy(pattern);
    return file;
}

TTF_Font* Font(int size, bool bold) {
    static std::map<std::pair<int, bool>, TTF_Font*> fonts;
    auto key = std::make_pair(size, bold);
    if (auto it = fonts.find(key); it != fonts.end()) return it->second;
    if (!TTF_WasInit()) TTF_Init();
    static const std::string regular = Font_path(false), heavy = Font_path(true);
    TTF_Font* f = TTF_OpenFont((bold ? heavy : regular).c_str(), size);
    fonts[key] = f;
    return f;
}
}  // namespace

int Canvas::Text_width(const std::string& text, int size_px, bool bold) {
    int w = 0, h = 0;
    if (TTF_Font* f = Font(size_px, bold)) TTF_SizeUTF8(f, text.c_str(), &w, &h);
    return w;
}

int Canvas::Text(const std::string& text, float x, float y, int size_px, bool bold, const std::vector<Stop>& fill,
                 int anchor, float shadow, float shadow_offset) {
    TTF_Font* f = Font(size_px, bold);
    if (!f || text.empty()) return 0;
    SDL_Surface* s = TTF_RenderUTF8_Blended(f, text.c_str(), SDL_Color{255, 255, 255, 255});
    if (!s) return 0;
    SDL_Surface* a = SDL_ConvertSurfaceFormat(s, SDL_PIXELFORMAT_ARGB8888, 0);
    SDL_FreeSurface(s);
    const int left = int(x) - (anchor == 1 ? a->w / 2 : anchor == 2 ? a->w : 0);
    const int top = int(y);
    const int ascent = TTF_FontAscent(f);
    auto alpha_at = [&](int ix, int iy) {
        const Uint32 p = static_cast<Uint32*>(a->pixels)[iy * (a->pitch / 4) + ix];
        return ((p >> 24) & 0xFF) / 255.f;
    };
    if (shadow > 0)
        for (int iy = 0; iy < a->h; ++iy)
            for (int ix = 0; ix < a->w; ++ix)
                Blend(left + ix + int(shadow_offset), top + iy + int(shadow_offset), Colour{0, 0, 0},
                      alpha_at(ix, iy) * shadow);
    for (int iy = 0; iy < a->h; ++iy) {
        // The fill runs over the letters' body: from the cap line to the base line.
        const float t = std::clamp((iy - (a->h - ascent) * 0.5f) / std::max(1.f, ascent * 0.8f), 0.f, 1.f);
        const Colour c = Ramp(fill, t);
        for (int ix = 0; ix < a->w; ++ix) Blend(left + ix, top + iy, c, alpha_at(ix, iy));
    }
    const int w = a->w;
    SDL_FreeSurface(a);
    return w;
}

bool Canvas::Save_jpeg(const std::string& path, int quality) const {
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) return false;
    jpeg_compress_struct cinfo;
    jpeg_error_mgr jerr;
    cinfo.err = jpeg_std_error(&jerr);
    jpeg_create_compress(&cinfo);
    jpeg_stdio_dest(&cinfo, f);
    cinfo.image_width = w_;
    cinfo.image_height = h_;
    cinfo.input_components = 3;
    cinfo.in_color_space = JCS_RGB;
    jpeg_set_defaults(&cinfo);
    jpeg_set_quality(&cinfo, quality, TRUE);
    // Full-resolution colour: subsampled chroma would smear the blue key into the edges.
    for (int i = 0; i < 3; ++i) cinfo.comp_info[i].h_samp_factor = cinfo.comp_info[i].v_samp_factor = 1;
    jpeg_start_compress(&cinfo, TRUE);
    std::vector<JSAMPLE> row(static_cast<size_t>(w_) * 3);
    auto clamp = [](float v) { return static_cast<JSAMPLE>(std::clamp(std::lround(v), 0L, 255L)); };
    while (cinfo.next_scanline < cinfo.image_height) {
        const int y = cinfo.next_scanline;
        for (int x = 0; x < w_; ++x) {
            const Colour& c = px_[static_cast<size_t>(y) * w_ + x];
            row[x * 3] = clamp(c.r);
            row[x * 3 + 1] = clamp(c.g);
            row[x * 3 + 2] = clamp(c.b);
        }
        JSAMPROW p = row.data();
        jpeg_write_scanlines(&cinfo, &p, 1);
    }
    jpeg_finish_compress(&cinfo);
    jpeg_destroy_compress(&cinfo);
    return std::fclose(f) == 0;
}

bool Canvas::Save_bmp(const std::string& path) const {
    auto clamp = [](float v) { return static_cast<std::uint32_t>(std::clamp(std::lround(v), 0L, 255L)); };
    return Write_bmp(path, w_, h_, Bmp_depth::bits_24, Bmp_padding_word::absent, [&](int row, int col) {
               const Colour& c = px_[static_cast<size_t>(row) * w_ + col];
               return clamp(c.r) << 16 | clamp(c.g) << 8 | clamp(c.b);
           }) == Bmp_result::written;
}

bool Canvas::Save_png(const std::string& path, int factor, Colour key) const {
    const int w = w_ / factor, h = h_ / factor;
    if (w <= 0 || h <= 0) return false;
    // Each output pixel averages its factor x factor block: opacity is the share of pixels that are not
    // the key, colour the mean of those, so the silhouette is antialiased without a key-coloured fringe.
    std::vector<png_byte> rgba(static_cast<size_t>(w) * h * 4);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            float r = 0, g = 0, b = 0;
            int covered = 0;
            for (int dy = 0; dy < factor; ++dy)
                for (int dx = 0; dx < factor; ++dx) {
                    const Colour& c = px_[static_cast<size_t>(y * factor + dy) * w_ + x * factor + dx];
                    if (c.r == key.r && c.g == key.g && c.b == key.b) continue;
                    r += c.r, g += c.g, b += c.b;
                    ++covered;
                }
            png_byte* p = &rgba[(static_cast<size_t>(y) * w + x) * 4];
            auto clamp = [](float v) { return static_cast<png_byte>(std::clamp(std::lround(v), 0L, 255L)); };
            const float n = covered ? static_cast<float>(covered) : 1.f;
            p[0] = clamp(r / n), p[1] = clamp(g / n), p[2] = clamp(b / n);
            p[3] = clamp(255.f * covered / (factor * factor));
        }
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    image.width = static_cast<png_uint_32>(w);
    image.height = static_cast<png_uint_32>(h);
    image.format = PNG_FORMAT_RGBA;
    return png_image_write_to_file(&image, path.c_str(), 0, rgba.data(), 0, nullptr) != 0;
}

namespace Shade {
std::vector<Stop> Chrome() {
    return {{0.f, {250, 252, 255}},
            {0.35f, {196, 203, 214}},
            {0.5f, {112, 120, 134}},
            {0.56f, {150, 158, 170}},
            {1.f, {232, 236, 242}}};
}
std::vector<Stop> Chrome_text() {
    return {{0.f, {255, 255, 255}}, {0.45f, {215, 224, 236}}, {0.55f, {150, 166, 188}}, {1.f, {235, 242, 250}}};
}
std::vector<Stop> Dark_glass() { return {{0.f, {38, 50, 68}}, {0.5f, {18, 24, 36}}, {1.f, {10, 14, 22}}}; }
std::vector<Stop> Light_glass() { return {{0.f, {236, 241, 247}}, {0.5f, {212, 220, 231}}, {1.f, {190, 200, 214}}}; }
}  // namespace Shade

void Panel(Canvas& c, float x0, float y0, float x1, float y1, const Panel_style& s) {
    const float h = y1 - y0;
    const auto chrome = Shade::Chrome();
    // Outline, then the chrome rim, then the face.
    c.Rounded(
        x0, y0, x1, y1, s.radius,
        [](float, float, float) {
            return Colour{14, 16, 22};
        },
        1, s.hard);
    c.Rounded(
        x0 + 1, y0 + 1, x1 - 1, y1 - 1, s.radius - 1, [&](float, float y, float) { return Ramp(chrome, (y - y0) / h); },
        1, s.hard);
    const float fx0 = x0 + s.rim, fy0 = y0 + s.rim, fx1 = x1 - s.rim, fy1 = y1 - s.rim;
    const float fh = fy1 - fy0;
    c.Rounded(fx0 - 1, fy0 - 1, fx1 + 1, fy1 + 1, std::max(1.f, s.radius - s.rim + 1), [](float, float, float) {
        return Colour{40, 44, 52};
    });
    c.Rounded(fx0, fy0, fx1, fy1, std::max(1.f, s.radius - s.rim), [&](float, float y, float depth) {
        Colour col = Ramp(s.face, (y - fy0) / fh);
        if (depth < s.bevel) {
            // Raised: light from above; recessed: the reverse.
            const float t = 1 - depth / s.bevel;
            const bool upper = y < fy0 + fh / 2;
            const bool light = s.recessed ? !upper : upper;
            col = Mix(col, light ? Colour{255, 255, 255} : Colour{0, 0, 0}, t * (light ? 0.35f : 0.25f));
        }
        return col;
    });
    if (s.gloss > 0) {
        // Gloss: a white sheen over the upper part of the face, fading downwards.
        const float gy0 = fy0 + s.bevel * 0.6f, gh = fh * 0.45f;
        c.Rounded(fx0 + s.bevel, gy0, fx1 - s.bevel, fy0 + gh, std::max(1.f, s.radius - s.rim - 2),
                  [&](float x, float y, float) {
                      const float t = 1 - std::clamp((y - gy0) / gh, 0.f, 1.f);
                      return Mix(c.At(int(x), int(y)), Colour{255, 255, 255}, s.gloss * t);
                  });
    }
}

void Well(Canvas& c, float x0, float y0, float x1, float y1, float radius, Colour face) {
    c.Rounded(x0 - 2, y0 - 2, x1 + 2, y1 + 2, radius + 2, [&](float, float y, float) {
        return Mix(Colour{20, 22, 28}, Colour{235, 240, 248}, (y - y0) / (y1 - y0));
    });
    c.Rounded(x0, y0, x1, y1, radius, [&](float, float, float depth) {
        const float shadow = std::clamp(1 - depth / 10, 0.f, 1.f);
        return Mix(face, Colour{0, 0, 0}, shadow * 0.55f);
    });
}
