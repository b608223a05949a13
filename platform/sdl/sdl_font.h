// Where each back end finds the font that stands for "Arial": a file, or the font's bytes when the
// system hands out only those. Only platform/ includes this.
#pragma once

#include <string>
#include <vector>

namespace Platform {
struct Font_source {
    std::string file;                  // the font file; a name for diagnostics when bytes are given
    std::vector<unsigned char> bytes;  // the whole font file in memory; empty when file is to be opened
};
// Called once, on the first text call (UI thread) or on the thread Prefetch_font starts. Both empty
// when no font was found.
Font_source Arial_font();
}  // namespace Platform
