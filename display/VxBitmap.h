// Every picture on the screen: a surface sized and placed in per cent of the window, loaded
// from a JPEG or BMP file, written on, moved by two value profiles, drawn with the green key.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "display/VxPicture.h"
#include "platform/surface.h"
#include "trace/VxProfile.h"

using COLORREF = std::uint32_t;  // 0x00BBGGRR, as Windows spells a colour
constexpr COLORREF RGB(int r, int g, int b) {
    return static_cast<COLORREF>((r & 0xFF) | ((g & 0xFF) << 8) | ((b & 0xFF) << 16));
}

struct VxPoint {
    double x = 0, y = 0;
};

class VxBitmap {
public:
    VxBitmap();  // no surface yet; its two profiles join the profile registry
    virtual ~VxBitmap();
    VxBitmap(const VxBitmap&) = delete;
    VxBitmap& operator=(const VxBitmap&) = delete;

    // Size in per cent of the window; it takes effect when the surface is next made or loaded.
    void Set_size(double width, double height);
    VxPoint Get_size() const { return {width_, height_}; }

    void Set_position(double x, double y);  // at once, both profiles held there
    void Set_hidden_position(double x, double y) { hidden_ = {x, y}; }
    void Set_shown_position(double x, double y) { shown_ = {x, y}; }
    VxPoint Get_hidden_position() const { return hidden_; }
    VxPoint Get_shown_position() const { return shown_; }
    void Move_to_hidden();  // freeze, target the remembered position, start
    void Move_to_shown();
    void Set_target(double x, double y);
    void Start_move();
    void Freeze();  // stops where the bitmap is now
    void Set_ramp_preset(int preset);
    VxPoint Get_position();           // now, from the profiles; relative to the parent if any
    VxPoint Get_absolute_position();  // per cent of the window, through the parents
    VxPoint Get_target() const;
    bool Is_moving();

    // Reads the profiles of every bitmap alive at this moment, drawn or not, so that a move that has
    // arrived stops even when no mode draws its bitmap any more. True while any of them still moves;
    // moving, when given, gets the names of those that do. UI thread only.
    static bool Any_moving(std::vector<std::string>* moving = nullptr);

    void Set_clip(double left, double top, double right, double bottom);  // per cent of the window
    Platform::Rect Get_clip() const { return clip_; }

    void Make_surface();  // an empty surface of the bitmap's size
    // The file, stretched to the bitmap's size; a cover keeps its colours (display/VxPicture.h). A
    // large theme JPEG is only measured here (its trace lines written as if decoded) and decoded at
    // the bitmap's size of now when its surface is first used: start-up decodes what it draws.
    void Loading_surface(const std::string& path, VxPicture picture = VxPicture::Theme);
    void Release_surface();
    Platform::Surface* Get_surface() { return Surface_now(); }
    bool Is_loaded() const { return loaded_; }
    // A surface, or a picture to decode when first used.
    bool Has_picture() const { return surface_ || !deferred_path_.empty(); }
    // When neither this bitmap nor source has been decoded yet, and source would cover it whole (the
    // same size, at 0, 0, unkeyed): takes source's picture, to decode when first used, which is what
    // drawing source onto it gives. False, with nothing changed, otherwise.
    bool Take_undecoded_picture(const VxBitmap& source);
    int Surface_width() const { return surface_width_; }
    int Surface_height() const { return surface_height_; }
    int Loaded_width() const { return loaded_width_; }
    int Loaded_height() const { return loaded_height_; }

    void Draw();                       // onto the parent, or on the screen at the current position
    void Draw_onto(VxBitmap& target);  // at this bitmap's position in per cent of the target

    void Set_colour_key(bool on) { colour_key_ = on; }
    bool Get_colour_key() const { return colour_key_; }

    // Text: presets 0..6 set the font height in per cent of the window height (proportional width).
    void Set_text_size(int preset);
    void Set_font_size(double width, double height);                // per cent of the window; width 0 = proportional
    void Set_text_cursor(double x, double y) { cursor_ = {x, y}; }  // per cent of this bitmap
    VxPoint Get_text_cursor() const { return cursor_; }
    void Set_text_colour(COLORREF colour) { text_colour_ = colour; }
    // max_length 0 means the whole text; new_line moves the cursor one line down, otherwise
    // the cursor ends after the text.
    void Write_text(const std::string& text, int max_length, bool new_line);
    void Write_centred(const std::string& text);  // preset 2, at most 25 characters, centred at 25 %
    // Writes the text as Write_text does on the same line, on a field of the colour that fills its
    // cell and a quarter of the cell height to each side, so that light text reads on a light
    // picture; the field starts at the cursor and the cursor ends after it. Not the colour key.
    void Write_text_on_field(const std::string& text, COLORREF field);

    // Writes the surface as a BMP at the screen's depth (32 bits); a JPG name is refused.
    bool Save_surface(const std::string& path);

    void Set_parent(VxBitmap* parent) { parent_ = parent; }
    VxBitmap* Get_parent() const { return parent_; }
    void Set_name(const std::string& name) { name_ = name; }
    const std::string& Get_name() const { return name_; }
    void Set_zoom(double zoom) { zoom_ = zoom; }
    double Get_zoom() const { return zoom_; }
    void Set_line_advance(double advance) { line_advance_ = advance; }

    // The font height of a text size preset, in per cent of the window height.
    static double Preset_height(int preset);

private:
    void Make_sized_surface();
    void Size_for_window(int& width, int& height) const;  // the surface size of width_ x height_
    // The surface, decoding a deferred picture first; null when there is none or its decoding failed.
    Platform::Surface* Surface_now();
    void Stretch_into_surface(Platform::Surface& image, VxPicture picture);

    VxPoint hidden_, shown_;
    VxProfile x_ramp_, y_ramp_;
    Platform::Rect clip_;
    double font_width_ = 5.0, font_height_ = 5.0;
    VxPoint cursor_{5.0, 5.0};
    double width_ = 100, height_ = 100;
    bool colour_key_ = false;
    COLORREF text_colour_ = 0;
    int surface_width_ = 0, surface_height_ = 0;
    int loaded_width_ = 0, loaded_height_ = 0;
    std::string name_ = "unknown";
    double line_advance_ = 10.0;
    int ramp_preset_ = 2;
    VxBitmap* parent_ = nullptr;
    bool loaded_ = false;
    std::unique_ptr<Platform::Surface> surface_;
    std::string deferred_path_;  // a theme picture loaded but not yet decoded; empty when none
    double zoom_ = 100;
};

// A bitmap that answers a click: its id when the point lies inside it, else 9999.
class VxClickBitmap : public VxBitmap {
public:
    static constexpr int No_hit = 9999;
    void Set_label(const std::string& label) { label_ = label; }
    const std::string& Get_label() const { return label_; }
    void Set_id(int id) { id_ = id; }
    int Get_id() const { return id_; }
    int Hit(int x, int y);  // window pixels

private:
    std::string label_;
    int id_ = No_hit;
};
