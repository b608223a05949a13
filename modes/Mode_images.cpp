// Loading and placing the screen images all modes share. They are loaded once, the first time a
// mode is built with the display up; every mode then draws the same set.
#include "modes/Mode_images.h"

#include "settings/VxRead.h"

namespace {
void Load(VxBitmap& b, const std::string& pics, const char* file, double w, double h, bool key) {
    b.Set_name(file);
    b.Set_size(w, h);
    b.Loading_surface(pics + file);
    b.Set_colour_key(key);
}
}  // namespace

VxMode_images& VxMode_images::Instance() {
    static VxMode_images* images = new VxMode_images;  // lives to the end, like the display
    return *images;
}

VxMode_images::VxMode_images() : pics_(VxRead::Instance().Pics_folder()) {
    Load(front_panel, pics_, "IMAGE_front3.jpg", 72, 40, true);
    front_panel.Set_position(0, 0);
    Load(now_playing, pics_, "IMAGE_no_cd.jpg", 20, 26.8, true);
    now_playing.Set_position(5.4, 8.6);
    for (int i = 0; i < 2; ++i) {
        Load(mode_panel[i], pics_, Mode_panel_files[i], 25, 44, false);
        mode_panel[i].Set_hidden_position(Mode_panel_x, Mode_panel_hidden_y);
        mode_panel[i].Set_shown_position(Mode_panel_x, Mode_panel_shown_y);
        mode_panel[i].Set_position(Mode_panel_x, Mode_panel_hidden_y);
        Load(action_panel[i], pics_, Action_panel_files[i], 73, 49, false);
        action_panel[i].Set_hidden_position(Action_hidden_x, Action_y);
        action_panel[i].Set_shown_position(Action_x, Action_y);
        action_panel[i].Set_position(Action_hidden_x, Action_y);
        action_panel[i].Set_text_size(2);
    }
    Load(side_panel, pics_, "IMAGE_Q2B_mode.jpg", 27, 49, true);
    side_panel.Set_hidden_position(-27, 47);
    side_panel.Set_shown_position(0, 47);
    side_panel.Set_position(-27, 47);
    Load(content_panel, pics_, "IMAGE_Q4A_extra.jpg", 73, 49, false);
    content_panel.Set_hidden_position(Action_hidden_x, 120);
    content_panel.Set_shown_position(Action_x, Action_y);
    content_panel.Set_position(Action_hidden_x, 120);
    Load(type_box, pics_, "IMAGE_buttons.jpg", 69.5, 9, true);
    type_box.Set_text_size(2);
    // The type box is also the strip behind the main button row, so it rests shown; the search
    // mode slides it out when it is left and the next mode's Enter brings it back.
    type_box.Set_hidden_position(-70, 36.5);
    type_box.Set_shown_position(2, 36.5);
    type_box.Set_position(2, 36.5);
}

// Loading a picture leaves the bitmap's place and any slide in progress as they are. Each source
// picture is decoded once at each size: the status lines copy theirs back every half second.
void VxMode_images::Reload(VxBitmap& bitmap, const std::string& file) {
    const VxPoint size = bitmap.Get_size();
    if (!bitmap.Has_picture()) {
        bitmap.Loading_surface(pics_ + file);
        return;
    }
    std::unique_ptr<VxBitmap>& source = sources_[{file, size.x, size.y}];
    if (!source) {
        source = std::make_unique<VxBitmap>();
        source->Set_name(file);
        source->Set_size(size.x, size.y);
        source->Loading_surface(pics_ + file);
        source->Set_position(0, 0);
    }
    // Nothing was written on a bitmap not decoded yet: it takes the source's picture, decoded when shown.
    if (bitmap.Take_undecoded_picture(*source)) return;
    if (!source->Get_surface()) {
        bitmap.Loading_surface(pics_ + file);  // reports the missing picture as a load does
        return;
    }
    source->Draw_onto(bitmap);
}
