// Bitmaps: loading and stretching files into surfaces, drawing onto the screen or a parent,
// text writing, value-profile motion, hit tests and saving as BMP.
#include "display/VxBitmap.h"

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <optional>
#include <vector>

#include "display/Bmp_file.h"
#include "display/VxDirectX.h"
#include "platform/dialogs.h"
#include "settings/Atomic_file.h"
#include "trace/Profile_registry.h"
#include "trace/VxTrace.h"

namespace {
constexpr const char* Caption = "VxBitmap";

Platform::Pixel To_pixel(COLORREF c) { return Platform::Make_pixel(c & 0xFF, (c >> 8) & 0xFF, (c >> 16) & 0xFF); }

// The colour of every pixel of a picture of one colour; none for any other (a real picture differs
// within its first pixels, so only a picture of one colour is read whole).
std::optional<Platform::Pixel> One_colour(const Platform::Surface& image) {
    if (image.Width() <= 0 || image.Height() <= 0) return std::nullopt;
    const Platform::Pixel first = image.Row(0)[0];
    for (int y = 0; y < image.Height(); ++y) {
        const Platform::Pixel* row = image.Row(y);
        for (int x = 0; x < image.Width(); ++x)
            if (row[x] != first) return std::nullopt;
    }
    return first;
}

// Every bitmap alive, for Any_moving; never destroyed, as bitmaps live in statics that outlast main.
std::vector<VxBitmap*>& Live_bitmaps() {
    static auto* live = new std::vector<VxBitmap*>;
    return *live;
}
}  // namespace

VxBitmap::VxBitmap() {
    Live_bitmaps().push_back(this);
    for (VxProfile* ramp : {&x_ramp_, &y_ramp_}) {
        ramp->Set_preset(ramp_preset_);
        ramp->Set_form(2);
        Profile_registry::Instance().Add(ramp);
    }
    VxDirectX& dx = VxDirectX::Instance();
    clip_ = Platform::Rect{0, 0, dx.Window_width(), dx.Window_height()};
}

VxBitmap::~VxBitmap() {
    std::vector<VxBitmap*>& live = Live_bitmaps();
    live.erase(std::remove(live.begin(), live.end(), this), live.end());
    Profile_registry::Instance().Remove(&x_ramp_);
    Profile_registry::Instance().Remove(&y_ramp_);
}

void VxBitmap::Set_size(double width, double height) {
    width_ = width;
    height_ = height;
}

void VxBitmap::Set_position(double x, double y) {
    x_ramp_.Set_position(x);
    x_ramp_.Set_destination(x);
    y_ramp_.Set_position(y);
    y_ramp_.Set_destination(y);
    x_ramp_.Set_moving(false);
    y_ramp_.Set_moving(false);
}

void VxBitmap::Freeze() {
    const double x = x_ramp_.Value(), y = y_ramp_.Value();
    x_ramp_.Set_position(x);
    y_ramp_.Set_position(y);
    x_ramp_.Set_moving(false);
    y_ramp_.Set_moving(false);
}

void VxBitmap::Set_target(double x, double y) {
    x_ramp_.Set_destination(x);
    y_ramp_.Set_destination(y);
}

void VxBitmap::Start_move() {
    x_ramp_.Start();
    y_ramp_.Start();
    // Read once so the registry sees the move from this moment on.
    x_ramp_.Value();
    y_ramp_.Value();
}

void VxBitmap::Move_to_hidden() {
    Freeze();
    Set_target(hidden_.x, hidden_.y);
    Start_move();
}

void VxBitmap::Move_to_shown() {
    Freeze();
    Set_target(shown_.x, shown_.y);
    Start_move();
}

void VxBitmap::Set_ramp_preset(int preset) {
    ramp_preset_ = preset;
    x_ramp_.Set_preset(preset);
    y_ramp_.Set_preset(preset);
}

VxPoint VxBitmap::Get_position() { return {x_ramp_.Value(), y_ramp_.Value()}; }
VxPoint VxBitmap::Get_target() const { return {x_ramp_.Destination(), y_ramp_.Destination()}; }

bool VxBitmap::Is_moving() {
    x_ramp_.Value();
    y_ramp_.Value();
    return x_ramp_.Is_moving() || y_ramp_.Is_moving();
}

