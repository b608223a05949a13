// Frames per second while the browse mode's two 73x49 album panels slide, as a ratio against the display's
// refresh rate measured in the same run (1.00: a new frame at every blank).
// Usage: slide_bench [SECONDS per loop, default 5] [PICS_FOLDER, default the theme the build painted]
//
// Nothing outside the program counts presented frames (log.txt notes only the refresh rate), so the frame is
// rebuilt here from the display's own parts, on a window of the screen's size: background, front panel, mode
// panel, button strip, the two album panels clipped to the album area, frame and captions. One panel
// slides out and the next page in, down and up in turn as the Down and Up keys do, a new slide as soon as
// one ends. Two loops: paced as the jukebox's frame code paces (present the frame composed before, then
// compose, when the next-frame time computed from the scan line has come), and unpaced (the headroom).
#include <sched.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "display/Frame_pacer.h"
#include "display/Frame_wait.h"
#include "display/VxBitmap.h"
#include "display/VxDirectX.h"
#include "platform/dialogs.h"
#include "platform/screen.h"
#include "platform/window.h"
#include "trace/VxTrace.h"

namespace {

double Thread_cpu_ms() {
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return t.tv_sec * 1e3 + t.tv_nsec * 1e-6;
}

std::string Default_pics() {
    char exe[4096] = {};
    const ssize_t n = readlink("/proc/self/exe", exe, sizeof exe - 1);
    std::string dir = n > 0 ? std::string(exe, static_cast<size_t>(n)) : std::string(getcwd(exe, sizeof exe)) + "/x";
    dir = dir.substr(0, dir.find_last_of('/'));
    return dir + "/../pics/";
}

// The album area and the panels' place, as the mode images set them.
constexpr double Panel_x = 26, Panel_y = 47, Panel_w = 73, Panel_h = 49;

class Browse_scene {
public:
    explicit Browse_scene(const std::string& pics) : pics_(pics) {
        background_ = Image("IMAGE_background.jpg", 0, 0, 100, 100, false);
        front_ = Image("IMAGE_front3.jpg", 0, 0, 72, 40, true);
        mode_panel_ = Image("IMAGE_Q2A_mode.jpg", 72.5, 4, 25, 44, false);
        type_box_ = Image("IMAGE_buttons.jpg", 2, 36.5, 69.5, 9, true);
        const char* files[2] = {"IMAGE_Q4A_action.jpg", "IMAGE_Q4B_action.jpg"};
        for (int i = 0; i < 2; ++i) {
            panel_[i] = Image(files[i], i == 0 ? Panel_x : 100, Panel_y, Panel_w, Panel_h, false);
            panel_[i]->Set_clip(Panel_x, Panel_y, Panel_x + Panel_w, Panel_y + Panel_h);
            panel_[i]->Set_text_size(1);
            for (int k = 0; k < 6; ++k) {  // the names beside the six covers of a page
                panel_[i]->Set_text_cursor(24 + (k % 3) * 29, 17 + (k / 3) * 48);
                panel_[i]->Write_text("Artist " + std::to_string(k + 6 * i), 0, true);
                panel_[i]->Write_text("Album title " + std::to_string(k), 0, true);
            }
        }
        frame_ = Image("IMAGE_frame.jpg", 0, 0, 100, 100, true);
        playlist_caption_ = Image("IMAGE_playlist_cap.jpg", 1.5, 44, 25, 6.5, true);
        caption_ = Image("IMAGE_cap_browse3.jpg", 73, 3.8, 25, 7, true);
        final_caption_ = Image("IMAGE_final_cap.bmp", 0, 0, 100, 5, true);
    }

    // The next page comes in from below (Down) or above (Up) while the visible one leaves the other way.
    void Slide(bool down) {
        VxBitmap& old_panel = *panel_[in_use_];
        VxBitmap& new_panel = *panel_[1 - in_use_];
        old_panel.Freeze();
        old_panel.Set_target(Panel_x, down ? Panel_y - Panel_h : Panel_y + Panel_h);
        old_panel.Start_move();
        new_panel.Set_position(Panel_x, down ? Panel_y + Panel_h + 10 : Panel_y - Panel_h - 10);
        new_panel.Set_target(Panel_x, Panel_y);
        new_panel.Start_move();
        in_use_ = 1 - in_use_;
    }
    bool Moving() { return panel_[0]->Is_moving() || panel_[1]->Is_moving(); }

    void Compose() {
        background_->Draw();
        front_->Draw();
        mode_panel_->Draw();
        type_box_->Draw();
        panel_[0]->Draw();
        panel_[1]->Draw();
        frame_->Draw();
        playlist_caption_->Draw();
        caption_->Draw();
        final_caption_->Draw();
    }

private:
    std::unique_ptr<VxBitmap> Image(const char* file, double x, double y, double w, double h, bool key) {
        auto b = std::make_unique<VxBitmap>();
        b->Set_name(file);
        b->Set_size(w, h);
        b->Loading_surface(pics_ + file);
        b->Set_position(x, y);
        b->Set_colour_key(key);
        return b;
    }

