// A plain-text listing of the library as the jukebox sees it: albums in order with their songs,
// then the start-character index and the size of the random list. Used by "--list" and by tests.
#pragma once

#include <ostream>

void Write_library_listing(std::ostream& out);
