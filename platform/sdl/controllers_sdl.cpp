// Controller hot-plug and buttons. SDL reads its mapping database itself (built in, plus
// SDL_GAMECONTROLLERCONFIG and SDL_GAMECONTROLLERCONFIG_FILE); a device it cannot map is left alone.
#include "platform/sdl/controllers_sdl.h"

#include "platform/sdl/key_table.h"

namespace Platform {

void Start_controllers() {
    // Controllers are read while the window is in the background too: a jukebox across the room.
    SDL_SetHint(SDL_HINT_JOYSTICK_ALLOW_BACKGROUND_EVENTS, "1");
    SDL_InitSubSystem(SDL_INIT_GAMECONTROLLER);  // a failure leaves the keys, which is enough
}

bool Handle_controller_event(const SDL_Event& e, Key_press& press) {
    press = {};
    switch (e.type) {
        case SDL_CONTROLLERDEVICEADDED:
            // which is a device index here; the controller stays open until it is removed.
            SDL_GameControllerOpen(e.cdevice.which);
            return true;
        case SDL_CONTROLLERDEVICEREMOVED:
            // which is an instance id here.
            if (SDL_GameController* pad = SDL_GameControllerFromInstanceID(e.cdevice.which))
                SDL_GameControllerClose(pad);
            return true;
        case SDL_CONTROLLERBUTTONDOWN:
            press = Window_press_for_button(e.cbutton.button);
            return true;
        case SDL_CONTROLLERBUTTONUP:
        case SDL_CONTROLLERAXISMOTION:
        case SDL_CONTROLLERDEVICEREMAPPED:
            return true;
        default:
            return false;
    }
}

}  // namespace Platform
