// The modes the shell runs and what the playlist does for it: every interaction mode built once
// after Init, adapted to the shell's view, with the generic mode drawing the shared images.
#include <array>
#include <initializer_list>
#include <memory>
#include <vector>

#include "app/VxApplication.h"
#include "modes/VxModeBrowse.h"
#include "modes/VxModeGeneric.h"
#include "modes/VxModeMain.h"
#include "modes/VxModeOptions.h"
#include "modes/VxModeRating.h"
#include "modes/VxModeSearch.h"
#include "modes/VxModeSelect.h"
#include "modes/VxModeVolume.h"
#include "playback/VxPlaylist.h"

namespace {

// An interaction mode as the shell sees it.
class Mode_adapter : public App_mode {
public:
    explicit Mode_adapter(VxMode& mode) : mode_(mode) {}
    void Handle_message(const Platform::Message& m) override { mode_.Handle_message(m); }
    void Enter() override { mode_.Enter(); }
    void Leave() override { mode_.Leave(); }
    void Draw_back() override { mode_.Draw_back(); }
    void Draw_front() override { mode_.Draw_front(); }
    void Draw_overlay() override { mode_.Draw_overlay(); }
    void Draw_button_bar() override { mode_.Draw_button_bar(); }
    void Draw_type_box() override { mode_.Draw_type_box(); }
    void Draw_mode_sign() override { mode_.Draw_mode_sign(); }

private:
    VxMode& mode_;
};

// The generic mode also draws the images all modes share, beneath the playlist and the panels.
class Generic_adapter final : public Mode_adapter {
public:
    explicit Generic_adapter(VxModeGeneric& mode) : Mode_adapter(mode), generic_(mode) {}
    void Draw_layer_a() override { generic_.Draw_shared_images(); }
    void Draw_mode_sign() override {}  // its two window buttons are its overlay

private:
    VxModeGeneric& generic_;
};

std::array<VxMode*, Mode_table_size> mode_objects{};

VxMode* Current_mode_object() {
    const int id = VxApplication::Instance().Get_current_mode();
    return id >= 0 && id < Mode_table_size ? mode_objects[id] : nullptr;
}

// Files a mode under its id, for the shell and for the status refreshes.
void Add(Mode_switcher& modes, VxMode& mode) {
    static std::vector<std::unique_ptr<Mode_adapter>> adapters;
    adapters.push_back(std::make_unique<Mode_adapter>(mode));
    mode_objects[mode.Get_mode_id()] = &mode;
    modes.Set_mode_object(mode.Get_mode_id(), adapters.back().get());
}

}  // namespace

// In the start-up order: the generic mode, the browse mode, the five that act on its album panel,
// and the main mode last. Made once and kept to the end of the process, like the shell.
void Create_modes(Mode_switcher& modes) {
    static VxModeGeneric generic;
    static Generic_adapter generic_adapter(generic);
    static VxModeBrowse browse;
    static VxModeSearch search(&browse);
    static VxModeSelect select(&browse);
    static VxModeVolume volume(&browse);
    static VxModeRating rating(&browse);
    static VxModeOptions options(&browse);
    static VxModeMain main_mode;
    for (VxMode* mode :
         std::initializer_list<VxMode*>{&browse, &search, &select, &volume, &rating, &options, &main_mode})
        Add(modes, *mode);
    generic.Set_current_mode_lookup(Current_mode_object);
    modes.Set_generic(&generic_adapter);

    VxPlaylist& playlist = VxPlaylist::Instance();  // the player's item source from now on
    playlist.Set_status_changed_handler([] {
        if (VxMode* mode = Current_mode_object()) {
            mode->Update_status_lines();
            mode->Update_now_playing();
        }
    });
}

void Draw_playlist_panel() { VxPlaylist::Instance().Draw_pages(); }

void Playlist_follow_up() { VxPlaylist::Instance().Play_current(); }
