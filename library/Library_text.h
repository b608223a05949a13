// The library file's text: Boost.Serialization's text archive of one c_mlist (library version 3),
// written straight into one string and read straight back, and the same text through the archive
// library for comparison.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "library/VxDatabase.h"

namespace Library_text {

// The whole file: the header, the archive's tokens and its final line feed, byte for byte what the
// archive library writes (Through_archive), at the cost of copying the strings.
std::string Write(const c_mlist& library);

// The text in the form Write gives it (library version 3, one space between tokens, class information
// "0 0" where Write puts it, finite doubles), read back without the archive library: the start-up's
// load in a fraction of the time, with the content the archive library reads from the same text.
// Empty for any other text, valid or not; the caller then reads it through the archive library,
// which accepts every form it writes and refuses what is corrupt. Any thread; no state.
std::optional<c_mlist> Read(std::string_view text);

// The same text through the archive library itself: the reference Write is held to (tests, fuzzing).
std::string Through_archive(const c_mlist& library);

// Any text read through the archive library, with every count and string length checked against the
// bytes that remain: what Load does with a text Read leaves, and the reference Read is held to. Throws
// std::exception when the text is corrupt. One reading at a time (the checks keep the stream in a
// global); positions are not checked here.
c_mlist Read_through_archive(std::string_view text);

}  // namespace Library_text
