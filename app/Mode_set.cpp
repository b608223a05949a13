// The modes the shell runs and what the playlist draws. Until the interaction modes are wired in,
// a plain main mode keeps the jukebox usable: Q quits (key or character), Escape does too.
#include "app/VxApplication.h"

namespace {

class Plain_main_mode final : public App_mode {
public:
    void Handle_message(const Platform::Message& m) override {
        if (m.kind == Platform::WM_KEYDOWN || m.kind == Platform::WM_CHAR || m.kind == Platform::WM_TIMER)
            VxApplication::Instance().Keep_rendering();
        if (m.kind == Platform::WM_CHAR && (m.wparam == 'q' || m.wparam == 'Q')) VxApplication::Instance().quit();
    }
    void Enter() override {}
    void Leave() override {}
};

}  // namespace

void Create_modes(Mode_switcher& modes) {
    static Plain_main_mode main_mode;
    modes.Set_mode_object(MODE_MAIN, &main_mode);
}

void Draw_playlist_panel() {}

void Playlist_follow_up() {}
