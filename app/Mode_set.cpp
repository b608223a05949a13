// The modes the shell runs and what the playlist does for it. The generic mode and the playlist
// are the real ones; until the other interaction modes exist, the main mode here has the
// playback keys of the main screen (Space, N, P, M, Q) and nothing else.
#include "app/VxApplication.h"
#include "modes/VxModeGeneric.h"
#include "playback/VxAudio.h"
#include "playback/VxPlaylist.h"

namespace {

// An interaction mode as the shell sees it.
class Mode_adapter final : public App_mode {
public:
    explicit Mode_adapter(VxMode& mode) : mode_(mode) {}
    void Handle_message(const Platform::Message& m) override { mode_.Handle_message(m); }
    void Enter() override { mode_.Enter(); }
    void Leave() override { mode_.Leave(); }
    void Draw_back() override { mode_.Draw_back(); }
    void Draw_front() override { mode_.Draw_front(); }
    void Draw_overlay() override { mode_.Draw_overlay(); }
    void Draw_button_bar() override { mode_.Draw_button_bar(); }
    void Draw_mode_sign() override { mode_.Draw_mode_sign(); }

private:
    VxMode& mode_;
};

// The main screen's playback keys. Space acts on key-down, letters on their character, so a
// press (key-down then character) acts once.
class Playback_main_mode final : public VxMode {
public:
    Playback_main_mode() : VxMode(MODE_MAIN, "Main Mode") {}
    void On_key_down(int code) override {
        if (code == Platform::VK_SPACE) VxAudio::Instance().FadeInOut();
    }
    void On_char(int code) override {
        switch (code) {
            case 'N': case 'n': VxPlaylist::Instance().Start_and_update_next_song(); break;
            case 'P': case 'p': VxPlaylist::Instance().start_and_update_previous_song(); break;
            case 'M': case 'm': VxApplication::Instance().Minimise(); break;
            case 'Q': case 'q': VxApplication::Instance().quit(); break;
            default: break;
        }
    }
    void On_timer(int) override {}
};

}  // namespace

void Create_modes(Mode_switcher& modes) {
    static VxModeGeneric generic;
    static Mode_adapter generic_adapter(generic);
    static Playback_main_mode main_mode;
    static Mode_adapter main_adapter(main_mode);
    generic.Set_current_mode_object(&main_mode);
    VxPlaylist::Instance();  // the player's item source from now on
    modes.Set_generic(&generic_adapter);
    modes.Set_mode_object(MODE_MAIN, &main_adapter);
}

void Draw_playlist_panel() {}

void Playlist_follow_up() { VxPlaylist::Instance().Play_current(); }