    std::string pics_;
    std::unique_ptr<VxBitmap> background_, front_, mode_panel_, type_box_, panel_[2], frame_, playlist_caption_,
        caption_, final_caption_;
    int in_use_ = 0;
};

struct Result {
    double seconds = 0, frames = 0, slides = 0, missed_blanks = 0, cpu_ms = 0;
};

// Slides without pause for the time given; counts presented frames and the blanks that passed without one.
template <class Pass>
Result Run_slides(Browse_scene& scene, double seconds, double period, Pass pass) {
    Result r;
    bool down = true;
    double last_present = -1;
    const double cpu0 = Thread_cpu_ms(), start = VxTrace::Time_ms();
    while (VxTrace::Time_ms() - start < seconds * 1000) {
        if (!scene.Moving()) {
            scene.Slide(down);
            down = !down;
            ++r.slides;
        }
        if (pass()) {
            const double now = VxTrace::Time_ms();
            if (last_present >= 0) r.missed_blanks += std::max(0.0, std::round((now - last_present) / period) - 1);
            last_present = now;
            ++r.frames;
        }
    }
    r.seconds = (VxTrace::Time_ms() - start) / 1000;
    r.cpu_ms = Thread_cpu_ms() - cpu0;
    return r;
}

}  // namespace

int main(int argc, char** argv) {
    const double seconds = argc > 1 ? std::max(0.5, std::atof(argv[1])) : 5.0;
    const std::string pics = argc > 2 ? std::string(argv[2]) + "/" : Default_pics();
    // The trace and the message-box log go to a folder of their own, not where the bench was started.
    char scratch[] = "/tmp/slide_bench-XXXXXX";
    if (!mkdtemp(scratch) || chdir(scratch) != 0) return 1;
    if (!std::getenv("SDL_VIDEODRIVER")) setenv("SDL_VIDEODRIVER", "dummy", 1);
    Platform::Set_headless(true);
    std::string error;
    Platform::Window& window = Platform::Window::Instance();
    const Platform::Screen_info screen = Platform::Screen();
    if (!window.Open("slide_bench", 0, 0, screen.width, screen.height, error)) {
        std::fprintf(stderr, "slide_bench: no window: %s\n", error.c_str());
        return 1;
    }
    const int w = window.Width(), h = window.Height();
    VxDisplay_config config;
    config.pics_folder = pics;
    VxDirectX& dx = VxDirectX::Instance();
    dx.Init(&window, 0, 0, w, h, config);
    Browse_scene scene(pics);
    for (int i = 0; i < 5; ++i) scene.Compose(), dx.Present();

    // The reference: the median blank-to-blank time of the blank clock. The jukebox's own measurement (what
    // it paces by) is its last single blank-to-blank reading, which a preempted clock read can shorten.
    std::vector<double> intervals;
    window.Wait_for_vertical_blank();
    for (double last = VxTrace::Time_ms(); intervals.size() < 61;) {
        window.Wait_for_vertical_blank();
        const double now = VxTrace::Time_ms();
        intervals.push_back(now - last);
        last = now;
    }
    std::sort(intervals.begin(), intervals.end());
    const double blank_period = intervals[intervals.size() / 2];
    const double refresh_hz = 1000 / blank_period;
    const double period = dx.Get_monitor_refresh_rate();

    // The jukebox's pacing: a pass presents the frame composed before and composes the next once the
    // next-frame time has come (the step nudged by where the scan line is, to lock onto the blank); in
    // between the loop blocks on the message queue as the jukebox's loop does while something moves.
    Frame_pacer pacer;
    bool composed = false;
    double frame_work_ms = 0;  // compose and present of every frame, on the wall clock
    Platform::Message_queue& queue = Platform::Message_queue::Instance();
    const Result paced = Run_slides(scene, seconds, blank_period, [&] {
        const double now = VxTrace::Time_ms();
        if (!pacer.Due(now)) {
            Wait_for_frame(pacer, queue, VxTrace::Time_ms);
            return false;
        }
        pacer.Schedule_next(now, period, dx.Get_scan_line());
        const bool presented = composed;
        if (composed) dx.Present();
        scene.Compose();
        frame_work_ms += VxTrace::Time_ms() - now;
        composed = true;
        return presented;
    });
    const Result unpaced = Run_slides(scene, seconds, blank_period, [&] {
        dx.Present();
        scene.Compose();
        return true;
    });

    const double paced_fps = paced.frames / paced.seconds, unpaced_fps = unpaced.frames / unpaced.seconds;
    std::printf("slide_bench: %dx%d window, %.0f slides of two 73x49 %% panels in %.1f s per loop\n", w, h,
                paced.slides + unpaced.slides, seconds);
    std::printf("%-40s %8.2f Hz   period %.3f ms  (reference 1.00)\n", "display refresh (blank clock, median)",
                refresh_hz, blank_period);
    std::printf("%-40s %8.2f Hz   period %.3f ms  (what it paces by)\n", "  the jukebox's own measurement",
                1000 / period, period);
    std::printf("%-40s %8.2f fps  %5.2f x refresh   %.0f blanks missed, loop CPU %.0f %%\n",
                "paced as the jukebox paces frames", paced_fps, paced_fps / refresh_hz, paced.missed_blanks,
                100 * paced.cpu_ms / (paced.seconds * 1000));
    std::printf("%-40s %8.3f ms   %5.2f x compose and present (%.3f ms)   target <= 1.30\n", "  loop CPU per frame",
                paced.cpu_ms / std::max(1.0, paced.frames), paced.cpu_ms / std::max(1e-9, frame_work_ms),
                frame_work_ms / std::max(1.0, paced.frames));
    std::printf("%-40s %8.2f fps  %5.2f x refresh   (headroom)\n", "unpaced: compose and present at once", unpaced_fps,
                unpaced_fps / refresh_hz);
    std::error_code ec;
    std::filesystem::remove_all(scratch, ec);
    return 0;
}
