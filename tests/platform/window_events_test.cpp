// The SDL window's input as Win32 messages: virtual-key codes, the characters that follow
// them, and a queue blocked in the SDL event wait that another thread's post wakes.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <thread>

#include "platform/screen.h"
#include "platform/surface.h"
#include "platform/window.h"

using namespace Platform;

namespace {
// SDL key codes: printable keys are their lower-case character, others scancode | 1 << 30.
constexpr int Sdl_scan(int scancode) { return scancode | (1 << 30); }
}  // namespace

TEST(WindowEvents, KeysBecomeVirtualKeysAndControlCharacters) {
    EXPECT_EQ(Virtual_key_for('a'), 'A');
    EXPECT_EQ(Virtual_key_for('z'), 'Z');
    EXPECT_EQ(Virtual_key_for('7'), '7');
    EXPECT_EQ(Virtual_key_for(' '), VK_SPACE);
    EXPECT_EQ(Virtual_key_for('\r'), VK_RETURN);
    EXPECT_EQ(Virtual_key_for('\b'), VK_BACK);
    EXPECT_EQ(Virtual_key_for(27), VK_ESCAPE);
    EXPECT_EQ(Virtual_key_for(Sdl_scan(80)), VK_LEFT);
    EXPECT_EQ(Virtual_key_for(Sdl_scan(82)), VK_UP);
    EXPECT_EQ(Virtual_key_for(Sdl_scan(79)), VK_RIGHT);
    EXPECT_EQ(Virtual_key_for(Sdl_scan(81)), VK_DOWN);
    EXPECT_EQ(Virtual_key_for(Sdl_scan(88)), VK_RETURN);  // keypad Enter
    EXPECT_EQ(Virtual_key_for('-'), 0xBDu);               // VK_OEM_MINUS, not 45 (VK_INSERT)
    EXPECT_EQ(Virtual_key_for(Sdl_scan(86)), 0x6Du);      // keypad minus: VK_SUBTRACT
    EXPECT_EQ(Virtual_key_for(Sdl_scan(58)), 0x70u);      // F1
    EXPECT_EQ(Virtual_key_for(Sdl_scan(300)), 0u);
    // TranslateMessage's characters for keys that give no text input; the rest come as text.
    EXPECT_EQ(Control_character_for(VK_BACK), 8u);
    EXPECT_EQ(Control_character_for(VK_TAB), 9u);
    EXPECT_EQ(Control_character_for(VK_RETURN), 13u);
    EXPECT_EQ(Control_character_for(VK_ESCAPE), 27u);
    EXPECT_EQ(Control_character_for(VK_SPACE), 0u);
    EXPECT_EQ(Control_character_for('A'), 0u);
    EXPECT_EQ(Control_character_for(VK_LEFT), 0u);
}

TEST(WindowEvents, APostFromAnotherThreadWakesTheSdlWait) {
    setenv("SDL_VIDEODRIVER", "dummy", 1);
    const Screen_info screen = Screen();
    EXPECT_EQ(screen.width, 1024);  // the dummy driver's one display
    EXPECT_EQ(screen.bits_per_pixel, 32);
    std::string error;
    ASSERT_TRUE(Window::Instance().Open("events", 0, 0, 320, 200, error)) << error;
    Message_queue& queue = Message_queue::Instance();
    queue.Reset();
    Attach_window_events();
    const auto start = std::chrono::steady_clock::now();
    std::thread poster([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        queue.Post(Message{WM_USER, 7, 0});
    });
    Message m;
    Message got{};
    // WM_PAINT from the window's first exposure may come first; the posted message must follow.
    while (queue.Get(m)) {
        if (m.kind == WM_USER) {
            got = m;
            break;
        }
    }
    poster.join();
    EXPECT_EQ(got.wparam, 7u);
    EXPECT_LT(std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count(), 2.0);
    queue.Set_event_source(nullptr);
}
