// The software source in use: the platform's, or the one a test chose.
#include "net/Software_source.h"

#include <optional>

namespace {
std::optional<Platform::Software_source> g_chosen;
}

Platform::Software_source Software_source_in_use() {
    return g_chosen ? *g_chosen : Platform::Platform_software_source();
}

void Use_software_source(Platform::Software_source source) { g_chosen = source; }
