// The trace files and the millisecond clock. Lines gather in a fixed buffer per file that a flusher
// thread empties at most 50 ms after the first line went in; the buffers are plain arrays so that the
// handler of a fatal signal can still write them without locks or allocation.
#include "trace/VxTrace.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <mutex>
#include <thread>

#ifndef _WIN32
#include <pthread.h>
#endif

#include "platform/process.h"

namespace {
std::atomic<VxTrace::Switch_reader> g_switch{nullptr};

std::chrono::steady_clock::time_point Clock_base() {
    // The first reading in the process fixes the base; function-local statics are thread-safe.
    static const std::chrono::steady_clock::time_point base = std::chrono::steady_clock::now();
    return base;
}

constexpr std::size_t Buffer_size = 64 * 1024;
constexpr auto Flush_delay = std::chrono::milliseconds(50);

// One of the two trace files: where it lives, its pending bytes, and what it has written so far.
struct Trace_file {
    Trace_file(const char* file_name, const char* old_file_name, const char* start)
        : name(file_name), old_name(old_file_name), start_line(start) {}
    const char* name;
    const char* old_name;
    const char* start_line;
    std::filesystem::path path;
    std::FILE* file = nullptr;
    int fd = -1;
    std::size_t written = 0;  // bytes in the current file, for the rotation
    std::string held;         // lines written before the first Open
    char buffer[Buffer_size];
    std::atomic<std::size_t> used{0};
};

// The trace's state; one per process.
struct Trace_state {
    std::mutex mutex;
    std::condition_variable wake;
    std::condition_variable started;  // the flusher reached its loop
    bool opened = false;
    bool pending = false;
    bool flusher_running = false;
    bool flusher_waiting = false;  // the flusher reached its loop: its thread's start-up is behind it
    std::size_t rotation_limit = VxTrace::Rotation_limit;
    Trace_file log{"log.txt", "log.old.txt", "\nStarting VxTrace \n"};
    Trace_file err{"error.txt", "error.old.txt", "\nStarting Error VxTrace \n"};

    // Everything below runs with the mutex held.
    void Write_out(Trace_file& f, const char* data, std::size_t size) {
        if (!f.file) return;  // a file that could not be opened swallows its lines
        if (f.written > 0 && f.written + size > rotation_limit) Rotate(f);
        if (!f.file) return;
        Platform::Write_raw(f.fd, data, size);
        f.written += size;
    }
    void Drain(Trace_file& f) {
        const std::size_t used = f.used.load();
        if (used == 0) return;
        Write_out(f, f.buffer, used);
        f.used.store(0);
    }
    void Drain_all() {
        Drain(log);
        Drain(err);
        pending = false;
    }
    void Start_file(Trace_file& f) {
        f.file = std::fopen(f.path.string().c_str(), "wb");
        f.fd = f.file ? fileno(f.file) : -1;
        f.written = 0;
        if (f.file) {
            // Every line begins with a line feed, so the start line makes the file begin with two.
            const std::string line = std::string("\n") + f.start_line;
            Write_out(f, line.data(), line.size());
        }
    }
    void Close(Trace_file& f) {
        if (f.file) std::fclose(f.file);
        f.file = nullptr;
        f.fd = -1;
    }
    void Rotate(Trace_file& f) {
        Close(f);
        std::error_code ignored;
        std::filesystem::rename(f.path, f.path.parent_path() / f.old_name, ignored);
        Start_file(f);
    }
    // One line: a line feed and the parts, copied into the buffer as they are.
    void Append(Trace_file& f, std::initializer_list<std::string_view> parts) {
        std::size_t size = 1;
        for (std::string_view part : parts) size += part.size();
        if (!opened) {
            if (f.held.size() + size <= VxTrace::Held_limit) {
                f.held += '\n';
                for (std::string_view part : parts) f.held.append(part);
            }
            return;
        }
        std::size_t used = f.used.load();
        if (used + size > Buffer_size) {
            Drain(f);
            used = 0;
        }
        if (size > Buffer_size) {
            std::string line(1, '\n');
            for (std::string_view part : parts) line.append(part);
            Write_out(f, line.data(), line.size());
            return;
        }
        char* at = f.buffer + used;
        *at++ = '\n';
        for (std::string_view part : parts) {
            if (!part.empty()) std::memcpy(at, part.data(), part.size());
            at += part.size();
        }
        f.used.store(used + size);  // after the copy: the signal handler writes only whole lines
        if (!flusher_running) {
            Drain_all();
            return;
        }
        if (!pending) {
            pending = true;
            wake.notify_one();
        }
    }

