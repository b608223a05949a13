// Text helpers of the internet services: extraction from untrusted answers, query encoding,
// and the test that a server's version text is a plain version identifier.
#pragma once

#include <string>

namespace Net_text {

// The failure marker of every extraction.
inline constexpr const char* No_match = "no match";

// Anchored full match of pattern against input, capture 1; "no match" when there is no match, the
// capture is empty, or the expression engine gives up (a huge or hostile answer is never an address).
std::string Extract(const std::string& input, const std::string& pattern);

// Percent-encodes text for a query value: unreserved characters stay, a space becomes "+",
// every other byte becomes "%XX", so "&", "=" or "#" in an album name cannot split the query.
std::string Encode_query_value(const std::string& text);

// True for "v" followed by digits and dots only (at most 32 characters, starting with a digit),
// the only kind of text that may become part of an installer's file name.
bool Is_plain_version(const std::string& text);

// The text without trailing white space (line ends of a version file).
std::string Trim_right(std::string text);

}  // namespace Net_text
