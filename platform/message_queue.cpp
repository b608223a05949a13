// The window's message queue: posted messages first, then the quit message, then at most one
// expiry per timer, as Win32 orders them. Blocking waits go to the event source when one is attached.
#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <vector>

#include "platform/window.h"

namespace Platform {
namespace {
using Clock = std::chrono::steady_clock;
// Win32's USER_TIMER_MINIMUM: a zero period would make a busy loop.
constexpr unsigned Minimum_period_ms = 10;

struct Timer {
    unsigned id;
    Clock::duration period;
    Clock::time_point due;
};
}  // namespace

struct Message_queue::Impl {
    mutable std::mutex mutex;
    std::condition_variable changed;
    unsigned long generation = 0;  // bumped by every change a blocked Get must see
    std::deque<Message> posted;
    std::vector<Timer> timers;
    bool quit_pending = false;
    int quit_code = 0;
    Window_procedure procedure;
    Event_source* source = nullptr;  // Wake is called under the mutex, so detaching is safe

    // Called with the mutex held after any change.
    void Notify() {
        ++generation;
        changed.notify_all();
        if (source) source->Wake();
    }

    // The next message in Win32 order, or false when nothing is due.
    bool Take(Message& out, Clock::time_point now) {
        if (!posted.empty()) {
            out = posted.front();
            posted.pop_front();
            return true;
        }
        if (quit_pending) {
            quit_pending = false;
            out = Message{WM_QUIT, static_cast<std::uintptr_t>(quit_code), 0};
            return true;
        }
        Timer* first = nullptr;
        for (Timer& t : timers)
            if (t.due <= now && (!first || t.due < first->due)) first = &t;
        if (!first) return false;
        // One expiry however many periods passed; the next period counts from delivery.
        first->due = now + first->period;
        out = Message{WM_TIMER, first->id, 0};
        return true;
    }

    // Whether Take would find a message now.
    bool Ready(Clock::time_point now) const {
        return !posted.empty() || quit_pending ||
               std::any_of(timers.begin(), timers.end(), [now](const Timer& t) { return t.due <= now; });
    }

    // Milliseconds until the nearest timer, rounded up; -1 when no timer runs.
    int Wait_ms(Clock::time_point now) const {
        if (timers.empty()) return -1;
        Clock::time_point nearest = timers.front().due;
        for (const Timer& t : timers) nearest = std::min(nearest, t.due);
        if (nearest <= now) return 0;
        const auto ms = std::chrono::ceil<std::chrono::milliseconds>(nearest - now).count();
        return static_cast<int>(std::min<long long>(ms, 1 << 30));
    }
};

Message_queue& Message_queue::Instance() {
    // Never destroyed: worker threads may still post while the process exits.
    static Message_queue* queue = new Message_queue();
    return *queue;
}

Message_queue::Message_queue() : impl_(new Impl) {}

void Message_queue::Post(const Message& message) {
    std::lock_guard<std::mutex> lock(impl_->mutex);
    impl_->posted.push_back(message);
    impl_->Notify();
}

void Message_queue::Post_quit(int exit_code) {
    std::lock_guard<std::mutex> lock(impl_->mutex);
    impl_->quit_pending = true;
    impl_->quit_code = exit_code;
    impl_->Notify();
}

void Message_queue::Set_timer(unsigned id, unsigned period_ms) {
    std::lock_guard<std::mutex> lock(impl_->mutex);
    const Clock::duration period = std::chrono::milliseconds(std::max(period_ms, Minimum_period_ms));
    const Clock::time_point due = Clock::now() + period;
    auto it = std::find_if(impl_->timers.begin(), impl_->timers.end(), [id](const Timer& t) { return t.id == id; });
    if (it != impl_->timers.end())
        *it = Timer{id, period, due};
    else
        impl_->timers.push_back(Timer{id, period, due});
    impl_->Notify();
}

void Message_queue::Kill_timer(unsigned id) {
    std::lock_guard<std::mutex> lock(impl_->mutex);
    auto& timers = impl_->timers;
    timers.erase(std::remove_if(timers.begin(), timers.end(), [id](const Timer& t) { return t.id == id; }),
                 timers.end());
    impl_->Notify();
}

bool Message_queue::Timer_running(unsigned id) const {
    std::lock_guard<std::mutex> lock(impl_->mutex);
    return std::any_of(impl_->timers.begin(), impl_->timers.end(), [id](const Timer& t) { return t.id == id; });
}

bool Message_queue::Peek(Message& out) {
    Event_source* source;
    {
        std::lock_guard<std::mutex> lock(impl_->mutex);
        source = impl_->source;
    }
    // Input first, so that a key that already arrived comes before an expired timer.
    if (source) source->Pump();
    std::lock_guard<std::mutex> lock(impl_->mutex);
    return impl_->Take(out, Clock::now());
}

bool Message_queue::Get(Message& out) {
    // Only the user-interface thread takes messages, so what Wait found ready is still there.
    for (;;) {
        Wait(-1);
        std::lock_guard<std::mutex> lock(impl_->mutex);
        if (impl_->Take(out, Clock::now())) return out.kind != WM_QUIT;
    }
}

bool Message_queue::Wait(int timeout_ms) {
    const bool limited = timeout_ms >= 0;
    const Clock::time_point until = Clock::now() + std::chrono::milliseconds(std::max(timeout_ms, 0));
    for (;;) {
        Event_source* source;
        {
            std::lock_guard<std::mutex> lock(impl_->mutex);
            source = impl_->source;
        }
        if (source) source->Pump();

        std::unique_lock<std::mutex> lock(impl_->mutex);
        const Clock::time_point now = Clock::now();
        if (impl_->Ready(now)) return true;
        if (limited && now >= until) return false;
        int wait_ms = impl_->Wait_ms(now);  // -1: no timer runs
        if (limited) {
            const int left = static_cast<int>(std::chrono::ceil<std::chrono::milliseconds>(until - now).count());
            wait_ms = wait_ms < 0 ? left : std::min(wait_ms, left);
        }
        if (impl_->source) {
            // The source posts (which takes the mutex) and is woken by Post, so wait without the lock.
            source = impl_->source;
            lock.unlock();
            source->Wait_and_pump(wait_ms);
            continue;
        }
        const unsigned long seen = impl_->generation;
        auto changed = [&] { return impl_->generation != seen || impl_->source != nullptr; };
        if (wait_ms < 0)
            impl_->changed.wait(lock, changed);
        else
            impl_->changed.wait_until(lock, now + std::chrono::milliseconds(wait_ms), changed);
    }
}

int Message_queue::Quit_code() const {
    std::lock_guard<std::mutex> lock(impl_->mutex);
    return impl_->quit_code;
}

void Message_queue::Set_window_procedure(Window_procedure procedure) {
    std::lock_guard<std::mutex> lock(impl_->mutex);
    impl_->procedure = std::move(procedure);
}

void Message_queue::Send(const Message& message) {
    Window_procedure procedure;
    {
        std::lock_guard<std::mutex> lock(impl_->mutex);
        procedure = impl_->procedure;
    }
    // Called without the lock: the procedure may post, set timers or send again.
    if (procedure) procedure(message);
}

void Message_queue::Set_event_source(Event_source* source) {
    std::lock_guard<std::mutex> lock(impl_->mutex);
    impl_->source = source;
    impl_->Notify();
}

void Message_queue::Reset() {
    std::lock_guard<std::mutex> lock(impl_->mutex);
    impl_->posted.clear();
    impl_->timers.clear();
    impl_->quit_pending = false;
    impl_->quit_code = 0;
    impl_->Notify();
}

}  // namespace Platform
