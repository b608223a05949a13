// Heap memory put in place ahead of a burst of small allocations. Each page the allocator takes
// fresh from the system traps on its first write, and on a virtual machine such a trap costs about
// as much as 12 us of work: reading the library file builds some 60,000 small blocks over 9 MB, and
// faulted them in page by page on the start-up's critical path.
#pragma once

#include <cstddef>

namespace Platform {

// For its lifetime, about `bytes` of the calling thread's heap are resident and free for the thread's
// next allocations (on Linux: blocks taken from the thread's malloc arena, laid on huge pages where
// the system gives them, populated in one call and freed again, behind a small block that keeps them
// from being trimmed at once). What the burst does not use is the allocator's free memory as any other.
// Elsewhere it does nothing. Construct and destroy it on the same thread; the allocations it is for
// go in between.
class Heap_warming {
public:
    explicit Heap_warming(std::size_t bytes);
    ~Heap_warming();
    Heap_warming(const Heap_warming&) = delete;
    Heap_warming& operator=(const Heap_warming&) = delete;

private:
    void* guard_ = nullptr;
};

}  // namespace Platform
