// The application object's start-up, window procedure, timers, captions and shutdown. The message
// loop and the frame are in Frame.cpp, the progress screens in Progress_screens.cpp.
#include "app/VxApplication.h"

#include <cstdlib>
#include <string>
#include <vector>

#include "app/Memory_upkeep.h"
#include "app/Screensaver_follow.h"
#include "app/Script_player.h"
#include "display/Rating_images.h"
#include "display/VxDirectX.h"
#include "library/Library_startup.h"
#include "library/VxDatabase.h"
#include "library/VxRating.h"
#include "net/VxCodecs.h"
#include "net/VxCover_lookup.h"
#include "net/VxDatabase_albums.h"
#include "net/VxVersion_check.h"
#include "platform/codec_installer.h"
#include "platform/dialogs.h"
#include "platform/process.h"
#include "platform/screen.h"
#include "platform/surface.h"
#include "playback/VxAudio.h"
#include "playback/VxPlaylist.h"
#include "settings/VxRead.h"
#include "trace/Profile_registry.h"
#include "trace/VxTrace.h"

using namespace Platform;

namespace {
// The cover-cache steps of every rebuild: downloads when they are on, then the cache itself.
void Cache_covers() { VxDatabase::Instance().Create_and_remove_cached_covers(); }

// The theme's JPEG pictures that start-up decodes, in the order it first decodes them: the playlist
// panel, the rating stars, the furniture, the captions and buttons, the panels the modes draw on,
// then those the first frame shows. A large picture is decoded when first drawn (VxBitmap),
// so one that nothing draws before the first frame is not listed (a picture decoded at two sizes
// would be listed twice). A picture missing here is only decoded in place; one listed but not
// decoded costs a worker's time, never a difference on screen.
const char* const Start_up_pictures[] = {"IMAGE_playlist_3.jpg",
                                         "IMAGE_gold.jpg",
                                         "IMAGE_green.jpg",
                                         "IMAGE_orange.jpg",
                                         "IMAGE_red.jpg",
                                         "IMAGE_black.jpg",
                                         "IMAGE_background.jpg",
                                         "IMAGE_typebox.jpg",
                                         "IMAGE_playlist_cap.jpg",
                                         "IMAGE_cap_playing3.jpg",
                                         "IMAGE_cap_browse3.jpg",
                                         "IMAGE_cap_volume3.jpg",
                                         "IMAGE_cap_rating3.jpg",
                                         "IMAGE_cap_search3.jpg",
                                         "IMAGE_cap_options.jpg",
                                         "IMAGE_button_1.jpg",
                                         "IMAGE_button_3b.jpg",
                                         "IMAGE_button_2b.jpg",
                                         "IMAGE_button_frame.jpg",
                                         "IMAGE_button_quit.jpg",
                                         "IMAGE_button_uparrow.jpg",
                                         "IMAGE_button_downarrow.jpg",
                                         "IMAGE_button_leftarrow.jpg",
                                         "IMAGE_button_rightarrow.jpg",
                                         "IMAGE_Q4A_action.jpg",
                                         "IMAGE_Q2B_mode.jpg",
                                         "IMAGE_front3.jpg",
                                         "IMAGE_no_cd.jpg",
                                         "IMAGE_Q2A_mode.jpg",
                                         "IMAGE_buttons.jpg",
                                         "IMAGE_frame.jpg"};

// Ends the prefetch on every way out of start-up that does not reach the first frame (which ends it
// when composed): what no one took by then is dropped.
struct Prefetch_scope {
    Prefetch_scope() {
        const std::string pics = VxRead::Instance().Pics_folder();
        std::vector<std::string> paths;
        for (const char* file : Start_up_pictures) paths.push_back(pics + file);
        VxDirectX::Instance().Prefetch_pictures(std::move(paths));
    }
    ~Prefetch_scope() { VxDirectX::Instance().End_prefetch(); }
    Prefetch_scope(const Prefetch_scope&) = delete;
    Prefetch_scope& operator=(const Prefetch_scope&) = delete;
};
}  // namespace

