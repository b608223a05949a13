// The library file's text: Boost.Serialization's text archive of one c_mlist (library version 3),
// written straight into one string, and the same text through the archive library for comparison.
#pragma once

#include <string>

#include "library/VxDatabase.h"

namespace Library_text {

// The whole file: the header, the archive's tokens and its final line feed, byte for byte what the
// archive library writes (Through_archive), at the cost of copying the strings.
std::string Write(const c_mlist& library);

// The same text through the archive library itself: the reference Write is held to (tests, fuzzing).
std::string Through_archive(const c_mlist& library);

}  // namespace Library_text
