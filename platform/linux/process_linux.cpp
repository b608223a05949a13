// Ending the process, and the last words on every way out: Exit_process, the return from main
// (atexit) and the fatal signals, whose handler writes, restores the previous handler and re-raises.
#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>

#include <unistd.h>

#include "platform/process.h"

namespace Platform {
namespace {
std::atomic<Last_words> g_words{nullptr};

constexpr int Fatal_signals[] = {SIGSEGV, SIGABRT, SIGBUS, SIGFPE};
struct sigaction g_previous[sizeof(Fatal_signals) / sizeof(Fatal_signals[0])];

void Say_last_words(Way_out way) {
    if (Last_words words = g_words.load()) words(way);
}
void Say_last_words_at_exit() { Say_last_words(Way_out::Orderly); }

void On_fatal_signal(int signal) {
    Say_last_words(Way_out::Fatal_signal);
    // Whoever handled the signal before (the default, or a sanitizer's report) takes it from here.
    for (size_t i = 0; i < sizeof(Fatal_signals) / sizeof(Fatal_signals[0]); ++i)
        if (Fatal_signals[i] == signal) sigaction(signal, &g_previous[i], nullptr);
    raise(signal);
}

void Install_handlers() {
    std::atexit(&Say_last_words_at_exit);
    for (size_t i = 0; i < sizeof(Fatal_signals) / sizeof(Fatal_signals[0]); ++i) {
        struct sigaction action {};
        action.sa_handler = &On_fatal_signal;
        sigemptyset(&action.sa_mask);
        action.sa_flags = SA_RESETHAND;
        sigaction(Fatal_signals[i], &action, &g_previous[i]);
    }
}
}  // namespace

void Set_last_words(Last_words words) {
    static const bool installed = (Install_handlers(), true);
    (void)installed;
    g_words.store(words);
}

bool Write_raw(int fd, const char* data, std::size_t size) {
    while (size > 0) {
        ssize_t written = ::write(fd, data, size);
        if (written < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        data += written;
        size -= static_cast<std::size_t>(written);
    }
    return true;
}

[[noreturn]] void Exit_process(int code) {
    Say_last_words(Way_out::Orderly);
    std::fflush(nullptr);
    std::_Exit(code);
}
}  // namespace Platform
