// The rating mode's keys. The tag file is the master copy of a rating: SetSongRating writes it
// first and then updates the song, the album score, the index and the random list. The letters
// that leave the mode stop timer 5 first; Backspace and Escape leave it running.
#include "modes/VxModeRating.h"

#include "display/VxButton.h"
#include "library/VxDatabase.h"
#include "library/VxRating.h"
#include "modes/Mode_ids.h"
#include "modes/Mode_support.h"
#include "modes/VxModeBrowse.h"
#include "platform/dialogs.h"
#include "playback/VxPlaylist.h"
#include "trace/VxTrace.h"

VxModeRating::VxModeRating(VxModeBrowse* browse) : VxMode(MODE_RATING, "Rating Mode"), browse_(browse) {
    if (!Mode_support::Images()) return;
    button_bar_ = VxButton::Instance().Make_button_set(VxButton_mode::Rating);
    if (browse_) browse_->Add_cover_places(*button_bar_);  // a click on a cover opens that album
}

void VxModeRating::Rate_current_song(int digit) {
    VxTrace::Instance().Write("SetRatingLevel - Key 1-9,0");
    const int level = digit == 0 ? 10 : digit;
    VxPlaylist& playlist = VxPlaylist::Instance();
    const int index = playlist.Get_current_index();
    if (index < 0 || index >= playlist.Get_nof_items()) return;  // nothing queued: nothing to rate
    const VX_playlist_item item = playlist.Get_item(index);
    // A queued reference that no longer names a song (the library was rebuilt) is not rated.
    if (!VxDatabase::Instance().Has_song(item.cd_index, item.song_index)) {
        VxTrace::Instance().Write_error("SetRatingLevel : the playlist's current song is not in the library");
        return;
    }
    if (!VxRating::Instance().SetSongRating(item.cd_index, item.song_index, level * 10))
        Platform::Message_box(
            "VxRating", "The rating could not be stored in " + VxRating::Instance().Tag_file(item.cd_index) +
                            "\nThe song keeps its old rating.\nThe tag file " + VxRating::Instance().Refusal() + ".");
    Update_now_playing();
    playlist.Redraw_visible_page();  // the song's row shows its new mark
    if (browse_) browse_->Refresh();
    Mode_support::Start_timer(TIMER_MODE_TIMEOUT, Close_after_rating_ms);
}

void VxModeRating::On_char(int code) {
    if (code >= '0' && code <= '9') {
        Rate_current_song(code - '0');
        return;
    }
    if (Mode_support::Is_cover_code(code)) {
        Mode_support::Open_cover(browse_, code);
        return;
    }
    if (auto mode = Mode_for_letter(code, {MODE_BROWSE, MODE_SEARCH, MODE_VOLUME})) {
        Mode_support::Stop_timer(TIMER_MODE_TIMEOUT);  // before the next mode starts its own
        Set_mode(*mode);
        return;
    }
    switch (code) {
        case 8:
        case 27:
            Set_mode(MODE_BROWSE);
            break;
        case ' ':
            Handle_playback_char(code);
            break;
        case 'N':
        case 'n':
        case 'P':
        case 'p':
        case 'M':
        case 'm':
            Mode_support::Stop_timer(TIMER_MODE_TIMEOUT);
            Handle_playback_char(code);
            break;
        default:
            break;
    }
}
