// A binary semaphore on a mutex and a condition variable, for the hand-overs between a channel and
// its worker: std::binary_semaphore's timed acquire as mingw-w64's g++ 12 builds it now and then
// misses a release and sleeps its whole limit (a song start counted as failed after 5 s).
#pragma once

#include <chrono>
#include <condition_variable>
#include <mutex>

class Binary_signal {
public:
    // Any thread: sets the signal (a second release before an acquire is the same as one).
    void Release() {
        {
            std::lock_guard<std::mutex> lock(mutex_);
            set_ = true;
        }
        changed_.notify_one();
    }
    // Waits until the signal is set and takes it.
    void Acquire() {
        std::unique_lock<std::mutex> lock(mutex_);
        changed_.wait(lock, [this] { return set_; });
        set_ = false;
    }
    // As Acquire, for at most limit; false when the signal was not set in time.
    bool Try_acquire_for(std::chrono::milliseconds limit) {
        std::unique_lock<std::mutex> lock(mutex_);
        if (!changed_.wait_for(lock, limit, [this] { return set_; })) return false;
        set_ = false;
        return true;
    }

private:
    std::mutex mutex_;
    std::condition_variable changed_;
    bool set_ = false;
};
