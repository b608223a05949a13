// The playlist's queue logic: items, the current index, random fill and the play timer.
// Random play asks the settings at every step, so a change in the options mode takes effect at once.
#include "playback/VxPlaylist.h"

#include "display/VxDirectX.h"
#include "platform/window.h"
#include "playback/Playlist_panel.h"
#include "playback/VxAudio.h"
#include "settings/VxRead.h"
#include "trace/VxTrace.h"

void VxPlaylist::Clear_for_tests() {
    items_.clear();
    current_index_ = last_inserted_ = last_requested_ = 0;
}

VxPlaylist& VxPlaylist::Instance() {
    static VxPlaylist playlist;
    return playlist;
}

VxPlaylist::VxPlaylist() { VxAudio::Instance().Set_source(this); }

// Once the player quits, no song may start: a start would undo the quit fade.
bool VxPlaylist::Quitting() { return VxAudio::Instance().Is_quitting(); }

VX_song_reference VxPlaylist::Get_item_song(int index) {
    const VX_playlist_item& item = items_.at(static_cast<std::size_t>(index));
    return VX_song_reference{item.cd_index, item.song_index};
}

void VxPlaylist::Insert_item(int album, int song) {
    VxTraceScope scope("Insert_item");
    items_.push_back(VX_playlist_item{album, song, 0.0, VxDatabase::Instance().Get_song_rating(album, song)});
    const int added = Get_nof_items() - 1;
    if (panel_) panel_->Item_inserted(added, last_inserted_);
    last_inserted_ = added;
}

void VxPlaylist::Set_current_index(int index) {
    VxTrace::Instance().Write_value("Set_current_index", index);
    current_index_ = index;
    if (panel_) panel_->Current_changed(index, last_requested_);
    last_requested_ = index;
}

void VxPlaylist::Build_panel() {
    if (panel_) return;  // built once
    if (!VxDirectX::Instance().Is_initialised()) {
        VxTrace::Instance().Write_error("Playlist: Build_panel needs the display");
        return;
    }
    panel_ = new VxPlaylist_panel(items_, current_index_);
    panel_->Build();
}

void VxPlaylist::Draw_pages() {
    if (panel_) panel_->Draw_pages();
}

void VxPlaylist::Redraw_visible_page() {
    if (panel_) panel_->Redraw_visible_page();
}

void VxPlaylist::Refresh_current_page() {
    if (panel_) panel_->Refresh_current_page();
}

VxBitmap* VxPlaylist::Get_frame_image() { return panel_ ? &panel_->Get_frame_image() : nullptr; }

int VxPlaylist::Get_current_index() {
    VxTrace::Instance().Write_value("Get_current_index", current_index_);
    return current_index_;
}

void VxPlaylist::Start_and_update_song() {
    VxTraceScope scope("Start_and_update_song");
    if (Quitting()) return;
    if (!items_.empty() && current_index_ < Get_nof_items())
        Platform::Message_queue::Instance().Set_timer(Timer_play, Play_delay_ms);
}

void VxPlaylist::Append_random_song() {
    const auto song = VxDatabase::Instance().Get_random_song();
    if (!song) {
        // An empty random list ("no song"): nothing can be appended.
        VxTrace::Instance().Write("random: no song");
        return;
    }
    Insert_item(song->cd_index, song->song_index);
    VxTrace::Instance().Write_value("random_cd", song->cd_index);
    VxTrace::Instance().Write_value("random_song", song->song_index);
}

void VxPlaylist::Start_and_update_next_song() {
    VxTraceScope scope("Start_and_update_next_song");
    if (Quitting()) return;
    const bool random = VxRead::Instance().Get_use_random(true);
    if (!items_.empty()) {
        const int next = current_index_ + 1;
        if (next < Get_nof_items()) {
            Set_current_index(next);
        } else if (random) {
            Append_random_song();
            Set_current_index(Get_nof_items() - 1);
        } else {
            Set_current_index(0);
        }
    } else if (random) {
        Append_random_song();
        Set_current_index(0);
    }
    Platform::Message_queue::Instance().Set_timer(Timer_play, Play_delay_ms);
}

void VxPlaylist::start_and_update_previous_song() {
    VxTraceScope scope("start_and_update_previous_song");
    if (items_.empty() || Quitting()) return;
    Set_current_index(current_index_ < 1 ? Get_nof_items() - 1 : current_index_ - 1);
    Platform::Message_queue::Instance().Set_timer(Timer_play, Play_delay_ms);
}

void VxPlaylist::Play_current() {
    if (Quitting()) return;
    if (items_.empty() || current_index_ >= Get_nof_items()) return;
    VxAudio::Instance().Play_audio(current_index_);
    if (status_changed_) status_changed_();
    Refresh_current_page();
}
