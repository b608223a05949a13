// The screen images every mode shares: the front panel, the now-playing cover, the two mode
// panels with the status lines, the side panel, the two action panels the album panel is drawn
// on, the content panel and the type box. One set per process, loaded on first use. UI thread only.
#pragma once

#include <map>
#include <memory>
#include <string>
#include <tuple>

#include "display/VxBitmap.h"

class VxMode_images {
public:
    // Loads every image from the pictures folder at its size and place; the display must be up.
    static VxMode_images& Instance();

    // Source files of the two mode panels; Update_status_lines copies one back before writing.
    static constexpr const char* Mode_panel_files[2] = {"IMAGE_Q2A_mode.jpg", "IMAGE_Q2B_mode.jpg"};
    static constexpr const char* Action_panel_files[2] = {"IMAGE_Q4A_action.jpg", "IMAGE_Q4B_action.jpg"};

    // Shown and hidden places, in per cent of the window.
    static constexpr double Mode_panel_x = 72.5, Mode_panel_shown_y = 4, Mode_panel_hidden_y = -43;
    static constexpr double Action_x = 26, Action_y = 47, Action_hidden_x = 100;

    VxBitmap front_panel;      // 72 x 40 at (0, 0), keyed
    VxBitmap now_playing;      // 20 x 26.8 at (5.4, 8.6), keyed: the playing album's cover
    VxBitmap mode_panel[2];    // 25 x 44 at x 72.5, shown y 4, hidden y -43: the status lines
    VxBitmap side_panel;       // 27 x 49, hidden at (-27, 47), shown at (0, 47), keyed
    VxBitmap action_panel[2];  // 73 x 49, hidden at (100, 47), shown at (26, 47): the album panel
    VxBitmap content_panel;    // 73 x 49 at the action panels' place: intro image, the select mode's album
    VxBitmap type_box;         // 69.5 x 9 at (2, 36.5), keyed: one-line messages (the search line)

    int mode_panel_in_use = 0;    // toggled by every Enter
    int action_panel_in_use = 0;  // the album panel's visible one; the other is drawn off screen

    // Copies the pictures folder's file into the bitmap's existing surface (the "copy into an
    // IMAGE_24bit.bmp surface" of the panels), keeping its size, place and slide.
    void Reload(VxBitmap& bitmap, const std::string& file);
    const std::string& Pics() const { return pics_; }

private:
    VxMode_images();
    std::string pics_;
    // Decoded source pictures by file and size (per cent of the window), for Reload.
    std::map<std::tuple<std::string, double, double>, std::unique_ptr<VxBitmap>> sources_;
};
