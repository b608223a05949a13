// Paints the jukebox theme: every IMAGE_* file of the pictures folder, at the sizes they are
// shown at on a 1920x1080 window; or the program's desktop icon in the hicolor sizes.
// Usage: tavrix_theme <pictures folder> | tavrix_theme --icons <icon theme folder>
#include <sys/stat.h>

#include <cmath>
#include <cstdio>
#include <string>

#include "Painter.h"

namespace {

constexpr int W = 1920, H = 1080;
int Px(double per_cent) { return static_cast<int>(per_cent * 0.01 * W); }
int Py(double per_cent) { return static_cast<int>(per_cent * 0.01 * H); }

std::string g_folder;
int g_failures = 0;

void Save(const Canvas& c, const std::string& name) {
    const std::string path = g_folder + "/" + name;
    const bool bmp = name.size() > 4 && name.substr(name.size() - 4) == ".bmp";
    if (!(bmp ? c.Save_bmp(path) : c.Save_jpeg(path))) {
        std::fprintf(stderr, "tavrix_theme: cannot write %s\n", path.c_str());
        ++g_failures;
    }
}

const Colour Corner{8, 10, 16};  // behind the rounded corners of opaque panels: the background's colour
const Colour Ink{18, 22, 30};

std::vector<Stop> Lcd(Colour top, Colour bottom) { return {{0.f, top}, {1.f, bottom}}; }
std::vector<Stop> Aluminium() { return {{0.f, {226, 230, 236}}, {0.5f, {204, 209, 217}}, {1.f, {184, 190, 200}}}; }
std::vector<Stop> Solid(Colour c) { return {{0.f, c}, {1.f, c}}; }

// Fine horizontal brushing, so large metal faces do not look flat.
void Brush(Canvas& c, int x0, int y0, int x1, int y1, float strength, unsigned seed) {
    unsigned s = seed;
    for (int y = y0; y < y1; ++y) {
        s = s * 1103515245u + 12345u;
        const float v = ((s >> 16) & 0xFF) / 255.f - 0.5f;
        for (int x = x0; x < x1; ++x) {
            Colour& p = c.At(x, y);
            if (p.b > 250 && p.g < 5 && p.r < 5) continue;  // key stays key
            p = Mix(p, v > 0 ? Colour{255, 255, 255} : Colour{0, 0, 0}, std::fabs(v) * strength);
        }
    }
}

void Background() {
    Canvas c(W, H, {});
    c.Vertical(0, 0, W, H, {{0.f, {20, 26, 40}}, {0.55f, {10, 13, 21}}, {1.f, {5, 6, 10}}});
    // A soft blue glow behind the top of the jukebox.
    for (int y = 0; y < H; ++y)
        for (int x = 0; x < W; ++x) {
            const float dx = (x - W * 0.5f) / (W * 0.6f), dy = (y - H * 0.25f) / (H * 0.6f);
            const float g = std::exp(-(dx * dx + dy * dy) * 2.5f);
            c.Blend(x, y, {40, 80, 140}, g * 0.35f);
        }
    for (int y = 0; y < H; y += 3) c.Vertical(0, y, W, y + 1, Solid({0, 0, 0}), 0.12f);
    Save(c, "IMAGE_background.jpg");
}

// The bezel around the whole window, transparent inside.
void Frame() {
    Canvas c(W, H, Jpeg_key);
    const auto chrome = Shade::Chrome();
    for (int y = 0; y < H; ++y)
        for (int x = 0; x < W; ++x) c.At(x, y) = Ramp(chrome, 0.15f + 0.7f * float(y) / H);
    c.Rounded(
        10, 10, W - 10, H - 10, 26,
        [](float, float, float) {
            return Colour{14, 16, 22};
        },
        1, true);
    c.Rounded(
        13, 13, W - 13, H - 13, 23, [](float, float, float) { return Jpeg_key; }, 1, true);
    // Screws in the corners of the bezel.
    for (auto [x, y] : {std::pair{5, 5}, {W - 6, 5}, {5, H - 6}, {W - 6, H - 6}})
        c.Disc(x, y, 3.5f, [](float, float, float d) {
            return Mix(Colour{60, 64, 72}, Colour{200, 205, 215}, std::min(1.f, d / 3));
        });
    Save(c, "IMAGE_frame.jpg");
}

void Front_panel() {
    const int w = Px(72), h = Py(40);
    Canvas c(w, h, Jpeg_key);
    Panel_style s;
    s.face = Shade::Dark_glass();
    s.rim = 9;
    s.radius = 30;
    s.gloss = 0.12f;
    // The panel ends behind the type box (from 36.5 % down), so its lower corners stay hidden.
    Panel(c, -40, 2, w - 2, Py(38.5), s);
    // The cover well, around the now-playing cover at (5.4, 8.6), 20 x 26.8.
    Well(c, Px(5.4) - 10, Py(8.6) - 10, Px(25.4) + 10, Py(35.4) + 10, 10, {6, 8, 12});
    // Title and a row of level bars beside the cover.
    const float tx = Px(28);
    c.Text("THE TAVRIX", tx, 54, 64, true, Shade::Chrome_text(), 0, 0.8f, 3);
    c.Text("JUKEBOX", tx, 122, 64, true, {{0.f, {170, 230, 255}}, {0.5f, {80, 170, 230}}, {1.f, {160, 220, 250}}}, 0,
           0.8f, 3);
    const float bx0 = tx, bx1 = w - 60, by1 = Py(33);
    const int bars = 28;
    for (int i = 0; i < bars; ++i) {
        const float x0 = bx0 + (bx1 - bx0) * i / bars, x1 = x0 + (bx1 - bx0) / bars - 6;
        const float level = 0.25f + 0.7f * std::fabs(std::sin(i * 0.55f) * std::cos(i * 0.23f));
        const float top = by1 - 150 * level;
        for (float y = by1; y > top; y -= 9) {
            const float t = (by1 - y) / 150;
            const Colour col = Ramp({{0.f, {40, 200, 230}}, {0.6f, {60, 160, 240}}, {1.f, {180, 120, 255}}}, t);
            c.Rounded(
                x0, y - 6, x1, y, 1.5f, [&](float, float, float) { return col; }, 0.85f);
        }
    }
    Brush(c, 0, 0, w, h, 0.03f, 7);
    Save(c, "IMAGE_front3.jpg");
}

// An LCD-like status panel with a speaker grille below (the mode panels and the side panel).
void Mode_panel(const std::string& name, Colour lcd_top, Colour lcd_bottom, unsigned seed) {
    const int w = Px(25), h = Py(44);
    Canvas c(w, h, Corner);
    Panel_style s;
    s.face = Shade::Dark_glass();
    s.rim = 7;
    s.radius = 22;
    s.gloss = 0.1f;
    s.hard = false;
    Panel(c, 0, 0, w, h, s);
    // The status lines start at 15 % of the panel; five lines of 2.8 % text.
    Panel_style lcd;
    lcd.face = Lcd(lcd_top, lcd_bottom);
    lcd.rim = 4;
    lcd.radius = 10;
    lcd.bevel = 4;
    lcd.recessed = true;
    lcd.gloss = 0.18f;
    lcd.hard = false;
    Panel(c, 22, h * 0.12f, w - 22, h * 0.52f, lcd);
    // Speaker grille.
    for (float y = h * 0.60f; y < h - 28; y += 16)
        for (float x = 34; x < w - 30; x += 16)
            c.Disc(x, y, 4.2f, [](float, float, float d) {
                return Mix(Colour{2, 3, 5}, Colour{60, 70, 86}, std::clamp(1 - d / 4, 0.f, 1.f) * 0.4f);
            });
    Brush(c, 0, 0, w, h, 0.02f, seed);
    Save(c, name);
}

// The album panel: aluminium with six cover wells, numbered 1 to 6 as the keys that open them.
void Action_panel(const std::string& name, Colour tint, bool wells) {
    const int w = Px(73), h = Py(49);
    Canvas c(w, h, Corner);
    Panel_style s;
    s.face = Aluminium();
    for (auto& stop : s.face) stop.colour = Mix(stop.colour, tint, 0.12f);
    s.rim = 8;
    s.radius = 24;
    s.gloss = 0.25f;
    s.hard = false;
    Panel(c, 0, 0, w, h, s);
    Brush(c, 10, 10, w - 10, h - 10, 0.035f, 11);
    if (wells) {
        const double xs[] = {10, 39, 68}, ys[] = {13, 61};
        const int side = Py(16);
        int n = 1;
        for (double y : ys)
            for (double x : xs) {
                const float x0 = x * 0.01 * w, y0 = y * 0.01 * h;
                Well(c, x0 - 6, y0 - 6, x0 + side + 6, y0 + side + 6, 8, {30, 34, 42});
                c.Text(std::to_string(n++), x0 - 40, y0 + 4, 34, true, Solid({90, 98, 112}), 0, 0.25f, 1);
            }
    }
    Save(c, name);
}

void Intro() {
    const int w = Px(73), h = Py(49);
    Canvas c(w, h, Corner);
    Panel_style s;
    s.face = Shade::Dark_glass();
    s.rim = 8;
    s.radius = 24;
    s.gloss = 0.14f;
    s.hard = false;
    Panel(c, 0, 0, w, h, s);
    c.Text("Welcome to the Tavrix Jukebox", w / 2.f, 60, 64, true, Shade::Chrome_text(), 1, 0.8f, 3);
    c.Text("Every button stands for a key. Press the key or click the button.", w / 2.f, 150, 30, false,
           Solid({170, 200, 230}), 1, 0.6f, 2);
    const char* keys[][2] = {{"B", "Browse the albums"},  {"S", "Search by name"}, {"V", "Set the volume"},
                             {"R", "Rate the song"},      {"O", "Options"},        {"Q", "Quit"},
                             {"Space", "Pause / resume"}, {"N", "Next song"},      {"P", "Previous song"}};
    for (int i = 0; i < 9; ++i) {
        const float x = 130 + (i % 3) * 410.f, y = 230 + (i / 3) * 85.f;
        const int kw = std::max(56, c.Text_width(keys[i][0], 30, true) + 28);
        Panel_style key;
        key.face = Shade::Light_glass();
        key.rim = 3;
        key.radius = 9;
        key.bevel = 3;
        key.hard = false;
        Panel(c, x, y, x + kw, y + 54, key);
        c.Text(keys[i][0], x + kw / 2.f, y + 10, 30, true, Solid(Ink), 1, 0);
        c.Text(keys[i][1], x + kw + 18, y + 11, 30, false, Solid({225, 232, 242}), 0, 0.6f, 2);
    }
    Save(c, "IMAGE_intro.jpg");
}

// A caption plate: dark glass, chrome rim, the mode's name in chrome letters over an accent line.
void Caption(const std::string& name, const std::string& text, Colour accent, int w, int h) {
    Canvas c(w, h, Jpeg_key);
    Panel_style s;
    s.face = Shade::Dark_glass();
    s.rim = 5;
    s.radius = h / 2.f - 4;
    s.gloss = 0.16f;
    Panel(c, 2, 2, w - 2, h - 2, s);
    c.Rounded(
        40, h - 16, w - 40, h - 12, 2, [&](float, float, float) { return accent; }, 0.9f);
    c.Text(text, w / 2.f, h * 0.14f, int(h * 0.52f), true, Shade::Chrome_text(), 1, 0.9f, 2);
    Save(c, name);
}

void Final_caption() {
    const int w = W, h = Py(5);
    Canvas c(w, h, Bmp_key);
    const int bar = 38;
    c.Vertical(0, 0, w, bar, {{0.f, {42, 52, 70}}, {0.5f, {20, 26, 38}}, {1.f, {12, 15, 22}}});
    c.Vertical(0, bar, w, bar + 3, Shade::Chrome());
    c.Vertical(0, bar + 3, w, bar + 4, Solid({10, 12, 16}));
    c.Text("The Tavrix Jukebox", w / 2.f, 7, 24, true, Shade::Chrome_text(), 1, 0.8f, 2);
    Save(c, "IMAGE_final_cap.bmp");
}

// A light chrome key cap; the program writes the label in black.
Canvas Button_cap(int w, int h, std::vector<Stop> face) {
    Canvas c(w, h, Jpeg_key);
    Panel_style s;
    s.face = std::move(face);
    s.rim = 3;
    s.radius = 11;
    s.bevel = 4;
    s.gloss = 0.35f;
    Panel(c, 0, 0, w, h, s);
    return c;
}

std::vector<Stop> Key_face() { return {{0.f, {246, 248, 252}}, {0.5f, {218, 224, 233}}, {1.f, {192, 200, 212}}}; }

void Buttons() {
    const int h = Py(5);
    const int square = static_cast<int>(5.0 * H / W * 0.01 * W);
    Save(Button_cap(square, h, Key_face()), "IMAGE_button_1.jpg");
    Save(Button_cap(static_cast<int>(5.0 * H / W * 1.55 * 0.01 * W), h, Key_face()), "IMAGE_button_2b.jpg");
    Save(Button_cap(static_cast<int>(5.0 * H / W * 2.1 * 0.01 * W), h, Key_face()), "IMAGE_button_3b.jpg");
    Save(Button_cap(square, h, Key_face()), "IMAGE_button_frame.jpg");
    {
        Canvas c = Button_cap(square, h, {{0.f, {255, 150, 140}}, {0.5f, {214, 60, 50}}, {1.f, {160, 30, 26}}});
        const float m = square * 0.32f, t = 3.2f;
        const float a = m, b = square - m;
        c.Polygon({{a - t, a + t}, {a + t, a - t}, {b + t, b - t}, {b - t, b + t}}, {255, 255, 255});
        c.Polygon({{b + t, a + t}, {b - t, a - t}, {a - t, b - t}, {a + t, b + t}}, {255, 255, 255});
        Save(c, "IMAGE_button_quit.jpg");
    }
    const float cx = square / 2.f, cy = h / 2.f, r = square * 0.26f;
    const Colour arrow{30, 90, 150};
    auto arrow_button = [&](const std::string& name, std::vector<std::pair<float, float>> pts) {
        Canvas c = Button_cap(square, h, Key_face());
        c.Polygon(pts, arrow);
        Save(c, name);
    };
    arrow_button("IMAGE_button_uparrow.jpg", {{cx, cy - r}, {cx + r, cy + r * 0.7f}, {cx - r, cy + r * 0.7f}});
    arrow_button("IMAGE_button_downarrow.jpg", {{cx - r, cy - r * 0.7f}, {cx + r, cy - r * 0.7f}, {cx, cy + r}});
    arrow_button("IMAGE_button_leftarrow.jpg", {{cx - r, cy}, {cx + r * 0.7f, cy - r}, {cx + r * 0.7f, cy + r}});
    arrow_button("IMAGE_button_rightarrow.jpg", {{cx + r, cy}, {cx - r * 0.7f, cy - r}, {cx - r * 0.7f, cy + r}});
}

// Glossy orbs, one colour per rating class; painted at their on-screen size of 1.8 %.
void Rating_orbs() {
    const int side = static_cast<int>(1.8 * 0.01 * H);
    const struct {
        const char* name;
        Colour light, dark;
    } orbs[] = {{"IMAGE_gold.jpg", {255, 236, 140}, {200, 140, 10}},
                {"IMAGE_green.jpg", {170, 250, 160}, {30, 140, 50}},
                {"IMAGE_orange.jpg", {255, 200, 130}, {220, 100, 10}},
                {"IMAGE_red.jpg", {255, 150, 140}, {170, 20, 20}},
                {"IMAGE_black.jpg", {120, 124, 134}, {10, 10, 14}}};
    for (const auto& o : orbs) {
        Canvas c(side, side, Jpeg_key);
        const float r = side / 2.f - 0.5f, m = side / 2.f;
        c.Disc(
            m, m, r,
            [](float, float, float) {
                return Colour{20, 20, 24};
            },
            1, true);
        c.Disc(
            m, m, r - 1,
            [&](float x, float y, float) {
                const float t = std::clamp((std::hypot(x - m * 0.8f, y - m * 0.7f)) / (r * 1.6f), 0.f, 1.f);
                return Mix(o.light, o.dark, t);
            },
            1, true);
        c.Disc(
            m - r * 0.3f, m - r * 0.35f, r * 0.32f,
            [](float, float, float) {
                return Colour{255, 255, 255};
            },
            0.55f);
        Save(c, o.name);
    }
}

void Record(Canvas& c, float cx, float cy, float r, const std::string& label) {
    c.Disc(cx, cy, r, [&](float x, float y, float) {
        const float d = std::hypot(x - cx, y - cy);
        const float groove = 0.5f + 0.5f * std::sin(d * 1.3f);
        const float angle = std::atan2(y - cy, x - cx);
        const float sheen = std::pow(std::fabs(std::cos(angle - 0.8f)), 6.f);
        return Mix(Mix(Colour{14, 15, 18}, Colour{30, 32, 38}, groove), Colour{120, 130, 150}, sheen * 0.35f);
    });
    c.Disc(cx, cy, r * 0.34f, [&](float, float y, float) {
        return Mix(Colour{60, 150, 220}, Colour{20, 70, 140}, (y - cy + r) / (2 * r));
    });
    c.Disc(cx, cy, r * 0.05f, [](float, float, float) { return Colour{8, 8, 10}; });
    if (!label.empty()) c.Text(label, cx, cy + r + 8, int(r * 0.28f), true, Shade::Chrome_text(), 1, 0.7f, 2);
}

void Placeholders() {
    {
        Canvas c(Px(20), Py(26.8), {8, 10, 16});
        c.Vertical(0, 0, c.Width(), c.Height(), Shade::Dark_glass());
        Record(c, c.Width() / 2.f, c.Height() * 0.42f, c.Height() * 0.3f, "Nothing playing");
        Save(c, "IMAGE_no_cd.jpg");
    }
    for (int size : {400, Py(16)}) {
        Canvas c(size, size, {8, 10, 16});
        c.Vertical(0, 0, size, size, {{0.f, {52, 60, 76}}, {1.f, {16, 19, 26}}});
        Record(c, size / 2.f, size * 0.42f, size * 0.3f, "No Cover");
        Save(c, size == 400 ? "IMAGE_no_cover.jpg" : "IMAGE_no_cover.bmp");
    }
    Save(Canvas(8, 8, {0, 0, 0}), "IMAGE_24bit.bmp");
}

void Lcd_box(const std::string& name, int w, int h, bool keyed) {
    Canvas c(w, h, keyed ? Jpeg_key : Corner);
    Panel_style s;
    s.face = Lcd({196, 226, 232}, {158, 196, 206});
    s.rim = 5;
    s.radius = std::min(16.f, h / 3.f);
    s.bevel = 4;
    s.recessed = true;
    s.gloss = 0.2f;
    s.hard = keyed;
    Panel(c, 0, 0, w, h, s);
    Save(c, name);
}

// The playlist page: a long light card; the song rows are written on it. No ruled lines: album
// headers and song rows differ in height, so rules could never run between the rows.
void Playlist_page() {
    const int w = Px(26), h = Py(200);
    Canvas c(w, h, Jpeg_key);
    Panel_style s;
    s.face = {{0.f, {236, 239, 244}}, {1.f, {214, 220, 228}}};
    s.rim = 6;
    s.radius = 18;
    s.bevel = 3;
    s.gloss = 0;
    Panel(c, 0, 0, w, h, s);
    Save(c, "IMAGE_playlist_3.jpg");
}

void Song_paper(const std::string& name, Colour tint) {
    const int w = Px(39), h = Py(46);
    Canvas c(w, h, Corner);
    Panel_style s;
    s.face = {{0.f, Mix({248, 248, 244}, tint, 0.1f)}, {1.f, Mix({226, 226, 220}, tint, 0.15f)}};
    s.rim = 6;
    s.radius = 16;
    s.gloss = 0.12f;
    s.hard = false;
    Panel(c, 0, 0, w, h, s);
    c.Vertical(6, 6, w - 6, 40, {{0.f, Mix({60, 90, 140}, tint, 0.3f)}, {1.f, Mix({30, 50, 90}, tint, 0.3f)}});
    c.Text("Songs", w / 2.f, 9, 24, true, Shade::Chrome_text(), 1, 0.6f, 1);
    Save(c, name);
}

void Make_folders(const std::string& folder) {
    std::string partial;
    for (char ch : folder + "/") {
        if (ch == '/' && !partial.empty()) mkdir(partial.c_str(), 0755);
        partial += ch;
    }
}

// The desktop icon: a chrome-rimmed glass tile with a record, as the jukebox looks. Painted four times
// larger with a hard silhouette, so the PNG's edge is smooth and free of the key colour.
void Icons(const std::string& theme_folder) {
    constexpr int Super = 4;
    for (int size : {32, 48, 64, 128, 256}) {
        const int side = size * Super;
        Canvas c(side, side, Jpeg_key);
        Panel_style s;
        s.face = Shade::Dark_glass();
        s.rim = side * 0.035f;
        s.radius = side * 0.2f;
        s.bevel = side * 0.02f;
        s.gloss = 0.18f;
        s.hard = true;
        Panel(c, side * 0.04f, side * 0.04f, side * 0.96f, side * 0.96f, s);
        Record(c, side / 2.f, side / 2.f, side * 0.34f, "");
        const std::string folder =
            theme_folder + "/hicolor/" + std::to_string(size) + "x" + std::to_string(size) + "/apps";
        Make_folders(folder);
        if (!c.Save_png(folder + "/tavrix.png", Super, Jpeg_key)) {
            std::fprintf(stderr, "tavrix_theme: cannot write %s/tavrix.png\n", folder.c_str());
            ++g_failures;
        }
    }
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 3 && std::string(argv[1]) == "--icons") {
        Icons(argv[2]);
        return g_failures == 0 ? 0 : 1;
    }
    if (argc != 2) {
        std::fprintf(stderr, "usage: tavrix_theme <pictures folder> | tavrix_theme --icons <icon theme folder>\n");
        return 2;
    }
    g_folder = argv[1];
    Make_folders(g_folder);
    Background();
    Frame();
    Front_panel();
    Mode_panel("IMAGE_Q2A_mode.jpg", {196, 226, 232}, {158, 196, 206}, 3);
    Mode_panel("IMAGE_Q2B_mode.jpg", {240, 224, 190}, {214, 190, 146}, 5);
    // The wells are drawn by the jukebox at the cover places, square on any window shape.
    Action_panel("IMAGE_Q4A_action.jpg", {200, 220, 255}, false);
    Action_panel("IMAGE_Q4B_action.jpg", {255, 230, 200}, false);
    Action_panel("IMAGE_Q4A_extra.jpg", {200, 220, 255}, false);
    Intro();
    Lcd_box("IMAGE_buttons.jpg", Px(69.5), Py(9), true);
    Lcd_box("IMAGE_typebox.jpg", Px(40), Py(20), false);
    Playlist_page();
    Caption("IMAGE_playlist_cap.jpg", "Playlist", {90, 200, 255}, Px(25), Py(6.5));
    Caption("IMAGE_cap_playing3.jpg", "Now Playing", {60, 200, 240}, Px(25), Py(7));
    Caption("IMAGE_cap_browse3.jpg", "Browse", {90, 210, 110}, Px(25), Py(7));
    Caption("IMAGE_cap_volume3.jpg", "Volume", {250, 150, 40}, Px(25), Py(7));
    Caption("IMAGE_cap_rating3.jpg", "Rating", {250, 210, 60}, Px(25), Py(7));
    Caption("IMAGE_cap_search3.jpg", "Search", {180, 130, 250}, Px(25), Py(7));
    Caption("IMAGE_cap_options.jpg", "Options", {150, 170, 200}, Px(25), Py(7));
    Final_caption();
    Buttons();
    Rating_orbs();
    Placeholders();
    Song_paper("IMAGE_songpaper_A.jpg", {255, 240, 200});
    Song_paper("IMAGE_songpaper_B.jpg", {200, 225, 255});
    return g_failures == 0 ? 0 : 1;
}