bool VxBitmap::Any_moving(std::vector<std::string>* moving) {
    bool any = false;
    for (VxBitmap* b : Live_bitmaps()) {
        if (!b->Is_moving()) continue;
        any = true;
        if (!moving) break;
        moving->push_back(b->Get_name());
    }
    return any;
}

VxPoint VxBitmap::Get_absolute_position() {
    const VxPoint p = Get_position();
    if (!parent_) return p;
    const VxPoint base = parent_->Get_absolute_position();
    const VxPoint size = parent_->Get_size();
    return {base.x + p.x * size.x / 100.0, base.y + p.y * size.y / 100.0};
}

void VxBitmap::Set_clip(double left, double top, double right, double bottom) {
    VxDirectX& dx = VxDirectX::Instance();
    const int w = dx.Window_width(), h = dx.Window_height();
    clip_ = Platform::Rect{static_cast<int>(left * 0.01 * w), static_cast<int>(top * 0.01 * h),
                           static_cast<int>(right * 0.01 * w), static_cast<int>(bottom * 0.01 * h)};
}

void VxBitmap::Size_for_window(int& width, int& height) const {
    VxDirectX& dx = VxDirectX::Instance();
    width = static_cast<int>(width_ * 0.01 * dx.Window_width());
    height = static_cast<int>(height_ * 0.01 * dx.Window_height());
}

void VxBitmap::Make_sized_surface() {
    int w = 0, h = 0;
    Size_for_window(w, h);
    surface_ = VxDirectX::Instance().Create_surface(w, h, true);
    surface_width_ = surface_->Width();
    surface_height_ = surface_->Height();
}

void VxBitmap::Make_surface() {
    deferred_path_.clear();
    Make_sized_surface();
    loaded_ = false;
}

void VxBitmap::Release_surface() {
    deferred_path_.clear();
    surface_.reset();
    surface_width_ = surface_height_ = 0;
    loaded_ = false;
}

bool VxBitmap::Take_undecoded_picture(const VxBitmap& source) {
    if (deferred_path_.empty() || source.deferred_path_.empty() || source.colour_key_) return false;
    if (source.x_ramp_.Position() != 0 || source.y_ramp_.Position() != 0 || source.x_ramp_.Is_moving() ||
        source.y_ramp_.Is_moving())
        return false;
    int w = 0, h = 0, source_w = 0, source_h = 0;
    Size_for_window(w, h);
    source.Size_for_window(source_w, source_h);
    if (w != surface_width_ || h != surface_height_ || source_w != w || source_h != h || source.surface_width_ != w ||
        source.surface_height_ != h)
        return false;
    deferred_path_ = source.deferred_path_;
    loaded_width_ = source.loaded_width_;
    loaded_height_ = source.loaded_height_;
    return true;
}

Platform::Surface* VxBitmap::Surface_now() {
    if (deferred_path_.empty()) return surface_.get();
    const std::string path = std::move(deferred_path_);
    deferred_path_.clear();
    auto image = VxDirectX::Instance().Deferred_picture(path);
    if (!image) {  // the decoder's error was shown; the bitmap stays without a picture
        surface_.reset();
        loaded_ = false;
        return nullptr;
    }
    // The size the bitmap had when it was loaded, as decoding it then would have made it.
    if (!surface_) surface_ = VxDirectX::Instance().Create_surface(surface_width_, surface_height_, true);
    Stretch_into_surface(*image, VxPicture::Theme);
    return surface_.get();
}

void VxBitmap::Stretch_into_surface(Platform::Surface& image, VxPicture picture) {
    // Key pixels must stay exactly key when stretched, so keyed images are scaled by picking
    // pixels; all others are filtered.
    // A picture of one colour stretches to that colour everywhere, filtered or not, so it is filled:
    // the blank 8 x 8 under the playlist pages (twice the window high) and the progress box were the
    // costliest stretches of the start.
    if (const std::optional<Platform::Pixel> colour = One_colour(image)) {
        surface_->Fill(*colour);
    } else {
        const bool smooth = !image.Has_key_pixels();
        const Platform::Rect all{0, 0, surface_width_, surface_height_};
        if (!surface_->Blit(image, Platform::Rect{0, 0, image.Width(), image.Height()}, all, all, false, smooth))
            Platform::Message_box(Caption, "error during Blt. ");
    }
    if (picture == VxPicture::Cover) VxDirectX::Keep_off_key(*surface_);  // filtering can meet the key too
}

