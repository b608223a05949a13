// The search mode's typing, jump and exits. Space, N, P and M are search text here, so the
// playback keys are not handled. Every mode-leaving key stops both of the mode's timers, so
// neither fires in the mode the user went to.
#include "modes/VxModeSearch.h"

#include <cstring>

#include "display/VxButton.h"
#include "modes/Mode_ids.h"
#include "modes/Mode_images.h"
#include "modes/Mode_support.h"
#include "modes/VxModeBrowse.h"
#include "modes/VxShell.h"
#include "trace/VxTrace.h"

namespace {
std::string g_search;  // the one search string of the process; each entry clears it
constexpr const char* Type_box_file = "IMAGE_buttons.jpg";
constexpr COLORREF Search_field = RGB(24, 36, 52);
// The playlist's paper at the size and place of a playlist page (per cent of the window), so it looks
// like an empty page; the keys come from the right, so the page does too, from outside the clip.
constexpr const char* Keyboard_page_file = "IMAGE_playlist_3.jpg";
constexpr double Page_left = 1, Page_top = 48, Page_right = 27, Page_bottom = 100, Page_height = 200;
}  // namespace

VxModeSearch::VxModeSearch(VxModeBrowse* browse) : VxMode(MODE_SEARCH, "Search Mode"), browse_(browse) {
    if (!Mode_support::Images()) return;
    button_bar_ = VxButton::Instance().Make_button_set(VxButton_mode::Search);
    if (browse_) browse_->Add_cover_places(*button_bar_);  // a click on a cover opens that album
    keyboard_page_ = std::make_unique<VxBitmap>();
    keyboard_page_->Set_name("search keyboard page");
    keyboard_page_->Set_size(Page_right - Page_left, Page_height);
    keyboard_page_->Loading_surface(Mode_support::Images()->Pics() + Keyboard_page_file);
    keyboard_page_->Set_colour_key(true);
    keyboard_page_->Set_clip(Page_left, Page_top, Page_right, Page_bottom);
    keyboard_page_->Set_shown_position(Page_left, Page_top);
    keyboard_page_->Set_hidden_position(Page_right + 1, Page_top);
    keyboard_page_->Set_position(Page_right + 1, Page_top);
    keyboard_page_->Set_ramp_preset(1);  // as the keys
}

bool VxModeSearch::Is_search_character(int code) {
    if (code < 32 || code > 125) return false;
    return std::strchr("\"'/:;?\\`|", code) == nullptr;
}

void VxModeSearch::Enter() {
    if (VxShell* shell = VxShell::Current()) shell->Show_caption(MODE_SEARCH);
    Mode_support::Start_timer(TIMER_MODE_TIMEOUT, Timeout_ms);
    g_search.clear();
    copy_.clear();
    if (keyboard_page_) keyboard_page_->Move_to_shown();
    VxMode::Enter();
}

void VxModeSearch::Leave() {
    Mode_support::Stop_timer(TIMER_SEARCH_JUMP);
    if (VxMode_images* images = Mode_support::Images()) {
        images->Reload(images->type_box, Type_box_file);  // the search line goes with the mode
        images->type_box.Move_to_hidden();                // the next mode's Enter brings it back
    }
    if (keyboard_page_) keyboard_page_->Move_to_hidden();
    VxMode::Leave();
}

void VxModeSearch::Draw_back() {
    if (keyboard_page_) keyboard_page_->Draw();
}

std::string VxModeSearch::Get_current_search_string() {
    VxTrace::Instance().Write("Get_current_search_string = " + copy_);
    return copy_;
}

// "Search: 'text' <ENTER>" on one line of the type box.
void VxModeSearch::Show_search_line() {
    VxMode_images* images = Mode_support::Images();
    if (!images) return;
    VxBitmap& box = images->type_box;
    images->Reload(box, Type_box_file);
    box.Set_text_cursor(5, 40);
    box.Set_text_colour(RGB(0, 0, 0));
    box.Write_text("Search: ", 0, false);
    // The search text is near white; the type box is a light picture, so the text gets its own
    // dark field to be read on.
    box.Set_text_colour(RGB(255, 250, 240));
    box.Write_text_on_field("'" + g_search + "'", Search_field);
    box.Set_text_colour(RGB(139, 26, 26));
    box.Write_text(" <ENTER>", 0, false);
}

void VxModeSearch::Leave_to_browse() {
    Mode_support::Stop_timer(TIMER_MODE_TIMEOUT);
    Mode_support::Stop_timer(TIMER_SEARCH_JUMP);
    Set_mode(MODE_BROWSE);
}

void VxModeSearch::On_key_down(int code) {
    if (code < 37 || code > 40) return;
    Leave_to_browse();
    if (!browse_) return;
    switch (code) {
        case 37:
            browse_->show_6cdpanel_left();
            break;
        case 38:
            browse_->show_6cdpanel_up();
            break;
        case 39:
            browse_->show_6cdpanel_right();
            break;
        case 40:
            browse_->show_6cdpanel_down();
            break;
    }
}

void VxModeSearch::On_char(int code) {
    if (code == 13) {
        Set_mode(MODE_BROWSE);
        Mode_support::Stop_timer(TIMER_SEARCH_JUMP);
        if (browse_) browse_->show_6cdpanel_char(g_search);
        Mode_support::Stop_timer(TIMER_MODE_TIMEOUT);
        return;
    }
    if (code == 27) {
        Leave_to_browse();
        if (browse_) browse_->show_6cdpanel_right();
        return;
    }
    if (Mode_support::Is_cover_code(code)) {
        if (browse_ && browse_->Get_panel_album(code - Code_cover_first)) {
            // The song sheet is no timed mode: nothing of the search may fire there.
            Mode_support::Stop_timer(TIMER_SEARCH_JUMP);
            Mode_support::Stop_timer(TIMER_MODE_TIMEOUT);
            Mode_support::Open_cover(browse_, code);
            return;
        }
    } else {
        bool changed = false;
        if (code == 8) {
            changed = !g_search.empty();
            if (changed) g_search.pop_back();
        } else if (Is_search_character(code)) {
            g_search += static_cast<char>(code);
            changed = true;
        }
        if (changed) {
            Mode_support::Start_timer(TIMER_SEARCH_JUMP, Jump_delay_ms);
            Show_search_line();
            copy_ = g_search;
        }
    }
    Mode_support::Start_timer(TIMER_MODE_TIMEOUT, Timeout_ms);
}

void VxModeSearch::On_timer(int timer_id) {
    if (timer_id != static_cast<int>(TIMER_SEARCH_JUMP)) return;
    Mode_support::Stop_timer(TIMER_SEARCH_JUMP);
    if (browse_) browse_->show_6cdpanel_char(g_search);
}
