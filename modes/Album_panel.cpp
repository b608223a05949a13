// The album panel's drawing. Covers come from the cover cache, so a page never decodes an album's
// own JPEG; an album without a usable cached cover shows the placeholder.
#include "modes/Album_panel.h"

#include <algorithm>
#include <cstdio>
#include <set>

#include "display/VxDirectX.h"
#include "library/VxDatabase.h"
#include "library/VxDefs.h"
#include "platform/surface.h"
#include "settings/VxRead.h"
#include "trace/VxTrace.h"

namespace Album_panel {

namespace {
bool File_exists(const std::string& path) {
    if (path.empty()) return false;
    if (std::FILE* f = std::fopen(path.c_str(), "rb")) {
        std::fclose(f);
        return true;
    }
    return false;
}

std::set<std::string>& Failed_files() {
    static std::set<std::string> failed;
    return failed;
}

// The text wrapped into at most max_lines lines at the cursor, the cursor then below them.
void Write_lines(VxBitmap& target, const std::string& text, int max_px, double height, int max_lines) {
    for (const std::string& line : Wrap_text(text, max_px, height, max_lines)) target.Write_text(line, 0, true);
}

int Text_width(const std::string& text, double height_per_cent) {
    Platform::Text_style style;
    style.height_px = static_cast<int>(height_per_cent * 0.01 * VxDirectX::Instance().Window_height());
    return Platform::Measure_text(text, style);
}
}  // namespace

double Cover_width() {
    VxDirectX& dx = VxDirectX::Instance();
    if (dx.Window_width() <= 0) return 0;
    return Cover_height * dx.Window_height() / dx.Window_width();
}

VxPoint Cover_place(int position) { return {Cover_x[position % 3], Cover_y[(position / 3) % 2]}; }

std::vector<std::string> Panel_cover_candidates(int album) {
    std::vector<std::string> files;
    VxDatabase& db = VxDatabase::Instance();
    if (album >= 0 && album < db.Get_nof_cds()) files.push_back(db.Get_cd_cached_cover(album));
    files.push_back(VxRead::Instance().Covers_folder() + "IMAGE_no_cover.bmp");
    files.push_back(VxRead::Instance().Pics_folder() + "IMAGE_no_cover.bmp");
    return files;
}

bool Load_first(VxBitmap& bitmap, const std::vector<std::string>& candidates) {
    for (const std::string& file : candidates) {
        if (!File_exists(file) || Failed_files().count(file)) continue;
        bitmap.Loading_surface(file, VxPicture::Cover);
        if (bitmap.Is_loaded()) return true;
        Failed_files().insert(file);
        VxTrace::Instance().Write_error("plotpanellist: cannot load " + file);
    }
    return false;
}

std::string Fit_text(const std::string& text, int max_px, double height_per_cent) {
    if (max_px <= 0 || Text_width(text, height_per_cent) <= max_px) return text;
    std::string cut = text;
    while (!cut.empty()) {
        // Drop one whole character: its continuation bytes, then its lead byte.
        while (!cut.empty() && (static_cast<unsigned char>(cut.back()) & 0xC0) == 0x80) cut.pop_back();
        if (!cut.empty()) cut.pop_back();
        if (Text_width(cut + "..", height_per_cent) <= max_px) break;
    }
    return cut + "..";
}

std::vector<std::string> Wrap_text(const std::string& text, int max_px, double height_per_cent, int max_lines) {
    std::vector<std::string> lines;
    if (max_lines <= 0) return lines;
    std::string rest = text;
    while (!rest.empty() && static_cast<int>(lines.size()) < max_lines - 1) {
        if (max_px <= 0 || Text_width(rest, height_per_cent) <= max_px) break;
        // The longest run of whole words that fits; a first word too long for a line is cut.
        std::size_t cut = std::string::npos;
        for (std::size_t space = rest.find(' '); space != std::string::npos; space = rest.find(' ', space + 1)) {
            if (Text_width(rest.substr(0, space), height_per_cent) > max_px) break;
            cut = space;
        }
        if (cut == std::string::npos || cut == 0) break;
        lines.push_back(rest.substr(0, cut));
        rest.erase(
            0, rest.find_first_not_of(' ', cut) == std::string::npos ? rest.size() : rest.find_first_not_of(' ', cut));
    }
    if (!rest.empty() || lines.empty()) lines.push_back(Fit_text(rest, max_px, height_per_cent));
    return lines;
}

void Plot(VxBitmap& panel, const std::string& source_file, const std::vector<int>& albums) {
    VxTraceScope scope("plotpanellist");
    VxDirectX& dx = VxDirectX::Instance();
    if (!dx.Is_initialised()) return;
    panel.Loading_surface(source_file);
    if (!panel.Get_surface()) return;
    VxDatabase& db = VxDatabase::Instance();

    // One surface reused for every place; kept to the end like the display it was made on.
    static VxBitmap* cover = new VxBitmap;
    const double cover_w = Cover_width();
    const VxPoint panel_size = panel.Get_size();
    // Room for the text: from just right of the cover to just before the next column.
    const double cover_w_in_panel = panel_size.x > 0 ? cover_w * 100.0 / panel_size.x : 0;
    const double text_left = cover_w_in_panel + 1.5;
    const int text_px = static_cast<int>((Cover_x[1] - Cover_x[0] - text_left - 1) * 0.01 * panel.Surface_width());
    const double line_height = VxBitmap::Preset_height(0);
    const double number_height = Cover_height * 0.3;
    // A dark well behind every place, square on any window shape, so empty places read as such.
    const int well_w = static_cast<int>(cover_w * 0.01 * dx.Window_width());
    const int well_h = static_cast<int>(Cover_height * 0.01 * dx.Window_height());
    const int rim = std::max(2, well_h / 30);
    for (int k = 0; k < 6; ++k) {
        const VxPoint place = Cover_place(k);
        const int x = static_cast<int>(place.x * 0.01 * panel.Surface_width());
        const int y = static_cast<int>(place.y * 0.01 * panel.Surface_height());
        Platform::Surface& surface = *panel.Get_surface();
        surface.Fill_rect({x - rim, y - rim, x + well_w + rim, y + well_h + rim}, Platform::Make_pixel(70, 76, 88));
        surface.Fill_rect({x, y, x + well_w, y + well_h}, Platform::Make_pixel(28, 32, 40));
    }

    for (std::size_t i = 0; i < albums.size() && i < 6; ++i) {
        const int album = albums[i];
        if (album < 0 || album >= db.Get_nof_cds()) continue;
        const VxPoint place = Cover_place(static_cast<int>(i));
        cover->Set_size(cover_w, Cover_height);
        if (Load_first(*cover, Panel_cover_candidates(album))) {
            // The place number, dark under light so it reads on any cover.
            cover->Set_font_size(0, number_height);
            const std::string number = std::to_string(i + 1);
            cover->Set_text_colour(RGB(0, 0, 0));
            cover->Set_text_cursor(9, 63);
            cover->Write_text(number, 0, false);
            cover->Set_text_colour(RGB(255, 255, 255));
            cover->Set_text_cursor(7, 61);
            cover->Write_text(number, 0, false);
            cover->Set_position(place.x, place.y);
            cover->Draw_onto(panel);
        }
        panel.Set_text_size(0);
        panel.Set_line_advance(line_height * 1.2);
        panel.Set_text_colour(RGB(10, 20, 40));
        panel.Set_text_cursor(place.x + text_left, place.y + 2);
        Write_lines(panel, db.Get_cd_artist(album), text_px, line_height, 2);
        panel.Set_text_colour(RGB(40, 50, 70));
        Write_lines(panel, db.Get_cd_title(album), text_px, line_height, 3);
        panel.Set_text_colour(RGB(120, 40, 20));
        Write_lines(panel, "(" + double_to_string(db.Get_cd_score(album)) + ")", text_px, line_height, 1);
    }
}

}  // namespace Album_panel
