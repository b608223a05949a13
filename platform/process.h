// The one place where the jukebox ends its own process with an exit code, and the last words
// (such as the trace's buffered lines) that every way out of the process still gets to write.
#pragma once

#include <cstddef>

namespace Platform {

// Ends the process at once with the given exit code, after the last words were written.
// Nothing else is saved here.
[[noreturn]] void Exit_process(int code);

// A function that writes what must not be lost. It runs on ordinary exits (Exit_process, the
// return from main) and from the handler of a fatal signal (segmentation fault, abort, bus error,
// arithmetic error), where it may only use async-signal-safe calls such as Write_raw.
enum class Way_out {
    Orderly,      // Exit_process or the return from main: locks may be taken
    Fatal_signal  // inside a signal handler: only async-signal-safe calls, never wait for a lock
};
using Last_words = void (*)(Way_out way);

// Installs the last words once for the whole process; a second call replaces the first. Any thread.
void Set_last_words(Last_words words);

// Writes bytes to an open file descriptor with no lock and no allocation, retrying short writes;
// safe inside a signal handler. Returns false when the descriptor refuses them.
bool Write_raw(int fd, const char* data, std::size_t size);

}  // namespace Platform
