// The window's message queue with Win32 semantics: posted messages, window timers by id that
// expire into WM_TIMER, a synchronous send to the window procedure, and the quit message.
// Post, Set_timer, Kill_timer and Post_quit are thread-safe; Get, Peek and Send belong to the UI thread.
#pragma once

#include <cstdint>
#include <functional>

namespace Platform {

// Win32 message numbers, so the logic reads as the window procedure it is.
enum : unsigned {
    WM_NULL = 0x0000,
    WM_DESTROY = 0x0002,
    WM_PAINT = 0x000F,
    WM_CLOSE = 0x0010,
    WM_QUIT = 0x0012,
    WM_KEYDOWN = 0x0100,
    WM_CHAR = 0x0102,
    WM_TIMER = 0x0113,
    WM_LBUTTONDOWN = 0x0201,
    WM_RBUTTONDOWN = 0x0204,
    WM_USER = 0x0400,
};

// Windows virtual-key codes that the key tables use.
enum : unsigned {
    VK_BACK = 0x08,
    VK_TAB = 0x09,
    VK_RETURN = 0x0D,
    VK_ESCAPE = 0x1B,
    VK_SPACE = 0x20,
    VK_PRIOR = 0x21,
    VK_NEXT = 0x22,
    VK_END = 0x23,
    VK_HOME = 0x24,
    VK_LEFT = 0x25,
    VK_UP = 0x26,
    VK_RIGHT = 0x27,
    VK_DOWN = 0x28,
    VK_INSERT = 0x2D,
    VK_DELETE = 0x2E,
};

struct Message {
    unsigned kind = WM_NULL;
    std::uintptr_t wparam = 0;  // key code, character code or timer id
    std::intptr_t lparam = 0;   // mouse position: x in the low 16 bits, y in the next 16
};

inline std::intptr_t Make_point(int x, int y) {
    return static_cast<std::intptr_t>((static_cast<std::uint32_t>(y & 0xFFFF) << 16) |
                                      static_cast<std::uint32_t>(x & 0xFFFF));
}
inline int Point_x(std::intptr_t lparam) { return static_cast<std::int16_t>(lparam & 0xFFFF); }
inline int Point_y(std::intptr_t lparam) { return static_cast<std::int16_t>((lparam >> 16) & 0xFFFF); }

// Where platform input comes from (the SDL window, the script player). The queue asks it to
// wait for input no longer than the time to the next timer, and wakes it when another thread posts.
class Event_source {
public:
    virtual ~Event_source() = default;
    // Waits up to timeout_ms (negative: no limit) for input and posts what arrived; returns promptly after Wake.
    virtual void Wait_and_pump(int timeout_ms) = 0;
    // Posts whatever input is already waiting, without blocking.
    virtual void Pump() = 0;
    // Called from any thread to end a Wait_and_pump early; a Wake before the wait ends the next wait.
    // The queue calls it under its lock, so Wake must not call back into the queue.
    virtual void Wake() = 0;
};

class Message_queue {
public:
    static Message_queue& Instance();

    void Post(const Message& message);
    void Post_quit(int exit_code);

    // Window timers: Set_timer on an id that runs restarts it with the new period; Kill_timer stops it.
    void Set_timer(unsigned id, unsigned period_ms);
    void Kill_timer(unsigned id);
    bool Timer_running(unsigned id) const;

    // Takes the next message without blocking; an expired timer yields WM_TIMER when nothing else waits.
    bool Peek(Message& out);
    // Blocks until a message arrives; false when it is WM_QUIT (whose exit code is then Quit_code()).
    bool Get(Message& out);
    // Blocks until a message is ready or timeout_ms passed (negative: no limit), and takes none; whether one is ready.
    bool Wait(int timeout_ms);
    int Quit_code() const;

    // The window procedure; Send calls it at once on the calling thread (SendMessage).
    using Window_procedure = std::function<void(const Message&)>;
    void Set_window_procedure(Window_procedure procedure);
    void Send(const Message& message);

    void Set_event_source(Event_source* source);  // null detaches

    // Forgets every message, timer and quit (for tests that reuse the process-wide queue).
    void Reset();

private:
    Message_queue();
    struct Impl;
    Impl* impl_;
};

}  // namespace Platform
