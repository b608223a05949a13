// The machine's memory figures for the display's memory report, from GlobalMemoryStatusEx.
// Available memory is what Windows counts as available physical memory.
#include <windows.h>

#include "platform/surface.h"

namespace Platform {

bool Available_memory(std::uint64_t& total_bytes, std::uint64_t& free_bytes) {
    MEMORYSTATUSEX status{};
    status.dwLength = sizeof status;
    if (!GlobalMemoryStatusEx(&status)) return false;
    total_bytes = status.ullTotalPhys;
    free_bytes = status.ullAvailPhys;
    return true;
}

}  // namespace Platform
