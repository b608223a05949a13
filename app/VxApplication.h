// The application object: the window, start-up, the message loop with its frame pacing, the timers,
// mode switching, the "Please wait !" progress screens and shutdown. One per process; UI thread only.
#pragma once

#include <array>
#include <memory>
#include <string>

#include "app/App_mode.h"
#include "app/Mode_switcher.h"
#include "display/Frame_pacer.h"
#include "display/VxBitmap.h"
#include "modes/VxShell.h"
#include "net/VxNet_shell.h"

class Script_player;

class VxApplication final : public VxShell, public VxNet_shell {
public:
    static constexpr const char* Window_title = "The Tavrix Jukebox";
    static VxApplication& Instance();

    // Steps 4-16 of start-up; returns the exit code.
    int Run();

    // VxShell
    void Set_mode(int mode_id) override { modes_.Set_mode(mode_id); }
    void quit() override;
    void Keep_rendering() override;
    int Get_current_mode() const override { return modes_.Current(); }
    int Get_previous_mode() const override { return modes_.Previous(); }
    void Get_window_rectangle(int& left, int& top, int& right, int& bottom) const override;
    int Get_select_value() const override { return select_value_; }
    void Set_select_value(int value) override { select_value_ = value; }
    void Rebuild_library() override;
    void Minimise() override;
    void Show_caption(int mode_id) override;
    void Progress_caching_covers() override;
    void Progress_downloading_covers() override;
    void Progress_version_check() override;
    // VxNet_shell
    void Progress_download_file(int kilobytes) override;
    void Quit() override { quit(); }
    // After a codec install: the playlist starts its current song again through timer 6.
    void Restart_current_song() override;

    void Progress_saving_database();
    void Progress_sorting_database(int done, int total);
    void Progress_cd_scores();
    void Progress_loading_folders();
    void Progress_loading_bitmaps();

    void Set_loop_quit(bool on) { loop_quit_ = on; }
    void Set_script(Script_player* script) { script_ = script; }
    void Window_procedure(const Platform::Message& message);
    void Render_frame();
    // Whether any picture or fade is under way at this moment (arrived moves stop as they are read).
    static bool Anything_moving();
    // Whether the loop's present pass spins for a move instead of sleeping until a message comes.
    bool Loop_spinning() const { return spinning_; }
    Mode_switcher& Modes() { return modes_; }
    // Writes the last composed frame (the back buffer) as a BMP.
    bool Save_frame(const std::string& path);

private:
    VxApplication();
    bool Init();
    void Load_furniture();
    void Message_loop();
    void Redraw_only_for_what_is_pending();
    // The steps of a frame pass (Frame.cpp), in the order Render_frame runs them.
    void Start_pacing();
    void Schedule_next_frame(double now);
    void Present_pending_frame();
    void Compose_if_anything_changed();
    void Compose_frame();  // every layer into the back buffer, in the fixed order
    void Draw_background_layers();
    void Draw_mode_layers();
    void Draw_frame_layers();
    void Draw_captions();
    void Begin_progress(bool redraw_background);
    void Progress_line(const std::string& text, int max_length = 0);
    void End_progress();

    int left_ = 0, top_ = 0, right_ = 0, bottom_ = 0;
    int select_value_ = 0;
    bool quitting_ = false;
    bool loop_quit_ = false;
    bool routing_ = false;
    bool was_animating_ = false;
    bool spinning_ = false;
    bool frame_composed_ = false;     // the back buffer holds a composition not yet presented
    bool news_ = true;                // a message other than a redraw came since the last composition
    bool news_beyond_timers_ = true;  // and one of them was no timer
    bool compose_owed_ = false;       // a composition put off until someone reads the frame
    Frame_pacer pacer_;
    bool pacing_started_ = false;
    bool first_frame_composed_ = false;  // the start-up's picture prefetch ends with it
    int caption_index_ = 0;
    Mode_switcher modes_;
    Script_player* script_ = nullptr;

    VxBitmap background_, progress_box_, progress_back_, frame_, playlist_caption_, final_caption_;
    std::array<VxBitmap, 2> caption_slots_;
    std::array<std::unique_ptr<VxBitmap>, Mode_table_size> mode_captions_;
};

// The interaction modes (and what the playlist draws), made once after Init. Mode_set.cpp.
void Create_modes(Mode_switcher& modes);
void Draw_playlist_panel();
void Playlist_follow_up();  // timer 6: the playlist starts its current song
