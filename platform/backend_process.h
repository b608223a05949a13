// What each back end gives the common process code: its crash handlers and the one call they make.
// Internal to the platform layer.
#pragma once

#include "platform/process.h"

namespace Platform {
// Common: calls the installed last words, if any. Safe from a signal handler.
void Say_last_words(Way_out way);
// Per back end: hooks the fatal signals or crashes so that they call Say_last_words(Fatal_signal)
// and then end the process as they would have. Called once, before the first words are stored.
void Backend_install_crash_handlers();
}  // namespace Platform