// A picture is drawn over the whole of a surface that already has the bitmap's size, so such a surface
// is kept: covers and sheets loaded song after song, page after page, then hold one block each all day
// instead of taking a new one beside the decoder's buffers every time and leaving the heap in pieces.
void VxBitmap::Loading_surface(const std::string& path, VxPicture picture) {
    VxTraceScope scope("Loading_surface");
    if (std::FILE* f = std::fopen(path.c_str(), "rb")) {
        std::fclose(f);
    } else {
        if (loaded_) Release_surface();
        Platform::Message_box(Caption, path + " NOT found");
        return;
    }
    int w = 0, h = 0;
    if (picture == VxPicture::Theme && VxDirectX::Instance().Deferred_picture_size(path, w, h)) {
        deferred_path_ = path;
        int width = 0, height = 0;
        Size_for_window(width, height);
        // A surface of the size stays to be drawn over when the picture is decoded; no one sees it before.
        if (surface_ && (surface_->Width() != width || surface_->Height() != height)) surface_.reset();
        surface_width_ = width;
        surface_height_ = height;
    } else {
        deferred_path_.clear();
        auto image = VxDirectX::Instance().bitmap_surface(path, w, h, picture);
        if (!image) {
            // The decoder's error was shown; the bitmap stays without a picture.
            if (loaded_) Release_surface();
            return;
        }
        int width = 0, height = 0;
        Size_for_window(width, height);
        if (!surface_ || surface_->Width() != width || surface_->Height() != height) {
            surface_.reset();  // before the new one, so the two are never held at once
            Make_sized_surface();
        }
        Stretch_into_surface(*image, picture);
    }
    loaded_width_ = w;
    loaded_height_ = h;
    loaded_ = true;
}

void VxBitmap::Draw() {
    if (parent_) {
        Draw_onto(*parent_);
        return;
    }
    const VxPoint p = Get_position();
    VxDirectX::Instance().Blit(p.x, p.y, *this);
}

void VxBitmap::Draw_onto(VxBitmap& target) {
    VxDirectX& dx = VxDirectX::Instance();
    const VxPoint p = Get_position();
    const int left = static_cast<int>(p.x * 0.01 * target.surface_width_);
    const int top = static_cast<int>(p.y * 0.01 * target.surface_height_);
    const int right = left + static_cast<int>(width_ * 0.01 * dx.Window_width());
    const int bottom = top + static_cast<int>(height_ * 0.01 * dx.Window_height());
    if (left < 0 || top < 0 || right < 0 || bottom < 0) return;
    // A picture that would land outside the target leaves it as it is, so it need not be decoded for it.
    if (left >= target.surface_width_ || top >= target.surface_height_) return;
    if (!Surface_now() || !target.Surface_now()) return;
    const Platform::Rect all{0, 0, target.surface_width_, target.surface_height_};
    if (!target.surface_->Blit(*surface_, Platform::Rect{0, 0, surface_width_, surface_height_},
                               Platform::Rect{left, top, right, bottom}, all, colour_key_))
        Platform::Message_box(Caption, "error during Blt. ");
}

double VxBitmap::Preset_height(int preset) {
    switch (preset) {
        case 0:
            return 1.68;
        case 1:
            return 2.24;
        case 2:
            return 2.8;
        case 3:
            return 2.8;
        case 4:
            return 3.92;
        case 5:
            return 4.48;
        case 6:
            return 5.04;
        default:
            return 2.8;
    }
}

void VxBitmap::Set_text_size(int preset) {
    font_height_ = Preset_height(preset);
    font_width_ = 0;
    line_advance_ = 0.8 * font_height_;
}

void VxBitmap::Set_font_size(double width, double height) {
    font_width_ = width;
    font_height_ = height;
}

