// The song select mode: the song sheet of the album opened in the album panel, ten numbered songs
// a page, beside the album's cover on the content panel. A digit queues that song, 'A' the whole
// album. UI thread only.
#pragma once

#include <memory>

#include "modes/VxMode.h"

class VxModeBrowse;

class VxModeSelect : public VxMode {
public:
    static constexpr int Page_size = 10;

    explicit VxModeSelect(VxModeBrowse* browse);  // browse must outlive the mode
    ~VxModeSelect() override;

    // Page the sheet by ten songs; nothing moves at either end (each traced with its name).
    void show_songpaper_up();
    void show_songpaper_down();

    // Queues the song on line 1..10 of the page (10 is the key '0'); false beyond the album's
    // songs. Starts the playlist when the player is stopped.
    bool Choose_song(int line);
    // Queues every song of the album; starts the first of them, or the next song when the
    // playlist already held some, when the player is stopped.
    void Choose_album();

    int Get_album() const;       // the album on the sheet; -1 when none is open
    int Get_first_song() const;  // first song of the page, kept by the shell

    void Refresh() override;  // the album's cover and names on the content panel, the page on the sheet
    void Enter() override;    // the content panel and the sheet slide in from the right
    void Leave() override;    // and slide out again, so the next mode's screen is clean
    void Draw_front() override;
    void On_key_down(int code) override;
    void On_char(int code) override;
    void On_timer(int) override {}

private:
    void Set_first_song(int first);
    int Nof_songs() const;

    struct Impl;
    std::unique_ptr<Impl> impl_;
    VxModeBrowse* browse_;
};
