// Game controllers through SDL's event path: a virtual controller (SDL's own, of the game-controller
// type, so SDL maps it as a real pad) is plugged in, its buttons arrive as the keys of the key table,
// it is unplugged and plugged in again. Also the names the script uses for the same table.
#include <SDL.h>
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <thread>
#include <vector>

#include "platform/keys.h"
#include "platform/surface.h"
#include "platform/window.h"

using namespace Platform;

namespace {

class Virtual_pad {
public:
    Virtual_pad() {
        SDL_VirtualJoystickDesc desc{};
        desc.version = SDL_VIRTUAL_JOYSTICK_DESC_VERSION;
        desc.type = SDL_JOYSTICK_TYPE_GAMECONTROLLER;
        desc.naxes = SDL_CONTROLLER_AXIS_MAX;
        desc.nbuttons = SDL_CONTROLLER_BUTTON_MAX;
        desc.name = "tavrix test pad";
        index_ = SDL_JoystickAttachVirtualEx(&desc);
        if (index_ >= 0) joystick_ = SDL_JoystickOpen(index_);
    }
    ~Virtual_pad() { Unplug(); }
    bool Ok() const { return joystick_ != nullptr; }
    void Set(SDL_GameControllerButton button, bool down) {
        SDL_JoystickSetVirtualButton(joystick_, button, down ? 1 : 0);
    }
    void Unplug() {
        if (!joystick_) return;
        SDL_JoystickClose(joystick_);
        SDL_JoystickDetachVirtual(index_);
        joystick_ = nullptr;
    }

private:
    int index_ = -1;
    SDL_Joystick* joystick_ = nullptr;
};

// Presses the button until the window's queue shows its key-down (the pad is opened by the event
// source when its plug-in event comes through), then returns the messages of that press.
std::vector<Message> Press_until_seen(Virtual_pad& pad, SDL_GameControllerButton button) {
    Message_queue& queue = Message_queue::Instance();
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    while (std::chrono::steady_clock::now() < deadline) {
        pad.Set(button, true);
        Window_events().Pump();
        pad.Set(button, false);
        Window_events().Pump();
        std::vector<Message> got;
        for (Message m; queue.Peek(m);)
            if (m.kind == WM_KEYDOWN || m.kind == WM_CHAR) got.push_back(m);
        if (!got.empty()) return got;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return {};
}

std::vector<std::pair<unsigned, std::uintptr_t>> Kinds(const std::vector<Message>& messages) {
    std::vector<std::pair<unsigned, std::uintptr_t>> out;
    for (const Message& m : messages) out.push_back({m.kind, m.wparam});
    return out;
}

using Expected = std::vector<std::pair<unsigned, std::uintptr_t>>;

TEST(Controllers, ButtonsArriveAsTheirKeysAndAPadCanComeAndGo) {
    setenv("SDL_VIDEODRIVER", "dummy", 1);
    std::string error;
    ASSERT_TRUE(Window::Instance().Open("pads", 0, 0, 320, 200, error)) << error;
    Message_queue::Instance().Reset();
    Attach_window_events();
    {
        Virtual_pad pad;
        ASSERT_TRUE(pad.Ok()) << SDL_GetError();
        EXPECT_EQ(Kinds(Press_until_seen(pad, SDL_CONTROLLER_BUTTON_A)),
                  (Expected{{WM_KEYDOWN, VK_RETURN}, {WM_CHAR, 13}}));
        EXPECT_EQ(Kinds(Press_until_seen(pad, SDL_CONTROLLER_BUTTON_B)),
                  (Expected{{WM_KEYDOWN, VK_ESCAPE}, {WM_CHAR, 27}}));
        EXPECT_EQ(Kinds(Press_until_seen(pad, SDL_CONTROLLER_BUTTON_START)),
                  (Expected{{WM_KEYDOWN, VK_SPACE}, {WM_CHAR, ' '}}));
        EXPECT_EQ(Kinds(Press_until_seen(pad, SDL_CONTROLLER_BUTTON_DPAD_UP)), (Expected{{WM_KEYDOWN, VK_UP}}));
        EXPECT_EQ(Kinds(Press_until_seen(pad, SDL_CONTROLLER_BUTTON_DPAD_RIGHT)), (Expected{{WM_KEYDOWN, VK_RIGHT}}));
        EXPECT_EQ(Kinds(Press_until_seen(pad, SDL_CONTROLLER_BUTTON_LEFTSHOULDER)), (Expected{{WM_KEYDOWN, VK_LEFT}}));
        EXPECT_EQ(Kinds(Press_until_seen(pad, SDL_CONTROLLER_BUTTON_RIGHTSHOULDER)),
                  (Expected{{WM_KEYDOWN, VK_RIGHT}}));
    }
    // Unplugged and plugged in again: the new pad works as the first did.
    Window_events().Pump();
    Virtual_pad again;
    ASSERT_TRUE(again.Ok()) << SDL_GetError();
    EXPECT_EQ(Kinds(Press_until_seen(again, SDL_CONTROLLER_BUTTON_DPAD_DOWN)), (Expected{{WM_KEYDOWN, VK_DOWN}}));
    Message_queue::Instance().Set_event_source(nullptr);
}

// A media key as the keyboard driver delivers it: through SDL's event queue into the window's messages.
TEST(Controllers, MediaKeysActAsSpaceNAndP) {
    setenv("SDL_VIDEODRIVER", "dummy", 1);
    std::string error;
    ASSERT_TRUE(Window::Instance().Open("keys", 0, 0, 320, 200, error)) << error;
    Message_queue& queue = Message_queue::Instance();
    queue.Reset();
    Attach_window_events();
    const std::pair<SDL_Keycode, Expected> cases[] = {
        {SDLK_AUDIOPLAY, {{WM_KEYDOWN, VK_SPACE}, {WM_CHAR, ' '}}},
        {SDLK_AUDIONEXT, {{WM_KEYDOWN, 'N'}, {WM_CHAR, 'n'}}},
        {SDLK_AUDIOPREV, {{WM_KEYDOWN, 'P'}, {WM_CHAR, 'p'}}},
        {SDLK_LEFT, {{WM_KEYDOWN, VK_LEFT}}},
        {SDLK_ESCAPE, {{WM_KEYDOWN, VK_ESCAPE}, {WM_CHAR, 27}}},
    };
    for (const auto& [key, expected] : cases) {
        SDL_Event e{};
        e.type = SDL_KEYDOWN;
        e.key.keysym.sym = key;
        ASSERT_EQ(SDL_PushEvent(&e), 1);
        Window_events().Pump();
        std::vector<Message> got;
        for (Message m; queue.Peek(m);)
            if (m.kind == WM_KEYDOWN || m.kind == WM_CHAR) got.push_back(m);
        EXPECT_EQ(Kinds(got), expected) << SDL_GetKeyName(key);
    }
    queue.Set_event_source(nullptr);
}

TEST(Controllers, TheScriptsNamesAreTheSameTable) {
    auto press = [](const char* name) {
        const auto p = Key_named(name);
        return p ? std::pair<unsigned, unsigned>{p->virtual_key, p->character}
                 : std::pair<unsigned, unsigned>{~0u, ~0u};
    };
    using P = std::pair<unsigned, unsigned>;
    // Media keys act as Space, N and P; the pad's buttons as the keys above.
    EXPECT_EQ(press("AudioPlay"), (P{VK_SPACE, ' '}));
    EXPECT_EQ(press("AudioNext"), (P{'N', 'n'}));
    EXPECT_EQ(press("AudioPrev"), (P{'P', 'p'}));
    EXPECT_EQ(press("PadA"), (P{VK_RETURN, 13}));
    EXPECT_EQ(press("PadB"), (P{VK_ESCAPE, 27}));
    EXPECT_EQ(press("PadStart"), (P{VK_SPACE, ' '}));
    EXPECT_EQ(press("PadLeftShoulder"), (P{VK_LEFT, 0}));
    // Keys and characters as a keyboard types them.
    EXPECT_EQ(press("Left"), (P{VK_LEFT, 0}));
    EXPECT_EQ(press("Return"), (P{VK_RETURN, 13}));
    EXPECT_EQ(press("BackSpace"), (P{VK_BACK, 8}));
    EXPECT_EQ(press("space"), (P{VK_SPACE, ' '}));
    EXPECT_EQ(press(" "), (P{VK_SPACE, ' '}));
    EXPECT_EQ(press("q"), (P{'Q', 'q'}));
    EXPECT_EQ(press("Q"), (P{'Q', 'Q'}));
    EXPECT_EQ(press("7"), (P{'7', '7'}));
    EXPECT_EQ(press("+"), (P{0xBB, '+'}));
    EXPECT_EQ(press("_"), (P{0xBD, '_'}));
    EXPECT_EQ(press("!"), (P{0, '!'}));  // a character without a key of its own
    EXPECT_FALSE(Key_named("NoSuchKey"));
    EXPECT_FALSE(Key_named(""));
}

}  // namespace
