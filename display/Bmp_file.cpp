// The BMP writer: a BITMAPFILEHEADER and BITMAPINFOHEADER, uncompressed rows padded to four
// bytes, written in one piece through Atomic_file.
#include "display/Bmp_file.h"

#include <vector>

#include "settings/Atomic_file.h"

namespace {
void Put16(std::vector<std::uint8_t>& b, unsigned v) {
    b.push_back(v & 0xFF);
    b.push_back((v >> 8) & 0xFF);
}
void Put32(std::vector<std::uint8_t>& b, std::uint32_t v) {
    Put16(b, v & 0xFFFF);
    Put16(b, v >> 16);
}
}  // namespace

Bmp_result Write_bmp(const std::string& path, int width, int height, Bmp_depth depth, Bmp_padding_word padding_word,
                     const Bmp_pixels& pixels) {
    const std::uint32_t w = width > 0 ? static_cast<std::uint32_t>(width) : 0;
    const std::uint32_t h = height > 0 ? static_cast<std::uint32_t>(height) : 0;
    const std::uint32_t bytes = depth == Bmp_depth::bits_24 ? 3 : 4;
    const std::uint32_t row_size = (w * bytes + 3) & ~3u;
    const std::uint32_t padding = row_size - w * bytes;
    const std::uint32_t image_size = row_size * h;
    const std::uint32_t offset = padding_word == Bmp_padding_word::present ? 58 : 54;
    std::vector<std::uint8_t> data;
    data.reserve(offset + image_size);
    data.push_back('B');
    data.push_back('M');
    Put32(data, offset + image_size);
    Put32(data, 0);  // reserved
    Put32(data, offset);
    Put32(data, 40);  // info header
    Put32(data, w);
    Put32(data, h);  // positive: rows bottom-up
    Put16(data, 1);
    Put16(data, bytes * 8);
    Put32(data, 0);  // uncompressed
    Put32(data, image_size);
    for (int i = 0; i < 4; ++i) Put32(data, 0);
    if (padding_word == Bmp_padding_word::present) Put32(data, padding);
    for (int row = static_cast<int>(h) - 1; row >= 0; --row) {
        for (std::uint32_t col = 0; col < w; ++col) {
            const std::uint32_t rgb = pixels(row, static_cast<int>(col)) & 0x00FFFFFF;
            if (depth == Bmp_depth::bits_32) {
                Put32(data, rgb);
            } else {
                data.push_back(rgb & 0xFF);
                data.push_back((rgb >> 8) & 0xFF);
                data.push_back((rgb >> 16) & 0xFF);
            }
        }
        for (std::uint32_t k = 0; k < padding; ++k) data.push_back(0);
    }
    Atomic_file::Writer file(path);
    if (!file.Open()) return Bmp_result::cannot_create;
    if (!file.Append(reinterpret_cast<const char*>(data.data()), data.size()) || !file.Commit())
        return Bmp_result::write_failed;
    return Bmp_result::written;
}