VxApplication& VxApplication::Instance() {
    static VxApplication* app = new VxApplication;  // lives until the process ends
    return *app;
}

VxApplication::VxApplication() {
    VxDirectX::Instance();
    Profile_registry::Instance();
    VxRating::Instance();
    VxRead& settings = VxRead::Instance();
    VxTrace::Instance();
    // The window rectangle: the offset is compared with the window size, the size cut to the screen.
    int w = 0, h = 0, x = 0, y = 0;
    settings.Get_window_geometry(w, h, x, y);
    const Screen_info screen = Screen();
    if (x > w) x = 0;
    if (y > h) y = 0;
    if (w + x > screen.width) w = screen.width - x;
    if (h + y > screen.height) h = screen.height - y;
    // A window that cannot hold a picture still starts, at the smallest useful size.
    if (w < 64) w = 64;
    if (h < 48) h = 48;
    left_ = x;
    top_ = y;
    right_ = x + w;
    bottom_ = y + h;
    Mode_switcher::Hooks hooks;
    hooks.show_caption = [this](int id) { Show_caption(id); };
    hooks.trace = [](const char* text) { VxTrace::Instance().Write(text); };
    hooks.message_box = [](const char* text) { Message_box(Window_title, text); };
    modes_.Set_hooks(std::move(hooks));
}

void VxApplication::Get_window_rectangle(int& left, int& top, int& right, int& bottom) const {
    left = left_;
    top = top_;
    right = right_;
    bottom = bottom_;
}

int VxApplication::Run() {
    // The library file is being read on a thread of its own already (Jukebox::Run); start-up's Load
    // takes it, and a start that begins here reads it now.
    VxDatabase::Instance().Preload();
    // The pictures decode on the other cores while the window opens and the library loads, until the
    // first frame is composed.
    const Prefetch_scope prefetch;
    // The font is looked up meanwhile too, which the first caption needs.
    Prefetch_font();
    // The changed-folder check's look at the disk too.
    Library_startup::Start_folder_survey();
    VxShell::Install(this);
    VxNet_shell::Install(this);
    Message_queue& queue = Message_queue::Instance();
    queue.Set_window_procedure([this](const Message& m) { Window_procedure(m); });
    std::string error;
    Window& window = Window::Instance();
    if (!window.Open(Window_title, left_, top_, right_ - left_, bottom_ - top_, error)) {
        Message_box(Window_title, "Error Creating Window");
        VxTrace::Instance().Write_error("Error : " + error);
        return 1;  // there is nothing to draw on without a window
    }
    Attach_window_events();
    VxDirectX::Instance().Init(&window, left_, top_, right_, bottom_);
    VxPlaylist::Instance().Build_panel();
    VxAudio::Instance().Set_quit_faded_handler([this] {
        loop_quit_ = true;
        Message_queue::Instance().Post_quit(0);
    });
    if (!Init()) return 0;
    queue.Set_timer(TIMER_TICK, 500);
    Create_modes(modes_);
    Set_mode(modes_.Current());
    window.Show();
    // Showing a window paints it at once; without this message the loop would sleep until the
    // first timer before it drew the first frame.
    queue.Post(Message{WM_PAINT, 0, 0});
    routing_ = true;
    // A script acts as a person at the shown window would: its time starts now.
    if (script_) script_->Start();
    Message_loop();
    return queue.Quit_code();
}

