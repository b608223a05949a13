// The crashes of the Windows back end: an unhandled structured exception (access violation and the
// like) and abort's SIGABRT each write the last words once and then let Windows end the process.
#include <windows.h>
// The system headers below need the declarations of the ones above.
#include <io.h>

#include <csignal>

#include "platform/backend_process.h"

namespace Platform {
namespace {
LPTOP_LEVEL_EXCEPTION_FILTER g_previous_filter = nullptr;

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
}  // namespace

void Backend_install_crash_handlers() {
    g_previous_filter = SetUnhandledExceptionFilter(&On_crash);
    std::signal(SIGABRT, &On_abort);
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
}  // namespace Platform
