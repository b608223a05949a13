// The BMP header check: the core header (12 bytes, 16-bit sides) and every later one (32-bit signed sides,
// a negative height for rows top-down). Uncompressed and bit-field rows have a size known from the header.
#include "platform/bmp_header.h"

#include <cstdlib>

namespace Platform {

namespace {

std::uint32_t U16(const unsigned char* p) { return static_cast<std::uint32_t>(p[0] | (p[1] << 8)); }
std::uint32_t U32(const unsigned char* p) {
    return static_cast<std::uint32_t>(p[0]) | static_cast<std::uint32_t>(p[1]) << 8 |
           static_cast<std::uint32_t>(p[2]) << 16 | static_cast<std::uint32_t>(p[3]) << 24;
}

constexpr std::uint32_t Bi_rgb = 0, Bi_bitfields = 3, Bi_alphabitfields = 6;

}  // namespace

std::string Bmp_header_refusal(const unsigned char* head, std::size_t size, std::uint64_t file_size) {
    if (size < 2 || head[0] != 'B' || head[1] != 'M') return "";
    // SDL reads the fields of a header cut short as whatever its reads leave there.
    if (size < 26) return "the bitmap's header is cut short";
    const std::uint32_t pixels_at = U32(head + 10);
    const std::uint32_t info_size = U32(head + 14);
    std::int64_t width = 0, height = 0;
    std::uint32_t bits = 0, compression = Bi_rgb;
    if (info_size == 12) {
        width = U16(head + 18);
        height = U16(head + 20);
        bits = U16(head + 24);
    } else if (info_size >= 40) {
        if (size < Bmp_header_bytes) return "the bitmap's header is cut short";
        width = static_cast<std::int32_t>(U32(head + 18));
        height = std::llabs(static_cast<std::int32_t>(U32(head + 22)));
        bits = U16(head + 28);
        compression = U32(head + 30);
    } else {
        return "";
    }
    if (width <= 0 || height <= 0) return "";  // the loader refuses these itself
    const std::string claim = std::to_string(width) + " x " + std::to_string(height) + " pixels";
    if (width > Max_bmp_side || height > Max_bmp_side || width * height > Max_bmp_pixels)
        return "the bitmap claims " + claim + ", more than a picture may have";
    if (compression == Bi_rgb || compression == Bi_bitfields || compression == Bi_alphabitfields) {
        const std::int64_t row_bytes = (width * bits + 31) / 32 * 4;
        const std::uint64_t needed = pixels_at + static_cast<std::uint64_t>(row_bytes * height);
        if (needed > file_size)
            return "the bitmap is cut short: " + claim + " need " + std::to_string(needed) + " bytes, the file has " +
                   std::to_string(file_size);
    }
    return "";
}

}  // namespace Platform
