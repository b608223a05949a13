// The window's input as Win32 messages: SDL key events become WM_KEYDOWN with virtual-key
// codes and text input becomes WM_CHAR, so that one key press arrives as it would on Windows.
#include <SDL.h>

#include "platform/linux/sdl_video.h"
#include "platform/surface.h"
#include "platform/window.h"

namespace Platform {

unsigned Virtual_key_for(int key) {
    if (key >= SDLK_a && key <= SDLK_z) return 'A' + (key - SDLK_a);
    if (key >= SDLK_0 && key <= SDLK_9) return '0' + (key - SDLK_0);
    if (key >= SDLK_F1 && key <= SDLK_F12) return 0x70 + (key - SDLK_F1);
    switch (key) {
        case SDLK_BACKSPACE:
            return VK_BACK;
        case SDLK_TAB:
            return VK_TAB;
        case SDLK_RETURN:
        case SDLK_KP_ENTER:
            return VK_RETURN;
        case SDLK_ESCAPE:
            return VK_ESCAPE;
        case SDLK_SPACE:
            return VK_SPACE;
        case SDLK_PAGEUP:
            return VK_PRIOR;
        case SDLK_PAGEDOWN:
            return VK_NEXT;
        case SDLK_END:
            return VK_END;
        case SDLK_HOME:
            return VK_HOME;
        case SDLK_LEFT:
            return VK_LEFT;
        case SDLK_UP:
            return VK_UP;
        case SDLK_RIGHT:
            return VK_RIGHT;
        case SDLK_DOWN:
            return VK_DOWN;
        case SDLK_INSERT:
            return VK_INSERT;
        case SDLK_DELETE:
            return VK_DELETE;
        case SDLK_LSHIFT:
        case SDLK_RSHIFT:
            return 0x10;
        case SDLK_LCTRL:
        case SDLK_RCTRL:
            return 0x11;
        case SDLK_LALT:
        case SDLK_RALT:
            return 0x12;
        case SDLK_KP_0:
            return 0x60;
        case SDLK_KP_1:
        case SDLK_KP_2:
        case SDLK_KP_3:
        case SDLK_KP_4:
        case SDLK_KP_5:
        case SDLK_KP_6:
        case SDLK_KP_7:
        case SDLK_KP_8:
        case SDLK_KP_9:
            return 0x61 + (key - SDLK_KP_1);
        case SDLK_KP_MULTIPLY:
            return 0x6A;
        case SDLK_KP_PLUS:
            return 0x6B;
        case SDLK_KP_MINUS:
            return 0x6D;
        case SDLK_KP_PERIOD:
            return 0x6E;
        case SDLK_KP_DIVIDE:
            return 0x6F;
        case SDLK_SEMICOLON:
            return 0xBA;
        case SDLK_EQUALS:
        case SDLK_PLUS:
            return 0xBB;
        case SDLK_COMMA:
            return 0xBC;
        case SDLK_MINUS:
            return 0xBD;
        case SDLK_PERIOD:
            return 0xBE;
        case SDLK_SLASH:
            return 0xBF;
        case SDLK_BACKQUOTE:
            return 0xC0;
        case SDLK_LEFTBRACKET:
            return 0xDB;
        case SDLK_BACKSLASH:
            return 0xDC;
        case SDLK_RIGHTBRACKET:
            return 0xDD;
        case SDLK_QUOTE:
            return 0xDE;
        default:
            return 0;
    }
}

unsigned Control_character_for(unsigned vk) {
    switch (vk) {
        case VK_BACK:
            return 8;
        case VK_TAB:
            return 9;
        case VK_RETURN:
            return 13;
        case VK_ESCAPE:
            return 27;
        default:
            return 0;
    }
}

namespace {

class Sdl_events final : public Event_source {
public:
    void Wait_and_pump(int timeout_ms) override {
        if (!Start()) return;
        SDL_Event e;
        const int got = timeout_ms < 0 ? SDL_WaitEvent(&e) : SDL_WaitEventTimeout(&e, timeout_ms);
        if (got) Handle(e);
        Pump();
    }
    void Pump() override {
        if (!Start()) return;
        SDL_Event e;
        while (SDL_PollEvent(&e)) Handle(e);
    }
    void Wake() override {
        if (wake_type_ == 0) return;
        SDL_Event e{};
        e.type = wake_type_;
        SDL_PushEvent(&e);  // thread-safe; ends a waiting SDL_WaitEvent
    }
    bool Start() {
        if (started_) return wake_type_ != 0;
        started_ = true;
        if (!Ensure_video()) return false;
        const Uint32 type = SDL_RegisterEvents(1);
        wake_type_ = type == static_cast<Uint32>(-1) ? 0 : type;
        return wake_type_ != 0;
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
            case SDL_KEYDOWN: {
                const unsigned vk = Virtual_key_for(e.key.keysym.sym);
                if (!vk) break;
                Post(WM_KEYDOWN, vk);
                if (const unsigned c = Control_character_for(vk)) Post(WM_CHAR, c);
                break;
            }
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
            default:
                break;
        }
    }

    bool started_ = false;
    Uint32 wake_type_ = 0;
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
