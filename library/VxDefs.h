// The shared text helpers of the jukebox: regular-expression extraction, extensions, case,
// number-to-text, splitting, start-character stepping, accent folding and the random draw.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

// Anchored full match of pattern against input; capture 1, or "no match" when there is no match or
// capture 1 is empty; the expression library's error text when the pattern is invalid.
// Each pattern text is compiled once per thread and kept.
std::string regex_extract(std::string_view input, const std::string& pattern);

// The text after the last dot, upper-cased; "" without a dot.
std::string get_extension(const std::string& path);
// True for the song extensions WMA, WAV, MP3, OGG, AAC, APE, FLAC (upper-cased extension, exact).
bool is_song_extension(const std::string& ext);

// Byte by byte through toupper/tolower; bytes above 127 stay as they are.
std::string to_upper(std::string text);
std::string to_lower(std::string text);

// Default stream formatting; "ERROR" when the stream fails.
std::string int_to_string(long long n);
std::string double_to_string(double x);

// Splits text at the first occurrence of delimiter; without one, left and right stay unchanged.
void rev_split_string(const std::string& text, const std::string& delimiter, std::string& left, std::string& right);

// Neighbours in the cycle "0".."9", "A".."Z"; the argument is upper-cased first.
std::string next_start_char(const std::string& c);
std::string previous_start_char(const std::string& c);

// Small e with acute and small o with stroke become "E" and "O", as Latin-1 bytes (0xE9, 0xF8)
// and as UTF-8 sequences (C3 A9, C3 B8). Every other byte stays.
std::string fold_accents(const std::string& text);

// A number in [start, stop - 1], or start when stop equals start (no draw). stop < start is a
// programming error: a message box, then the process ends with code 1. The generator is the classic
// runtime rand() (0..32767), seeded with the time in seconds on the first draw; spans above 32768
// combine two draws so that every value can come up.
int random_range(int start, int stop);
// Fixes the generator's state (tests); after this the first draw does not reseed from the clock.
void random_seed(std::uint32_t seed);
