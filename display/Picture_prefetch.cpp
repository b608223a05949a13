// The start-up's picture prefetch. Workers claim entries in list order; a Take of an entry no one
// has claimed decodes it on the calling thread rather than wait behind the entries before it, and
// one that waits for a worker decodes the next unclaimed entries meanwhile.
#include "display/Picture_prefetch.h"

#include <algorithm>

#include "display/VxRaster.h"

Picture_prefetch::~Picture_prefetch() { Stop(); }

void Picture_prefetch::Start(std::vector<std::string> paths, int threads) {
    std::lock_guard<std::mutex> lock(mutex_);
    if (!workers_.empty()) return;
    entries_.clear();
    for (std::string& p : paths) entries_.push_back(Entry{std::move(p), State::queued, {}});
    next_ = 0;
    stopping_ = false;
    const int n = std::clamp(threads, 1, static_cast<int>(std::max<std::size_t>(1, entries_.size())));
    for (int i = 0; i < n; ++i) workers_.emplace_back([this] { Work(); });
}

std::unique_ptr<Platform::Surface> Picture_prefetch::Decode(const std::string& path) {
    try {
        return VxRaster::Load_jpeg_surface(path, VxRaster::Max_side, VxRaster::Header_trace::silent, VxPicture::Theme);
    } catch (...) {  // a decoder error or no memory: the caller's own decoding reports it
        return nullptr;
    }
}

void Picture_prefetch::Work() {
    std::unique_lock<std::mutex> lock(mutex_);
    while (!stopping_) {
        while (next_ < entries_.size() && entries_[next_].state != State::queued) ++next_;
        if (next_ >= entries_.size()) return;
        // Entries are never added or removed while workers run, so the index stays valid.
        Decode_entry(lock, next_++);
    }
}

void Picture_prefetch::Decode_entry(std::unique_lock<std::mutex>& lock, std::size_t i) {
    entries_[i].state = State::decoding;
    const std::string path = entries_[i].path;
    lock.unlock();
    std::unique_ptr<Platform::Surface> surface = Decode(path);
    lock.lock();
    entries_[i].surface = std::move(surface);
    entries_[i].state = State::done;
    done_.notify_all();
}

std::unique_ptr<Platform::Surface> Picture_prefetch::Take(const std::string& path) {
    std::unique_lock<std::mutex> lock(mutex_);
    auto it = std::find_if(entries_.begin(), entries_.end(),
                           [&](const Entry& e) { return e.path == path && e.state != State::handed_over; });
    if (it == entries_.end()) return nullptr;
    const std::size_t i = static_cast<std::size_t>(it - entries_.begin());
    if (entries_[i].state == State::queued) Decode_entry(lock, i);
    // While a worker decodes it, the caller decodes the next pictures in the list rather than wait:
    // on a machine with as many threads as cores the time would otherwise go unused.
    while (entries_[i].state != State::done) {
        while (next_ < entries_.size() && entries_[next_].state != State::queued) ++next_;
        if (next_ < entries_.size())
            Decode_entry(lock, next_++);
        else
            done_.wait(lock);
    }
    std::unique_ptr<Platform::Surface>& kept = entries_[i].surface;
    if (!kept) return nullptr;
    if (static_cast<long>(kept->Width()) * kept->Height() > Kept_pixels) {
        entries_[i].state = State::handed_over;  // the next Take of this path takes its next entry
        return std::move(kept);
    }
    auto copy = Platform::Surface::Create(kept->Width(), kept->Height());
    if (!copy) return nullptr;
    for (int row = 0; row < kept->Height(); ++row) std::copy_n(kept->Row(row), kept->Width(), copy->Row(row));
    return copy;
}

void Picture_prefetch::Stop() {
    std::vector<std::thread> workers;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        stopping_ = true;
        workers.swap(workers_);
    }
    for (std::thread& t : workers) t.join();
    std::lock_guard<std::mutex> lock(mutex_);
    entries_.clear();
    next_ = 0;
}
