// Theme pictures decoded ahead on worker threads while start-up does its other work: one libjpeg
// decompressor per thread, the pictures in the order start-up asks for them.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "platform/surface.h"

class Picture_prefetch {
public:
    // Pictures up to this many pixels stay after their first Take (the buttons are loaded dozens of
    // times); a larger one is handed over, and a second Take of it is decoded by the caller.
    static constexpr long Kept_pixels = 64 * 1024;

    Picture_prefetch() = default;
    ~Picture_prefetch();  // Stop
    Picture_prefetch(const Picture_prefetch&) = delete;
    Picture_prefetch& operator=(const Picture_prefetch&) = delete;

    // Starts decoding the files on the given number of threads (at least one), first to last. A file
    // listed n times is decoded n times, for n Takes of it. A second Start adds nothing while the
    // first runs. Thread that owns the prefetch only.
    void Start(std::vector<std::string> paths, int threads);
    // The surface of path, keyed as a theme picture: ready, or waited for while a worker decodes it
    // (decoding the next pictures no worker has begun meanwhile), or decoded here when no worker has
    // begun it. Null when path is not listed, was handed over as
    // often as it is listed, or its decoding failed: the caller decodes it itself, with its own error
    // reporting.
    std::unique_ptr<Platform::Surface> Take(const std::string& path);
    // Lets running decodes end, joins the workers and drops every picture. Nothing is listed afterwards.
    void Stop();

    // One file decoded the way a worker does; null when it cannot be opened or decoded. Surfaces are
    // plain memory until handed over, so a worker may make one.
    static std::unique_ptr<Platform::Surface> Decode(const std::string& path);

private:
    enum class State { queued, decoding, done, handed_over };
    struct Entry {
        std::string path;
        State state = State::queued;
        std::unique_ptr<Platform::Surface> surface;  // null when handed over or when decoding failed
    };
    void Work();
    // Decodes entry i, which was queued, with the lock released meanwhile; the entry is done after.
    void Decode_entry(std::unique_lock<std::mutex>& lock, std::size_t i);

    std::mutex mutex_;
    std::condition_variable done_;  // an entry became done
    std::vector<Entry> entries_;
    std::size_t next_ = 0;  // the first entry that may still be queued
    bool stopping_ = false;
    std::vector<std::thread> workers_;
};
