// The sample screen: the main mode's screen with a playing album, a filled playlist and one
// page of the album panel, built only from the display's own operations.
#include "display/Sample_screen.h"

#include <cmath>

#include "display/VxDirectX.h"

namespace {
const char* Artists[] = {"Abba", "Bach Ensemble", "Cold Harbour", "Duke Ellis", "Echo Lane", "Fado Nights"};
const char* Titles[] = {"Gold", "Cello Suites", "Northern Lights", "Blue Rooms", "Paper Moons", "Lisbon"};
}  // namespace

VxSample_screen::VxSample_screen(const std::string& pics_folder) : pics_(pics_folder) {
    background_ = Image("IMAGE_background.jpg", 0, 0, 100, 100, false);
    front_ = Image("IMAGE_front3.jpg", 0, 0, 72, 40, true);
    mode_panel_ = Image("IMAGE_Q2A_mode.jpg", 72.5, 4, 25, 44, false);
    action_panel_ = Image("IMAGE_Q4A_action.jpg", 26, 47, 73, 49, false);
    type_box_ = Image("IMAGE_buttons.jpg", 2, 36.5, 69.5, 9, true);
    frame_ = Image("IMAGE_frame.jpg", 0, 0, 100, 100, true);
    playlist_caption_ = Image("IMAGE_playlist_cap.jpg", 1.5, 44, 25, 6.5, true);
    caption_ = Image("IMAGE_cap_playing3.jpg", 73, 3.8, 25, 7, true);
    final_caption_ = Image("IMAGE_final_cap.bmp", 0, 0, 100, 5, true);
    ratings_ = Load_rating_images(pics_folder);

    now_playing_ = Cover(2, 20, 26.8);
    now_playing_->Set_position(5.4, 8.6);

    // Status lines on the mode panel, as the modes write them.
    mode_panel_->Set_text_cursor(10, 15);
    mode_panel_->Set_text_size(2);
    for (const char* line : {"Remaining =03m07s", "Volume =80%", "Status =PLAYING", "Fading =..", "Random =ON"})
        mode_panel_->Write_text(line, 0, true);

    // The album panel: six covers with their names.
    const double aspect =
        static_cast<double>(VxDirectX::Instance().Window_height()) / VxDirectX::Instance().Window_width();
    const double xs[] = {10, 39, 68}, ys[] = {13, 61};
    action_panel_->Set_text_size(1);
    for (int i = 0; i < 6; ++i) {
        auto cover = Cover(i, 16 * aspect, 16);
        cover->Set_position(xs[i % 3], ys[i / 3]);
        cover->Draw_onto(*action_panel_);
        action_panel_->Set_text_cursor(xs[i % 3] + 14, ys[i / 3] + 4);
        action_panel_->Write_text(Artists[i], 0, true);
        action_panel_->Write_text(Titles[i], 0, true);
        action_panel_->Write_text(" (" + std::to_string(2.5 - i * 0.25).substr(0, 4) + ")", 0, true);
    }

    // One playlist page: an album header and its songs with their rating marks.
    page_ = std::make_unique<VxBitmap>();
    page_->Set_size(26, 200);
    page_->Loading_surface(pics_ + "IMAGE_24bit.bmp");
    page_->Set_position(1, 48);
    page_->Set_clip(1, 48, 27, 100);
    page_->Set_colour_key(true);
    auto page_frame = Image("IMAGE_playlist_3.jpg", 0, 0, 26, 200, true);
    page_frame->Draw_onto(*page_);
    auto header = Cover(2, 5 * aspect, 5);
    header->Set_position(10, 2.3);
    header->Draw_onto(*page_);
    page_->Set_text_cursor(30, 2.3);
    page_->Set_text_size(2);
    page_->Write_text(Artists[2], 0, true);
    page_->Write_text(Titles[2], 0, true);
    const char* songs[] = {"Harbour Lights", "Polar Night", "Aurora",      "Icebreaker",
                           "Fjord Song",     "Last Ferry",  "Midnight Sun"};
    const int ratings[] = {100, 80, 60, 30, -1, 90, 70};
    double y = 6.5;
    for (int i = 0; i < 7; ++i) {
        page_->Set_text_size(1);
        page_->Set_text_cursor(13, y + 0.3);
        page_->Set_text_colour(i == 1 ? RGB(139, 26, 26) : RGB(0, 0, 0));
        VxBitmap& mark = *ratings_[Rating_image_index(ratings[i])];
        mark.Set_position(7, y + 0.6);
        mark.Draw_onto(*page_);
        page_->Write_text(songs[i], 0, true);
        y = page_->Get_text_cursor().y;
    }

    buttons_ = VxButton::Instance().Make_button_set(VxButton_mode::Main);
    generic_ = VxButton::Instance().Make_button_set(VxButton_mode::Generic);
    // The buttons rest at their shown places, as once the main mode's slide has ended.
    for (auto* row : {&buttons_->main_row, &buttons_->transport_row})
        for (VxClickBitmap* b : *row) b->Set_position(b->Get_shown_position().x, b->Get_shown_position().y);
}

std::unique_ptr<VxBitmap> VxSample_screen::Image(const std::string& file, double x, double y, double w, double h,
                                                 bool key) {
    auto b = std::make_unique<VxBitmap>();
    b->Set_name(file);
    b->Set_size(w, h);
    b->Loading_surface(pics_ + file);
    b->Set_position(x, y);
    b->Set_colour_key(key);
    return b;
}

// A made-up album cover: a colour field with rings and the album's initial.
std::unique_ptr<VxBitmap> VxSample_screen::Cover(int index, double w, double h) {
    auto b = std::make_unique<VxBitmap>();
    b->Set_size(w, h);
    b->Make_surface();
    Platform::Surface* s = b->Get_surface();
    const double hue = index * 1.05;
    for (int y = 0; y < s->Height(); ++y)
        for (int x = 0; x < s->Width(); ++x) {
            const double u = double(x) / s->Width() - 0.5, v = double(y) / s->Height() - 0.5;
            const double ring = 0.5 + 0.5 * std::sin(std::hypot(u, v) * 40 + index);
            const int r = static_cast<int>(120 + 100 * std::sin(hue) * ring + 30 * v);
            const int g = static_cast<int>(110 + 90 * std::sin(hue + 2.1) * ring - 20 * u);
            const int bl = static_cast<int>(130 + 110 * std::sin(hue + 4.2) * (1 - ring));
            s->Set_pixel(x, y,
                         Platform::Make_pixel(std::clamp(r, 0, 255), std::clamp(g, 0, 240), std::clamp(bl, 0, 240)));
        }
    b->Set_text_colour(RGB(255, 255, 255));
    b->Set_font_size(0, h * 0.45);
    b->Set_text_cursor(30, 20);
    b->Write_text(std::string(1, Artists[index % 6][0]), 0, false);
    return b;
}

void VxSample_screen::Compose() {
    background_->Draw();
    front_->Draw();
    now_playing_->Draw();
    page_->Draw();
    mode_panel_->Draw();
    type_box_->Draw();
    VxButton::Instance().Draw_main_row(*buttons_);
    VxButton::Instance().Draw_transport_row(*buttons_);
    action_panel_->Draw();
    frame_->Draw();
    playlist_caption_->Draw();
    caption_->Draw();
    final_caption_->Draw();
    VxButton::Instance().Draw_extras(*generic_);
}
