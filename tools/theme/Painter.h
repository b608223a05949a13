// A small software painter for the theme: a floating-point RGB canvas with antialiased
// rounded panels, chrome and glass shading, discs, polygons and text, saved as JPEG or BMP.
#pragma once

#include <functional>
#include <string>
#include <vector>

struct Colour {
    float r = 0, g = 0, b = 0;
};
Colour Mix(Colour a, Colour b, float t);
Colour Scale(Colour a, float f);
// Colour along a list of (position 0..1, colour) stops.
struct Stop {
    float at;
    Colour colour;
};
Colour Ramp(const std::vector<Stop>& stops, float t);

// What transparent areas are painted with: pure blue in JPEG files, pure green in BMP files.
inline constexpr Colour Jpeg_key{0, 0, 255};
inline constexpr Colour Bmp_key{0, 255, 0};

class Canvas {
public:
    Canvas(int width, int height, Colour fill);
    int Width() const { return w_; }
    int Height() const { return h_; }
    Colour& At(int x, int y) { return px_[static_cast<size_t>(y) * w_ + x]; }
    void Blend(int x, int y, Colour c, float alpha);

    // Paints every pixel of a rounded rectangle with shade(x, y, depth), depth being the
    // distance inside the edge in pixels. hard: no antialiasing at the edge (for silhouettes
    // against the key colour, which must not blend).
    void Rounded(float x0, float y0, float x1, float y1, float radius,
                 const std::function<Colour(float, float, float)>& shade, float alpha = 1, bool hard = false);
    void Disc(float cx, float cy, float r, const std::function<Colour(float, float, float)>& shade, float alpha = 1,
              bool hard = false);
    void Polygon(const std::vector<std::pair<float, float>>& points, Colour c, float alpha = 1);
    void Vertical(float x0, float y0, float x1, float y1, const std::vector<Stop>& stops, float alpha = 1);

    // Text in the bold or regular sans font; returns its width. anchor: 0 left, 1 centre, 2 right of x.
    int Text(const std::string& text, float x, float y, int size_px, bool bold, const std::vector<Stop>& fill,
             int anchor = 0, float shadow = 0.6f, float shadow_offset = 2);
    int Text_width(const std::string& text, int size_px, bool bold);

    bool Save_jpeg(const std::string& path, int quality = 95) const;
    bool Save_bmp(const std::string& path) const;  // 24-bit
    // An RGBA PNG a factor smaller, transparent where the canvas holds the key colour (for icons:
    // paint at factor times the size, with hard edges against the key).
    bool Save_png(const std::string& path, int factor, Colour key) const;

private:
    int w_, h_;
    std::vector<Colour> px_;
};

// Shades used across the theme.
namespace Shade {
std::vector<Stop> Chrome();
std::vector<Stop> Chrome_text();
std::vector<Stop> Dark_glass();
std::vector<Stop> Light_glass();
}  // namespace Shade

// A panel: a chrome rim around a glass face, raised bevel, gloss on the upper part.
struct Panel_style {
    std::vector<Stop> face = Shade::Light_glass();
    float rim = 6;
    float radius = 18;
    float bevel = 5;
    float gloss = 0.22f;
    bool hard = true;
    bool recessed = false;
};
void Panel(Canvas& c, float x0, float y0, float x1, float y1, const Panel_style& style);
// A recessed well (for covers and text) with a dark inner shadow.
void Well(Canvas& c, float x0, float y0, float x1, float y1, float radius, Colour face);
