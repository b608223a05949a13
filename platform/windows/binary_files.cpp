// Built into every program that links the platform layer (not into the library): files opened
// without "b" are binary too, so the text files (settings, tags, the trace) have the same bytes as on Linux.
// It runs while statics are made, before main and so before any file of the jukebox is opened.
#include <fcntl.h>
#include <stdlib.h>

namespace {
const int binary_mode_set = (_fmode = _O_BINARY);
}  // namespace
