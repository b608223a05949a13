// The playlist: the queue of songs the jukebox plays in order. Every start of a song goes
// through window timer 6 (700 ms), so several requests in quick succession play only the last.
#pragma once

#include <functional>
#include <vector>

#include "playback/Playlist_item.h"
#include "playback/VxAudio_source.h"

class VxBitmap;
class VxPlaylist_panel;

class VxPlaylist : public VxAudio_source {
public:
    static constexpr unsigned Timer_play = 6;
    static constexpr unsigned Play_delay_ms = 700;

    // Created on first use; registers itself as the audio player's source. UI thread only.
    static VxPlaylist& Instance();

    void Insert_item(int album, int song);
    int Get_nof_items() override { return static_cast<int>(items_.size()); }
    void Set_current_index(int index);
    int Get_current_index();
    VX_playlist_item Get_item(int index) const { return items_.at(static_cast<std::size_t>(index)); }
    VX_song_reference Get_item_song(int index) override;

    // The three starts do nothing once the player quits.
    void Start_and_update_song();
    void Start_and_update_next_song() override;
    void start_and_update_previous_song();
    // Timer 6 expired (the shell has killed it): plays the current item, if any (none once quitting).
    void Play_current();

    // The panel in the lower left: built once when the display is up (needs an initialised
    // display; traces an error and does nothing otherwise). Before that the queue works alone.
    void Build_panel();
    void Draw_pages();                            // both pages on the back buffer; every frame
    void Refresh_current_page();                  // the visible page restarts its move towards its target
    void Redraw_visible_page();                   // the visible page drawn again in place (ratings changed)
    VxBitmap* Get_frame_image();                  // null before Build_panel
    VxPlaylist_panel* Panel() { return panel_; }  // null before Build_panel

    // Empties the queue and forgets the positions in it, as a new process starts: for tests that run
    // one after another in one process. The panel, if built, keeps its pages until they are redrawn.
    void Clear_for_tests();

    // Called after Play_current so that the current mode redraws its status lines.
    void Set_status_changed_handler(std::function<void()> handler) { status_changed_ = std::move(handler); }

private:
    VxPlaylist();
    static bool Quitting();
    void Append_random_song();

    std::vector<VX_playlist_item> items_;
    int current_index_ = 0;
    int last_inserted_ = 0;
    int last_requested_ = 0;
    std::function<void()> status_changed_;
    // Made by Build_panel and kept until exit: its bitmaps must not outlive the display and the
    // profile registry, which static destruction could otherwise take down first.
    VxPlaylist_panel* panel_ = nullptr;
};
