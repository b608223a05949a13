// Drawing the album panel: the six cover places inside an action panel, the cover file of an
// album with its placeholders, and one page of covers with their names written beside them.
#pragma once

#include <string>
#include <vector>

#include "display/VxBitmap.h"

namespace Album_panel {

// Cover places in per cent of the action panel: three columns, two rows.
inline constexpr double Cover_x[3] = {10, 39, 68};
inline constexpr double Cover_y[2] = {13, 61};
inline constexpr double Cover_height = 16;  // per cent of the window height

// The on-screen width that makes a place square, in per cent of the window width (0 without a window).
double Cover_width();
// Top left of place 0..5 in per cent of the action panel.
VxPoint Cover_place(int position);

// The files a panel cover may come from, best first: the album's cached cover, then the covers
// folder's and the pictures folder's "IMAGE_no_cover.bmp".
std::vector<std::string> Panel_cover_candidates(int album);
// Loads the first candidate that exists and loads. A file that once failed to load is not tried
// again in this run, so a broken cover shows its error once and not on every redraw. False when
// none loads (the bitmap then has no picture).
bool Load_first(VxBitmap& bitmap, const std::vector<std::string>& candidates);

// The text cut at a UTF-8 character boundary, with ".." appended, so that it is at most max_px
// wide at the font height; unchanged when it fits.
std::string Fit_text(const std::string& text, int max_px, double height_per_cent);

// The text in at most max_lines lines of at most max_px, broken between words; the last line
// is cut with ".." when the rest does not fit.
std::vector<std::string> Wrap_text(const std::string& text, int max_px, double height_per_cent, int max_lines);

// Refills panel from its source picture and draws the albums at places 1.. with artist, title,
// score and place number ("plotpanellist").
void Plot(VxBitmap& panel, const std::string& source_file, const std::vector<int>& albums);

}  // namespace Album_panel
