// The machine's memory figures from sysinfo, and glibc's malloc_trim for giving free pages back.
// Available memory counts the free pages and the buffers the kernel would give back.
#include <malloc.h>
#include <sys/sysinfo.h>

#include "platform/memory.h"

namespace Platform {

bool Available_memory(std::uint64_t& total_bytes, std::uint64_t& free_bytes) {
    struct sysinfo info {};
    if (sysinfo(&info) != 0) return false;
    total_bytes = static_cast<std::uint64_t>(info.totalram) * info.mem_unit;
    free_bytes = static_cast<std::uint64_t>(info.freeram + info.bufferram) * info.mem_unit;
    return true;
}

// malloc_trim releases the top of the main heap and, since glibc 2.8, every whole free page inside
// every arena, which the allocator's own trimming (top of the heap only) never does.
void Give_back_free_memory() { malloc_trim(0); }

}  // namespace Platform