bool VxApplication::Init() {
    VxTraceScope scope("Init");
    const int depth = Screen().bits_per_pixel;
    if (depth < 32) {
        Message_box(Window_title, "Screen mode is set to " + std::to_string(depth) +
                                      "bpp\nNext time make sure your display is set to 32 bits !\n"
                                      "(start > settings > configuration > display >..)");
        Platform::Exit_process(1);
    }
    VxRating::Instance().Set_image_loader(Load_shared_rating_images);
    // A song of a media type the machine cannot play leads to its codec installer.
    VxAudio::Instance().Set_codec_check([](const std::string& extension) { return Check_codec(extension); });
    VxRating::Instance().Init();
    Load_furniture();
    VX_progress_hooks hooks;
    hooks.tick = [](unsigned id) { Message_queue::Instance().Send(Message{WM_TIMER, id, 0}); };
    hooks.sorting = [this](int done, int total) { Progress_sorting_database(done, total); };
    VxDatabase::Instance().Set_progress_hooks(std::move(hooks));
    // Covers: the library caches them; the internet services fetch missing ones and cache each new one.
    VxDatabase::Instance().Set_cover_downloader(
        [](double budget_s) { Download_missing_covers(VxDatabase_albums::Instance(), budget_s); });
    Set_cover_cacher([](const std::string& source, const std::string& target) {
        VxDatabase::Instance().Cache_cover(source, target);
    });
    Library_startup::Library_at_startup(Cache_covers);
    if (VxRead::Instance().Get_check_new_version()) {
        Progress_version_check();
        Offer_new_version();
    }
    Send_start_notification();
    return true;
}

void VxApplication::Load_furniture() {
    const std::string pics = VxRead::Instance().Pics_folder();
    auto load = [&](VxBitmap& b, const char* file, double x, double y, double w, double h, bool key) {
        b.Set_size(w, h);
        b.Set_position(x, y);
        b.Set_colour_key(key);
        b.Set_clip(0, 0, 100, 100);
        b.Loading_surface(pics + file);
    };
    load(background_, "IMAGE_background.jpg", 0, 0, 100, 100, false);
    load(progress_box_, "IMAGE_24bit.bmp", 30, 40, 40, 20, false);
    progress_box_.Set_text_size(1);
    load(progress_back_, "IMAGE_typebox.jpg", 0, 0, 40, 20, false);
    Progress_loading_bitmaps();
    load(frame_, "IMAGE_frame.jpg", 0, 0, 100, 100, true);
    load(playlist_caption_, "IMAGE_24bit.bmp", 1.5, 44, 25, 6.5, true);
    VxBitmap playlist_cap;
    load(playlist_cap, "IMAGE_playlist_cap.jpg", 0, 0, 25, 6.5, false);
    playlist_cap.Draw_onto(playlist_caption_);
    for (VxBitmap& slot : caption_slots_) {
        load(slot, "IMAGE_24bit.bmp", 73, -5, 25, 7, true);
        slot.Set_ramp_preset(0);
    }
    const std::pair<int, const char*> captions[] = {
        {MODE_MAIN, "IMAGE_cap_playing3.jpg"},  {MODE_BROWSE, "IMAGE_cap_browse3.jpg"},
        {MODE_VOLUME, "IMAGE_cap_volume3.jpg"}, {MODE_RATING, "IMAGE_cap_rating3.jpg"},
        {MODE_SEARCH, "IMAGE_cap_search3.jpg"}, {MODE_OPTIONS, "IMAGE_cap_options.jpg"}};
    for (const auto& [id, file] : captions) {
        mode_captions_[id] = std::make_unique<VxBitmap>();
        load(*mode_captions_[id], file, 0, 0, 25, 7, false);
    }
    load(final_caption_, "IMAGE_final_cap.bmp", 0, 0, 100, 5, true);
}

void VxApplication::Show_caption(int mode_id) {
    if (mode_id < 0 || mode_id >= Mode_table_size || !mode_captions_[mode_id]) return;
    caption_index_ ^= 1;
    mode_captions_[mode_id]->Draw_onto(caption_slots_[caption_index_]);
    caption_index_ ^= 1;
    caption_slots_[caption_index_].Set_target(73, -14.5);
    caption_index_ ^= 1;
    caption_slots_[caption_index_].Set_target(73, 3.8);
    caption_slots_[0].Start_move();
    caption_slots_[1].Start_move();
}

void VxApplication::Keep_rendering() { Message_queue::Instance().Set_timer(TIMER_REDRAW, 50); }

