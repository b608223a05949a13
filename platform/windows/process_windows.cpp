// Ending the process on Windows, and the last words on every way out: Exit_process, the return
// from main (atexit), and the crashes: an unhandled structured exception (access violation and the
// like) and abort's SIGABRT. Each writes the last words once and then lets Windows end the process.
#include <windows.h>
// The system headers below need the declarations of the ones above.
#include <io.h>

#include <atomic>
#include <csignal>
#include <cstdio>
#include <cstdlib>

#include "platform/process.h"

namespace Platform {
namespace {
std::atomic<Last_words> g_words{nullptr};
LPTOP_LEVEL_EXCEPTION_FILTER g_previous_filter = nullptr;

void Say_last_words(Way_out way) {
    if (Last_words words = g_words.load()) words(way);
}
void Say_last_words_at_exit() { Say_last_words(Way_out::Orderly); }

LONG WINAPI On_crash(EXCEPTION_POINTERS* exception) {
    Say_last_words(Way_out::Fatal_signal);
    // Whoever filtered before (a debugger's helper, Windows' report) takes it from here.
    return g_previous_filter ? g_previous_filter(exception) : EXCEPTION_CONTINUE_SEARCH;
}

void On_abort(int signal) {
    Say_last_words(Way_out::Fatal_signal);
    std::signal(signal, SIG_DFL);
    std::raise(signal);
}

void Install_handlers() {
    std::atexit(&Say_last_words_at_exit);
    g_previous_filter = SetUnhandledExceptionFilter(&On_crash);
    std::signal(SIGABRT, &On_abort);
}
}  // namespace

void Set_last_words(Last_words words) {
    static const bool installed = (Install_handlers(), true);
    (void)installed;
    g_words.store(words);
}

bool Write_raw(int fd, const char* data, std::size_t size) {
    while (size > 0) {
        const unsigned part = size > 0x40000000u ? 0x40000000u : static_cast<unsigned>(size);
        const int written = _write(fd, data, part);
        if (written <= 0) return false;
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