    void Flusher() {
        std::unique_lock<std::mutex> lock(mutex);
        flusher_waiting = true;
        started.notify_all();
        for (;;) {
            wake.wait(lock, [this] { return pending; });
            // Lines that come soon after join this write; a Flush in between ends the wait early.
            wake.wait_for(lock, Flush_delay, [this] { return !pending; });
            Drain_all();
        }
    }
};

Trace_state* g_impl = nullptr;

// Every way out of the process: write what is pending. An orderly exit waits for the lock; a fatal
// signal takes it only when it is free (the dying thread may hold it) and otherwise writes the
// buffers as they stand.
void Last_words(Platform::Way_out way) {
    Trace_state* impl = g_impl;
    if (!impl) return;
    if (way == Platform::Way_out::Orderly) {
        std::lock_guard<std::mutex> lock(impl->mutex);
        impl->Drain_all();
        return;
    }
    if (impl->mutex.try_lock()) {
        impl->Drain_all();
        impl->mutex.unlock();
        return;
    }
    for (Trace_file* f : {&impl->log, &impl->err})
        if (f->fd >= 0) Platform::Write_raw(f->fd, f->buffer, f->used.load());
}

#ifndef _WIN32
// A forked child has no flusher thread: it writes each line at once, and the lock is never left held.
void Before_fork() { g_impl->mutex.lock(); }
void After_fork_in_parent() { g_impl->mutex.unlock(); }
void After_fork_in_child() {
    g_impl->flusher_running = false;
    g_impl->flusher_waiting = false;
    g_impl->mutex.unlock();
}
#endif
}  // namespace

struct VxTrace::Impl : Trace_state {};

VxTrace& VxTrace::Instance() {
    static VxTrace* trace = new VxTrace;  // lives until the process ends; the last words need it
    return *trace;
}

VxTrace::VxTrace() : impl_(new Impl) {
    g_impl = impl_;
    Platform::Set_last_words(&Last_words);
#ifndef _WIN32
    pthread_atfork(&Before_fork, &After_fork_in_parent, &After_fork_in_child);
#endif
}

void VxTrace::Open(const std::string& folder) {
    std::unique_lock<std::mutex> lock(impl_->mutex);
    impl_->Drain_all();
    const std::filesystem::path base = std::filesystem::absolute(folder.empty() ? "." : folder);
    for (Trace_file* f : {&impl_->log, &impl_->err}) {
        impl_->Close(*f);
        f->path = base / f->name;
        impl_->Start_file(*f);
    }
    if (!impl_->opened) {
        impl_->opened = true;
        for (Trace_file* f : {&impl_->log, &impl_->err}) {
            impl_->Write_out(*f, f->held.data(), f->held.size());
            std::string().swap(f->held);
        }
    }
    // TAVRIX_TRACE_AT_ONCE writes every line as it comes, as a forked child does: for tools that time
    // a run by its lines as they reach log.txt (the start-up bench's break-down).
    if (!impl_->flusher_running && !std::getenv("TAVRIX_TRACE_AT_ONCE")) {
        impl_->flusher_running = true;
        std::thread([state = static_cast<Trace_state*>(impl_)] { state->Flusher(); }).detach();
        // Open returns once the new thread runs its loop: a fork then finds it waiting on the trace's lock,
        // never halfway through its start-up, where it may hold the allocator's locks (the sanitizer's
        // allocator, unlike glibc's, does not take them across a fork) and leave the child stuck in malloc.
        impl_->started.wait(lock, [this] { return impl_->flusher_waiting; });
    }
}

void VxTrace::Flush() {
    std::lock_guard<std::mutex> lock(impl_->mutex);
    impl_->Drain_all();
    impl_->wake.notify_all();
}

void VxTrace::Set_rotation_limit(std::size_t bytes) {
    std::lock_guard<std::mutex> lock(impl_->mutex);
    impl_->rotation_limit = bytes;
}

void VxTrace::Set_logging_switch(Switch_reader reader) { g_switch.store(reader); }

bool VxTrace::Markers_on() const {
    Switch_reader reader = g_switch.load();
    return reader == nullptr || reader();
}

void VxTrace::Write(std::string_view text) { Write({text}); }

void VxTrace::Write(std::initializer_list<std::string_view> parts) {
    std::lock_guard<std::mutex> lock(impl_->mutex);
    impl_->Append(impl_->log, parts);
}

void VxTrace::Write_error(std::string_view text) {
    std::lock_guard<std::mutex> lock(impl_->mutex);
    impl_->Append(impl_->err, {text});
    // An error may be the last thing this process says: both files go out now.
    if (impl_->opened) impl_->Drain_all();
}

void VxTrace::Write_value(std::string_view name, double value) {
    char number[64];
    const int n = std::snprintf(number, sizeof number, ":%f", value);
    Write({name, std::string_view(number, n > 0 ? std::min<std::size_t>(n, sizeof number - 1) : 0)});
}

void VxTrace::Write_value(std::string_view name, int value) {
    char number[32];
    const int n = std::snprintf(number, sizeof number, ":%d", value);
    Write({name, std::string_view(number, n > 0 ? std::min<std::size_t>(n, sizeof number - 1) : 0)});
}

void VxTrace::Enter(std::string_view name) {
    if (Markers_on()) Write({"> **(", name, ")**"});
}

void VxTrace::Leave(std::string_view name) {
    if (Markers_on()) Write({"< --(", name, ")--"});
}

double VxTrace::Time_ms() {
    const auto base = Clock_base();
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - base).count();
}