void VxApplication::Window_procedure(const Message& message) {
    // The script's own commands are no window input and change nothing on the screen.
    if (message.kind == Script_message) {
        if (script_) script_->Carry_out(message);
        return;
    }
    if (message.kind != WM_TIMER || message.wparam != TIMER_REDRAW) news_ = true;
    if (message.kind != WM_TIMER) news_beyond_timers_ = true;
    if (routing_) {
        if (App_mode* current = modes_.Current_object()) current->Handle_message(message);
        if (App_mode* generic = modes_.Generic()) generic->Handle_message(message);
    }
    Message_queue& queue = Message_queue::Instance();
    switch (message.kind) {
        case WM_CODEC_INSTALL_DONE:
            Codec_install_finished(static_cast<unsigned>(message.wparam));
            break;
        case WM_DESTROY:
            VxTrace::Instance().Write("WM_DESTROY");
            // Closing the window keeps what the user changed: the library is saved as quit would.
            VxDatabase::Instance().Save_if_changed();
            loop_quit_ = true;
            queue.Post_quit(0);
            break;
        case WM_TIMER:
            switch (message.wparam) {
                case TIMER_TICK:
                    Give_back_memory_when_due(VxTrace::Time_ms(), spinning_);
                    break;
                case TIMER_REDRAW:
                    queue.Kill_timer(TIMER_REDRAW);
                    break;
                case TIMER_MODE_TIMEOUT:
                    modes_.On_mode_timeout();
                    break;
                case TIMER_PLAYLIST:
                    queue.Kill_timer(TIMER_PLAYLIST);
                    Playlist_follow_up();
                    break;
                case TIMER_AUDIO:
                    queue.Kill_timer(TIMER_AUDIO);
                    VxAudio::Instance().Start_ramps();
                    break;
                case TIMER_PROGRESS_CACHE_COVERS:
                    Progress_caching_covers();
                    break;
                case TIMER_PROGRESS_DOWNLOAD_COVERS:
                    Progress_downloading_covers();
                    break;
                case TIMER_PROGRESS_FOLDERS:
                    Progress_loading_folders();
                    break;
                case TIMER_PROGRESS_SCORES:
                    Progress_cd_scores();
                    break;
                default:
                    break;
            }
            break;
        default:
            break;
    }
    Screensaver_follows_play_state();
}

void VxApplication::Rebuild_library() { Library_startup::Rebuild_library(Cache_covers); }

void VxApplication::Restart_current_song() { VxPlaylist::Instance().Start_and_update_song(); }

void VxApplication::Minimise() { Window::Instance().Minimise(); }

void VxApplication::quit() {
    if (quitting_) return;  // the first quit's fade ends the program; the library is saved once
    VxTrace::Instance().Write("quit");
    quitting_ = true;
    // A song start still pending would restart a channel in the middle of the quit fade.
    Message_queue::Instance().Kill_timer(TIMER_PLAYLIST);
    VxDatabase::Instance().Save_if_changed();
    bool all_stopped = false;
    VxAudio::Instance().Quit(all_stopped);
    if (all_stopped) {
        loop_quit_ = true;
        Message_queue::Instance().Post_quit(0);
    }
}

bool VxApplication::Save_frame(const std::string& path) {
    // What was handled since the last composition comes first: a key the script pressed just before
    // (no frame may have been due since), or what timers changed on a window that shows nothing.
    if (news_ || compose_owed_) {
        news_ = false;
        news_beyond_timers_ = false;
        Compose_frame();
    }
    VxBitmap shot;
    shot.Set_size(100, 100);
    shot.Make_surface();
    if (!shot.Get_surface()) return false;
    Surface& back = VxDirectX::Instance().Back_buffer();
    Surface& target = *shot.Get_surface();
    const Rect all{0, 0, back.Width(), back.Height()};
    target.Blit(back, all, Rect{0, 0, target.Width(), target.Height()}, Rect{0, 0, target.Width(), target.Height()},
                false);
    return shot.Save_surface(path);
}
