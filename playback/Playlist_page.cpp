// Filling a playlist page: album headers (cover and names) and song rows with rating marks.
// Before the current item only one header is drawn, so the songs already played stay compact.
#include <cstddef>

#include "display/Rating_images.h"
#include "library/VxDatabase.h"
#include "playback/Playlist_panel.h"
#include "settings/VxRead.h"
#include "trace/VxTrace.h"

namespace {
constexpr double First_row_x = 13, First_row_y = 2;  // per cent of the page
constexpr double Row_gap = 0.3;
constexpr double Row_font = 2.24, Header_font = 2.8;  // per cent of the window height
constexpr double Line_advance = 0.8;                  // a line is this much of its font height
constexpr double Mark_x = 7, Mark_gap = 0.2;
constexpr double Cover_x = 10, Header_text_x = 30;
constexpr const char* Placeholder_file = "IMAGE_no_cover.bmp";

void Use_font(VxBitmap& b, double height) {
    b.Set_font_size(0, height);
    b.Set_line_advance(Line_advance * height);
}

// The library may have been rebuilt since an item was queued; such an item keeps its row.
bool Song_exists(int c, int s) { return VxDatabase::Instance().Has_song(c, s); }
}  // namespace

void VxPlaylist_panel::Clear(Page& page) {
    // Keyed parts of the frame stay see-through instead of keeping what was written before.
    page.bitmap.Get_surface()->Fill(Platform::Colour_key);
    frame_.Draw_onto(page.bitmap);
}

int VxPlaylist_panel::Fill(Page& page, int first) {
    if (!page.bitmap.Get_surface()) return first;  // the blank page could not be loaded
    page.first = first;
    Clear(page);
    page.bitmap.Set_text_cursor(First_row_x, First_row_y);
    const int count = static_cast<int>(items_.size());
    const auto album = [this](int i) { return items_[static_cast<std::size_t>(i)].cd_index; };
    bool header_drawn = false;
    bool full = false;
    int i = first;
    for (; i < count; ++i) {
        bool header = i == current_ || (i > current_ && (i == first || album(i) != album(i - 1)));
        // A page that starts with songs already played gets one header, at the end of its first album.
        if (!header && !header_drawn && (i == count - 1 || album(i + 1) != album(i))) header = true;
        if (header) {
            Draw_header(page, i);
            header_drawn = true;
        }
        Draw_row(page, i);
        if (items_[static_cast<std::size_t>(i)].row_y > Page_full_y) {
            ++i;
            full = true;
            break;
        }
    }
    // Only a full last page fixes where the next one begins; earlier pages keep their extent.
    if (full && first == page_starts_.back() && i > page_starts_.back()) page_starts_.push_back(i);
    return i;
}

void VxPlaylist_panel::Draw_header(Page& page, int i) {
    VxBitmap& b = page.bitmap;
    const double y = b.Get_text_cursor().y;
    const int c = items_[static_cast<std::size_t>(i)].cd_index;
    const bool known = Song_exists(c, items_[static_cast<std::size_t>(i)].song_index);
    VxDatabase& db = VxDatabase::Instance();
    std::string cover = known ? db.Get_cd_cached_cover(c) : "";
    if (cover.empty() || !VxRead::Instance().File_exists(cover)) cover = pics_ + Placeholder_file;
    if (VxRead::Instance().File_exists(cover)) {
        page.cover.Loading_surface(cover, VxPicture::Cover);
        page.cover.Set_position(Cover_x, y + Row_gap);
        page.cover.Draw_onto(b);
    } else if (!placeholder_missing_traced_) {
        placeholder_missing_traced_ = true;  // once, not for every header of every page
        VxTrace::Instance().Write_error("Playlist: no cover placeholder " + cover);
    }
    b.Set_text_cursor(Header_text_x, y + Row_gap);
    Use_font(b, Header_font);
    b.Set_text_colour(RGB(0, 0, 0));
    b.Write_text(known ? db.Get_cd_artist(c) : "", 0, true);
    b.Write_text(known ? db.Get_cd_title(c) : "", 0, true);
}

void VxPlaylist_panel::Draw_row(Page& page, int i) {
    VxBitmap& b = page.bitmap;
    VX_playlist_item& item = items_[static_cast<std::size_t>(i)];
    Use_font(b, Row_font);
    const double row_y = b.Get_text_cursor().y + Row_gap;
    b.Set_text_cursor(First_row_x, row_y);
    const bool known = Song_exists(item.cd_index, item.song_index);
    VxDatabase& db = VxDatabase::Instance();
    const int rating = known ? db.Get_song_rating(item.cd_index, item.song_index) : item.rating;
    if (VxBitmap* mark = Shared_rating_images()[static_cast<std::size_t>(Rating_image_index(rating))].get()) {
        mark->Set_position(Mark_x, row_y + Mark_gap);
        mark->Draw_onto(b);
    }
    b.Set_text_colour(i == current_ ? Current_colour : RGB(0, 0, 0));
    b.Write_text(known ? db.Get_song_name(item.cd_index, item.song_index) : "?", 0, true);
    item.row_y = row_y;
}