void VxBitmap::Write_text(const std::string& text, int max_length, bool new_line) {
    VxDirectX& dx = VxDirectX::Instance();
    Platform::Text_style style;
    style.width_px = static_cast<int>(font_width_ * 0.01 * dx.Window_width());
    style.height_px = static_cast<int>(font_height_ * 0.01 * dx.Window_height());
    style.colour = To_pixel(text_colour_);
    const int x = static_cast<int>(cursor_.x * 0.01 * surface_width_);
    const int y = static_cast<int>(cursor_.y * 0.01 * surface_height_);
    std::size_t length = text.size();
    if (max_length > 0 && static_cast<std::size_t>(max_length) < length) length = static_cast<std::size_t>(max_length);
    if (!Surface_now()) {
        Platform::Message_box(Caption, "Error retrieving handle");
        return;
    }
    const int width = Platform::Draw_text(*surface_, x, y, text.substr(0, length), style);
    if (new_line) {
        if (surface_height_ > 0)
            cursor_.y += line_advance_ * (static_cast<double>(dx.Window_height()) / surface_height_);
    } else if (surface_width_ > 0) {
        cursor_.x = (x + width) * 100.0 / surface_width_;
    }
}

void VxBitmap::Write_text_on_field(const std::string& text, COLORREF field) {
    if (!Surface_now()) {
        Platform::Message_box(Caption, "Error retrieving handle");
        return;
    }
    VxDirectX& dx = VxDirectX::Instance();
    Platform::Text_style style;
    style.width_px = static_cast<int>(font_width_ * 0.01 * dx.Window_width());
    style.height_px = static_cast<int>(font_height_ * 0.01 * dx.Window_height());
    const int x = static_cast<int>(cursor_.x * 0.01 * surface_width_);
    const int y = static_cast<int>(cursor_.y * 0.01 * surface_height_);
    const int pad = std::max(1, style.height_px / 4);
    const int width = Platform::Measure_text(text, style);
    surface_->Fill_rect({x, y, x + pad + width + pad, y + style.height_px}, To_pixel(field));
    if (surface_width_ <= 0) return;
    cursor_.x = (x + pad) * 100.0 / surface_width_;
    Write_text(text, 0, false);
    cursor_.x = (x + pad + width + pad) * 100.0 / surface_width_;
}

void VxBitmap::Write_centred(const std::string& text) {
    Set_text_size(2);
    const std::string shown = text.substr(0, 25);
    VxDirectX& dx = VxDirectX::Instance();
    Platform::Text_style style;
    style.height_px = static_cast<int>(font_height_ * 0.01 * dx.Window_height());
    const int width = Platform::Measure_text(shown, style);
    const double width_per_cent = surface_width_ > 0 ? width * 100.0 / surface_width_ : 0;
    Set_text_cursor(50 - width_per_cent / 2, 25);
    Write_text(shown, 25, false);
}

bool VxBitmap::Save_surface(const std::string& path) {
    VxTraceScope scope("DX.Save_surface");
    const auto dot = path.find_last_of('.');
    std::string ext = dot == std::string::npos ? "" : path.substr(dot + 1);
    for (char& c : ext) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    if (ext == "JPG") {
        Platform::Message_box(Caption, "Saving JPG from surface NOT YET IMPLEMENTED");
        return false;
    }
    if (ext != "BMP") {
        VxTrace::Instance().Write_error("DX.Save_surface: cannot save " + path);
        return false;
    }
    if (!Surface_now()) {
        Platform::Message_box("Error", "Cannot create CompatibleBitmap");
        return false;
    }
    const Platform::Surface& surface = *surface_;
    const Bmp_result result =
        Write_bmp(path, surface_width_, surface_height_, Bmp_depth::bits_32, Bmp_padding_word::absent,
                  [&surface](int row, int col) { return surface.Row(row)[col]; });
    if (result == Bmp_result::cannot_create) {
        Platform::Message_box("Error", "Unable to Create Bitmap File");
        return false;
    }
    if (result == Bmp_result::write_failed) {
        VxTrace::Instance().Write_error("DX.Save_surface: write error on " + path);
        return false;
    }
    return true;
}

int VxClickBitmap::Hit(int x, int y) {
    VxDirectX& dx = VxDirectX::Instance();
    if (dx.Window_width() <= 0 || dx.Window_height() <= 0) return No_hit;
    const double px = x * 100.0 / dx.Window_width();
    const double py = y * 100.0 / dx.Window_height();
    const VxPoint p = Get_absolute_position();
    const VxPoint size = Get_size();
    if (px > p.x && px < p.x + size.x && py > p.y && py < p.y + size.y) return Get_id();
    return No_hit;
}
