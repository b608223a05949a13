// The machine's memory figures from GlobalMemoryStatusEx, and the C runtime's heap compaction.
// Available memory is what Windows counts as available physical memory.
#include <malloc.h>
#include <windows.h>

#include "platform/memory.h"

namespace Platform {

bool Available_memory(std::uint64_t& total_bytes, std::uint64_t& free_bytes) {
    MEMORYSTATUSEX status{};
    status.dwLength = sizeof status;
    if (!GlobalMemoryStatusEx(&status)) return false;
    total_bytes = status.ullTotalPhys;
    free_bytes = status.ullAvailPhys;
    return true;
}

// _heapmin hands the C runtime heap's free blocks back; the process heap decommits its own free
// pages as they come.
void Give_back_free_memory() { _heapmin(); }

}  // namespace Platform
