// Drawing surfaces, the window they are presented in, and text: the 2D back end of the display.
// Every surface is 32-bit XRGB in memory; pure green is the one colour key. UI thread only.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

namespace Platform {

class Event_source;

// 0x00RRGGBB, the top byte unused.
using Pixel = std::uint32_t;
inline constexpr Pixel Colour_key = 0x0000FF00;  // pure green, RGB(0, 255, 0)
inline constexpr Pixel Make_pixel(int r, int g, int b) {
    return (static_cast<Pixel>(r & 0xFF) << 16) | (static_cast<Pixel>(g & 0xFF) << 8) | static_cast<Pixel>(b & 0xFF);
}
inline constexpr bool Is_key(Pixel p) { return (p & 0x00FFFFFF) == Colour_key; }

// Pixel rectangle, right and bottom exclusive.
struct Rect {
    int left = 0, top = 0, right = 0, bottom = 0;
    int Width() const { return right - left; }
    int Height() const { return bottom - top; }
    bool Empty() const { return right <= left || bottom <= top; }
};
Rect Intersect(const Rect& a, const Rect& b);

class Surface {
public:
    // An off-screen surface filled with black; null when the size is negative or memory runs out.
    static std::unique_ptr<Surface> Create(int width, int height);
    // A BMP file in any depth SDL reads, converted to 32 bits; null with a reason in error.
    static std::unique_ptr<Surface> Load_bmp(const std::string& path, std::string& error);

    ~Surface();
    Surface(const Surface&) = delete;
    Surface& operator=(const Surface&) = delete;

    int Width() const;
    int Height() const;
    Pixel* Row(int y);  // width pixels; y must lie inside
    const Pixel* Row(int y) const;
    Pixel Get_pixel(int x, int y) const;    // 0 outside
    void Set_pixel(int x, int y, Pixel p);  // nothing outside
    void Fill(Pixel p);
    void Fill_rect(const Rect& rect, Pixel p);  // cut to the surface
    bool Has_key_pixels() const;

    // Copies src_rect of source into dst_rect of this surface, stretched when the sizes differ,
    // cut to clip (in this surface's pixels) and to this surface. With keyed, source pixels of
    // the key colour leave the target as it was. Stretching picks pixels unless smooth is set
    // (then it filters, for unkeyed copies only: filtering would smear the key). False when SDL fails.
    bool Blit(const Surface& source, const Rect& src_rect, const Rect& dst_rect, const Rect& clip, bool keyed,
              bool smooth = false);

    struct Impl;
    Impl* impl() const { return impl_.get(); }

private:
    explicit Surface(std::unique_ptr<Impl> impl);
    std::unique_ptr<Impl> impl_;
};

// Text in the font that fontconfig matches for "Arial", antialiased, on a transparent background.
// height_px is the cell height (as a Windows font height); width_px 0 means proportional,
// otherwise the average character width. Text that is not valid UTF-8 is taken as Latin-1.
struct Text_style {
    int height_px = 16;
    int width_px = 0;
    Pixel colour = 0;
};
// Width in pixels of the text; 0 for empty text or when no font can be opened.
int Measure_text(const std::string& text, const Text_style& style);
// Draws the text with its cell's top-left corner at (x, y), cut to the surface; returns its width.
int Draw_text(Surface& target, int x, int y, const std::string& text, const Text_style& style);
// The font file in use, "" when none was found (for diagnostics).
std::string Font_file();
// Starts looking up the text font on a thread of its own (the system's font configuration can take
// longer to read than the window takes to open), so that the first text call only waits for what is
// left of it. Optional; UI thread, before the first text call; a second call does nothing.
void Prefetch_font();

// The jukebox window: a borderless SDL window with a vsync'd renderer that shows a back buffer.
class Window {
public:
    static Window& Instance();

    // Opens the window at the rectangle (screen pixels); false with a reason when it cannot.
    bool Open(const std::string& title, int left, int top, int width, int height, std::string& error);
    bool Is_open() const;
    int Width() const;
    int Height() const;

    // Shows the back buffer (which must have the window's size) once, waiting for the vertical
    // blank where the driver offers it.
    bool Present(const Surface& back_buffer, std::string& error);

    // Waits for the start of the next vertical blank. The back end keeps a blank clock at the
    // display's refresh rate (60 Hz where the driver reports none).
    void Wait_for_vertical_blank();
    // The scan line the monitor is drawing now, from the blank clock: 0 .. display height - 1.
    int Scan_line() const;
    // The display mode's refresh period; 1000/60 where the driver reports none (Refresh_reported false).
    double Refresh_period_ms() const;
    bool Refresh_reported() const;
    // True when Present returns at a real vertical blank, so the times between presents measure it.
    bool Presents_at_blank() const;
    // False on a driver that shows nothing (the headless dummy): there only a screenshot sees a frame.
    bool Shows_frames() const;

    void Show();
    void Minimise();

private:
    Window();
    struct Impl;
    Impl* impl_;
};

// The window's keyboard and mouse input as an event source of the message queue
// (platform/window.h): WM_KEYDOWN with the virtual-key code, WM_CHAR where TranslateMessage
// would make one, WM_LBUTTONDOWN/WM_RBUTTONDOWN in window pixels, WM_DESTROY when the window is
// closed, WM_PAINT when it is uncovered. Attach_window_events makes it the queue's source.
Event_source& Window_events();
void Attach_window_events();

// The key translation behind it, by SDL key code (an int, so callers need no SDL header):
// the Windows virtual-key code, 0 for keys the jukebox does not know.
unsigned Virtual_key_for(int sdl_keycode);
// The character TranslateMessage makes for a key that gives no text input (Backspace 8, Tab 9,
// Return 13, Escape 27); 0 for every other virtual key (their characters come as text input).
unsigned Control_character_for(unsigned virtual_key);

}  // namespace Platform
