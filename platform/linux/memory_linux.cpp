// The machine's memory figures for the display's memory report, from sysinfo.
// Available memory counts the free pages and the buffers the kernel would give back.
#include <sys/sysinfo.h>

#include "platform/surface.h"

namespace Platform {

bool Available_memory(std::uint64_t& total_bytes, std::uint64_t& free_bytes) {
    struct sysinfo info {};
    if (sysinfo(&info) != 0) return false;
    total_bytes = static_cast<std::uint64_t>(info.totalram) * info.mem_unit;
    free_bytes = static_cast<std::uint64_t>(info.freeram + info.bufferram) * info.mem_unit;
    return true;
}

}  // namespace Platform
