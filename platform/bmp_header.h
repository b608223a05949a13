// The size check a BMP file passes before its pixels are allocated: a header of a few bytes can claim any
// size, and the loader would allocate it whole. Plain C++ on the file's first bytes; any thread.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace Platform {

// No bitmap is loaded beyond these, as no JPEG is decoded beyond them.
inline constexpr int Max_bmp_side = 16384;
inline constexpr std::int64_t Max_bmp_pixels = 40'000'000;
// How many of the file's first bytes the check reads: the file header and the info header's fields.
inline constexpr std::size_t Bmp_header_bytes = 34;

// Why a bitmap with this start and file size is not loaded: sides or pixels over the limits, a header that
// ends before its fields, or (for uncompressed pixels) more pixel bytes than the file holds. "" when it may
// be loaded, and for a start that is no bitmap header (the loader reports that in its own words).
std::string Bmp_header_refusal(const unsigned char* head, std::size_t size, std::uint64_t file_size);

}  // namespace Platform
