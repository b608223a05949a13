// The window's message queue: Win32 order (posted, quit, timers), timers that restart, die and
// never pile up expiries, the synchronous send, and a blocked Get woken from another thread.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>
#include <vector>

#include "platform/window.h"

using namespace Platform;
using Clock = std::chrono::steady_clock;

namespace {
double Ms_since(Clock::time_point t) { return std::chrono::duration<double, std::milli>(Clock::now() - t).count(); }
void Sleep_ms(int ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }

// An input source that records its waits and can be woken, as the SDL window will be.
class Fake_source : public Event_source {
public:
    void Wait_and_pump(int timeout_ms) override {
        waits.push_back(timeout_ms);
        std::unique_lock<std::mutex> lock(mutex);
        auto woken = [&] { return wake; };
        if (timeout_ms < 0)
            cv.wait(lock, woken);
        else
            cv.wait_for(lock, std::chrono::milliseconds(timeout_ms), woken);
        wake = false;
    }
    void Pump() override { ++pumps; }
    void Wake() override {
        std::lock_guard<std::mutex> lock(mutex);
        wake = true;
        cv.notify_all();
    }
    std::vector<int> waits;
    int pumps = 0;
    std::mutex mutex;
    std::condition_variable cv;
    bool wake = false;
};
}  // namespace

TEST(MessageQueue, PostedMessagesComeBeforeQuitAndQuitBeforeTimers) {
    auto& q = Message_queue::Instance();
    Message m;
    EXPECT_FALSE(q.Peek(m));
    q.Set_timer(1, 10);
    Sleep_ms(20);
    q.Post_quit(3);
    q.Post(Message{WM_KEYDOWN, VK_LEFT, 0});
    q.Post(Message{WM_CHAR, 'a', 0});
    ASSERT_TRUE(q.Get(m));
    EXPECT_EQ(m.kind, WM_KEYDOWN);
    ASSERT_TRUE(q.Peek(m));
    EXPECT_EQ(m.wparam, 'a');
    EXPECT_FALSE(q.Get(m));
    EXPECT_EQ(m.kind, WM_QUIT);
    EXPECT_EQ(q.Quit_code(), 3);
    ASSERT_TRUE(q.Get(m));
    EXPECT_EQ(m.kind, WM_TIMER);
    EXPECT_EQ(m.wparam, 1u);
    q.Kill_timer(1);
}

TEST(MessageQueue, TimersRestartDieAndNeverQueueSeveralExpiries) {
    auto& q = Message_queue::Instance();
    Message m;
    // Restarting replaces the period and counts from now: the first period is a minute, so a loaded
    // machine's delays never come near it.
    q.Set_timer(6, 60000);
    q.Set_timer(6, 30);
    auto start = Clock::now();
    ASSERT_TRUE(q.Get(m));
    EXPECT_EQ(m.kind, WM_TIMER);
    EXPECT_EQ(m.wparam, 6u);
    EXPECT_GE(Ms_since(start), 29);
    EXPECT_LT(Ms_since(start), 30000);
    q.Kill_timer(6);

    // Many periods pass unread: one expiry, and the next period counts from its delivery (so a second
    // one can only be there when a whole period has passed since, as on a stalled machine).
    q.Set_timer(1, 50);
    Sleep_ms(400);
    ASSERT_TRUE(q.Peek(m));
    const auto delivered = Clock::now();
    EXPECT_EQ(m.wparam, 1u);
    const bool second = q.Peek(m);
    if (Ms_since(delivered) < 50) {
        EXPECT_FALSE(second);
    }

    // Killed: no expiry is left behind.
    q.Kill_timer(1);
    EXPECT_FALSE(q.Timer_running(1));
    Sleep_ms(30);
    EXPECT_FALSE(q.Peek(m));

    // The earliest of two expired timers comes first; both come in turn.
    q.Set_timer(7, 10);
    Sleep_ms(2);
    q.Set_timer(3, 10);
    Sleep_ms(30);
    ASSERT_TRUE(q.Peek(m));
    EXPECT_EQ(m.wparam, 7u);
    ASSERT_TRUE(q.Peek(m));
    EXPECT_EQ(m.wparam, 3u);
    q.Reset();
    EXPECT_FALSE(q.Timer_running(7));
}

