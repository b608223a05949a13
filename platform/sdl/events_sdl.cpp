// The window's input as Win32 messages: SDL key events (media keys among them) and game controller
// buttons become WM_KEYDOWN with virtual-key codes through the key table, and text input becomes
// WM_CHAR, so that one key press arrives as it would on Windows.
#include <SDL.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>

#include "platform/sdl/controllers_sdl.h"
#include "platform/sdl/key_table.h"
#include "platform/sdl/sdl_video.h"
#include "platform/surface.h"
#include "platform/window.h"

namespace Platform {

namespace {

class Sdl_events final : public Event_source {
public:
    void Wait_and_pump(int timeout_ms) override {
        if (!Start()) return;
        if (headless_) {
            Wait_headless(timeout_ms);
            Pump();
            return;
        }
        SDL_Event e;
        const int got = timeout_ms < 0 ? SDL_WaitEvent(&e) : SDL_WaitEventTimeout(&e, timeout_ms);
        if (got) Handle(e);
        Pump();
    }
    void Pump() override {
        if (!Start()) return;
        SDL_Event e;
        if (headless_ && !Devices_due()) {
            // What was pushed into SDL's queue is there without asking the devices.
            while (SDL_PeepEvents(&e, 1, SDL_GETEVENT, SDL_FIRSTEVENT, SDL_LASTEVENT) > 0) Handle(e);
            return;
        }
        while (SDL_PollEvent(&e)) Handle(e);
    }
    void Wake() override {
        if (headless_) {
            std::lock_guard<std::mutex> lock(wake_mutex_);
            woken_ = true;
            wake_.notify_one();
            return;
        }
        if (wake_type_ == 0) return;
        SDL_Event e{};
        e.type = wake_type_;
        SDL_PushEvent(&e);  // thread-safe; ends a waiting SDL_WaitEvent
    }
    bool Start() {
        if (started_) return wake_type_ != 0;
        started_ = true;
        if (!Ensure_video()) return false;
        Start_controllers();
        const Uint32 type = SDL_RegisterEvents(1);
        wake_type_ = type == static_cast<Uint32>(-1) ? 0 : type;
        headless_ = Video_is_headless();
        return wake_type_ != 0;
    }

private:
    // SDL has no blocking wait on the headless drivers: it would poll in 1 ms sleeps. Nothing arrives
    // there but what this process posts, so the wait is on Wake itself, with SDL pumped now and then:
    // once a second, since only a game controller's events come through SDL there (signals keep their
    // own meaning, see Ensure_video), and each pump is a wake-up of an otherwise sleeping process.
    static constexpr int Headless_pump_ms = 1000;
    // Whether a headless pump asks the devices: once per Headless_pump_ms (the queue pumps at every
    // turn of its wait, several times per wake-up, and each ask polls the hot-plug monitors), and at
    // every pump while a joystick is plugged in, whose state SDL only reads when asked.
    bool Devices_due() {
        const auto now = std::chrono::steady_clock::now();
        if (now - devices_asked_ < std::chrono::milliseconds(Headless_pump_ms) && SDL_NumJoysticks() <= 0) return false;
        devices_asked_ = now;
        return true;
    }
    void Wait_headless(int timeout_ms) {
        const int ms = timeout_ms < 0 ? Headless_pump_ms : std::min(timeout_ms, Headless_pump_ms);
        std::unique_lock<std::mutex> lock(wake_mutex_);
        wake_.wait_for(lock, std::chrono::milliseconds(ms), [this] { return woken_; });
        woken_ = false;
    }

private:
    static void Post(unsigned kind, std::uintptr_t w, std::intptr_t l = 0) {
        Message_queue::Instance().Post(Message{kind, w, l});
    }

    // Text input: each character of the Latin-1 range becomes one WM_CHAR (the jukebox's text is single-byte).
    static void Post_text(const char* utf8) {
        const unsigned char* p = reinterpret_cast<const unsigned char*>(utf8);
        while (*p) {
            unsigned cp;
            int extra;
            if (*p < 0x80) {
                cp = *p;
                extra = 0;
            } else if ((*p & 0xE0) == 0xC0) {
                cp = *p & 0x1F;
                extra = 1;
            } else if ((*p & 0xF0) == 0xE0) {
                cp = *p & 0x0F;
                extra = 2;
            } else {
                cp = *p & 0x07;
                extra = 3;
            }
            ++p;
            for (int k = 0; k < extra && (*p & 0xC0) == 0x80; ++k, ++p) cp = (cp << 6) | (*p & 0x3F);
            if (cp >= 32 && cp < 256 && cp != 127) Post(WM_CHAR, cp);
        }
    }

    void Handle(const SDL_Event& e) {
        switch (e.type) {
            case SDL_KEYDOWN:
                Post_press(Window_press_for_key(e.key.keysym.sym));
                break;
            case SDL_TEXTINPUT:
                Post_text(e.text.text);
                break;
            case SDL_MOUSEBUTTONDOWN:
                if (e.button.button == SDL_BUTTON_LEFT)
                    Post(WM_LBUTTONDOWN, 0, Make_point(e.button.x, e.button.y));
                else if (e.button.button == SDL_BUTTON_RIGHT)
                    Post(WM_RBUTTONDOWN, 0, Make_point(e.button.x, e.button.y));
                break;
            case SDL_WINDOWEVENT:
                if (e.window.event == SDL_WINDOWEVENT_EXPOSED) Post(WM_PAINT, 0);
                break;
            case SDL_QUIT:
                Post(WM_DESTROY, 0);
                break;  // the window was closed (or the process told to end)
            default: {
                Key_press press;
                if (Handle_controller_event(e, press)) Post_press(press);
                break;
            }
        }
    }

    // A key-down and the character the back end makes for it (printable keys' characters come as text input).
    static void Post_press(const Key_press& press) {
        if (!press.virtual_key) return;
        Post(WM_KEYDOWN, press.virtual_key);
        if (press.character) Post(WM_CHAR, press.character);
    }

    bool started_ = false;
    Uint32 wake_type_ = 0;
    std::atomic<bool> headless_{false};  // read by Wake on other threads
    std::mutex wake_mutex_;
    std::condition_variable wake_;
    bool woken_ = false;                                     // a Wake not yet consumed by a headless wait
    std::chrono::steady_clock::time_point devices_asked_{};  // UI thread
};

}  // namespace

Event_source& Window_events() {
    static Sdl_events* events = new Sdl_events;
    return *events;
}

void Attach_window_events() {
    static_cast<Sdl_events&>(Window_events()).Start();
    Message_queue::Instance().Set_event_source(&Window_events());
}

}  // namespace Platform
