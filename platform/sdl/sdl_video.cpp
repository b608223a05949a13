// SDL's video start-up, shared by the screen, the window and the events, and the real
// message boxes (SDL_ShowMessageBox), which the dialogs use once video runs.
#include "platform/sdl/sdl_video.h"

#include <SDL.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "platform/screen.h"

namespace Platform {

bool (*g_sdl_message_box)(const std::string&, const std::string&, bool) = nullptr;

namespace {

bool Sdl_message_box(const std::string& caption, const std::string& text, bool ok_cancel) {
    SDL_MessageBoxButtonData buttons[2] = {
        {SDL_MESSAGEBOX_BUTTON_RETURNKEY_DEFAULT, 1, "OK"},
        {SDL_MESSAGEBOX_BUTTON_ESCAPEKEY_DEFAULT, 0, "Cancel"},
    };
    SDL_MessageBoxData data{};
    data.flags = SDL_MESSAGEBOX_INFORMATION;
    data.title = caption.c_str();
    data.message = text.c_str();
    data.numbuttons = ok_cancel ? 2 : 1;
    data.buttons = buttons;
    int pressed = 1;
    if (SDL_ShowMessageBox(&data, &pressed) != 0) {
        // No box could be shown (a driver without boxes): the text must still reach someone.
        std::fprintf(stderr, "[%s] %s\n", caption.c_str(), text.c_str());
        return true;
    }
    return pressed == 1;
}

}  // namespace

bool Ensure_video() {
    static const bool running = [] {
        // Ctrl-C and SIGTERM keep their usual meaning; only closing the window ends the loop.
        SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
        // SDL holds the screensaver off for as long as video runs; the jukebox does so only while it plays.
        SDL_SetHint(SDL_HINT_VIDEO_ALLOW_SCREENSAVER, "1");
        if (SDL_InitSubSystem(SDL_INIT_VIDEO | SDL_INIT_EVENTS) != 0) return false;
        g_sdl_message_box = &Sdl_message_box;
        Backend_video_started();
        return true;
    }();
    return running;
}

void Set_screensaver(Screensaver state) {
    if (!Ensure_video()) return;
    if (state == Screensaver::held_off)
        SDL_DisableScreenSaver();
    else
        SDL_EnableScreenSaver();
}

Screensaver Screensaver_state() {
    if (!Ensure_video()) return Screensaver::allowed;
    return SDL_IsScreenSaverEnabled() ? Screensaver::allowed : Screensaver::held_off;
}

bool Video_is_headless() {
    if (!Ensure_video()) return true;
    const char* driver = SDL_GetCurrentVideoDriver();
    return !driver || std::strcmp(driver, "dummy") == 0 || std::strcmp(driver, "offscreen") == 0;
}

}  // namespace Platform
