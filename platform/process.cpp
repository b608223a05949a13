// The last words every way out of the process writes, and Exit_process: the same on every back end.
// The back ends add their crash handlers and the raw write.
#include <atomic>
#include <cstdio>
#include <cstdlib>

#include "platform/backend_process.h"

namespace Platform {
namespace {
std::atomic<Last_words> g_words{nullptr};
void Say_last_words_at_exit() { Say_last_words(Way_out::Orderly); }
}  // namespace

void Say_last_words(Way_out way) {
    if (Last_words words = g_words.load()) words(way);
}

void Set_last_words(Last_words words) {
    static const bool installed = (std::atexit(&Say_last_words_at_exit), Backend_install_crash_handlers(), true);
    (void)installed;
    g_words.store(words);
}

[[noreturn]] void Exit_process(int code) {
    Say_last_words(Way_out::Orderly);
    std::fflush(nullptr);
    std::_Exit(code);
}
}  // namespace Platform
