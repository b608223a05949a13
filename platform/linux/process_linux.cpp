// The fatal signals of the Linux back end, whose handler writes the last words, restores the previous
// handler and re-raises, and the raw write that handler may use.
#include <unistd.h>

#include <cerrno>
#include <csignal>

#include "platform/backend_process.h"

namespace Platform {
namespace {
constexpr int Fatal_signals[] = {SIGSEGV, SIGABRT, SIGBUS, SIGFPE};
struct sigaction g_previous[sizeof(Fatal_signals) / sizeof(Fatal_signals[0])];

void On_fatal_signal(int signal) {
    Say_last_words(Way_out::Fatal_signal);
    // Whoever handled the signal before (the default, or a sanitizer's report) takes it from here.
    for (size_t i = 0; i < sizeof(Fatal_signals) / sizeof(Fatal_signals[0]); ++i)
        if (Fatal_signals[i] == signal) sigaction(signal, &g_previous[i], nullptr);
    raise(signal);
}
}  // namespace

void Backend_install_crash_handlers() {
    for (size_t i = 0; i < sizeof(Fatal_signals) / sizeof(Fatal_signals[0]); ++i) {
        struct sigaction action {};
        action.sa_handler = &On_fatal_signal;
        sigemptyset(&action.sa_mask);
        action.sa_flags = SA_RESETHAND;
        sigaction(Fatal_signals[i], &action, &g_previous[i]);
    }
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
}  // namespace Platform