TEST(MessageQueue, SendCallsTheWindowProcedureAtOnce) {
    auto& q = Message_queue::Instance();
    std::vector<unsigned> seen;
    q.Set_window_procedure([&](const Message& m) {
        seen.push_back(static_cast<unsigned>(m.wparam));
        if (m.wparam == 8) q.Send(Message{WM_TIMER, 9, 0});  // the procedure may send again
    });
    q.Send(Message{WM_TIMER, 8, 0});
    EXPECT_EQ(seen, (std::vector<unsigned>{8, 9}));
    Message m;
    EXPECT_FALSE(q.Peek(m));  // nothing was queued
}

TEST(MessageQueue, PostFromAnotherThreadWakesABlockedGet) {
    auto& q = Message_queue::Instance();
    std::thread poster([&] {
        Sleep_ms(100);
        q.Post(Message{WM_USER, 42, 0});
    });
    auto start = Clock::now();
    Message m;
    ASSERT_TRUE(q.Get(m));
    poster.join();
    EXPECT_EQ(m.kind, WM_USER);
    EXPECT_EQ(m.wparam, 42u);
    EXPECT_GE(Ms_since(start), 90);  // not before the post; a Get never woken would not return at all
}

TEST(MessageQueue, GetWaitsOnTheEventSourceUntilTheNearestTimer) {
    auto& q = Message_queue::Instance();
    Fake_source source;
    q.Set_event_source(&source);
    q.Set_timer(1, 500);
    q.Set_timer(5, 60);
    Message m;
    ASSERT_TRUE(q.Get(m));
    EXPECT_EQ(m.wparam, 5u);
    ASSERT_FALSE(source.waits.empty());
    // However late this thread came to the Get, the source waits no longer than timer 5 (never for
    // timer 1, never without end).
    EXPECT_GE(source.waits.front(), 0);
    EXPECT_LE(source.waits.front(), 60);
    EXPECT_GT(source.pumps, 0);

    // A post from another thread ends the source's wait: with timer 5 (which repeats) stopped and
    // timer 1 a minute away, only the post's wake can give the Get its message (a post that comes
    // before the wait is taken at once).
    q.Kill_timer(5);
    q.Set_timer(1, 60000);
    std::thread poster([&] {
        Sleep_ms(50);
        q.Post(Message{WM_USER, 1, 0});
    });
    ASSERT_TRUE(q.Get(m));
    poster.join();
    EXPECT_EQ(m.kind, WM_USER);
    q.Kill_timer(1);
    q.Set_event_source(nullptr);
}

TEST(MessageQueue, WaitEndsAtItsTimeoutOrWhenAMessageIsReadyAndTakesNothing) {
    auto& q = Message_queue::Instance();
    q.Reset();
    Message m;
    // Nothing ready: false, and not before the time asked for.
    auto start = Clock::now();
    EXPECT_FALSE(q.Wait(40));
    EXPECT_GE(Ms_since(start), 39);

    // A message already there: at once, and it stays for Get.
    q.Post(Message{WM_USER, 7, 0});
    EXPECT_TRUE(q.Wait(60000));
    ASSERT_TRUE(q.Peek(m));
    EXPECT_EQ(m.wparam, 7u);
    EXPECT_FALSE(q.Peek(m));

    // A post from another thread ends a long wait on the event source; so does a timer that comes due.
    Fake_source source;
    q.Set_event_source(&source);
    std::thread poster([&] {
        Sleep_ms(20);
        q.Post(Message{WM_USER, 8, 0});
    });
    EXPECT_TRUE(q.Wait(60000));
    poster.join();
    ASSERT_TRUE(q.Peek(m));
    EXPECT_EQ(m.wparam, 8u);
    q.Set_timer(3, 30);
    EXPECT_TRUE(q.Wait(60000));
    ASSERT_FALSE(source.waits.empty());
    EXPECT_LE(source.waits.back(), 30) << "the source waits no longer than the nearest timer";
    ASSERT_TRUE(q.Peek(m));
    EXPECT_EQ(m.kind, static_cast<unsigned>(WM_TIMER));
    q.Set_event_source(nullptr);
    q.Reset();
}
