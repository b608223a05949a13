// The one writer of the BMP files the jukebox makes: the cover cache's 24-bit bitmaps, screenshots
// of surfaces (32-bit) and the painted theme. Rows go bottom-up, as Windows stores them.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

enum class Bmp_depth { bits_24, bits_32 };

// The cover cache's files carry one more word after the info header: the row padding count.
enum class Bmp_padding_word { absent, present };

enum class Bmp_result { written, cannot_create, write_failed };

// The colour of a pixel as 0x00RRGGBB; row 0 is the top row.
using Bmp_pixels = std::function<std::uint32_t(int row, int col)>;

// Writes the whole file beside its target and renames it over it (Atomic_file), so no half file is
// ever left. Any thread; touches nothing but the file.
Bmp_result Write_bmp(const std::string& path, int width, int height, Bmp_depth depth, Bmp_padding_word padding_word,
                     const Bmp_pixels& pixels);
