// A decoded JPEG row as the display's pixels: theme pictures turn their painted-in blue into the
// colour key, covers keep every colour. Plain functions, safe on any thread.
#pragma once

#include <cstdint>

#include "display/VxPicture.h"
#include "platform/surface.h"

namespace Picture_rows {

// Blue above 245 with green below 33 is the painted-in transparency of the theme's JPEG images.
inline Platform::Pixel Keyed(int r, int g, int b) {
    if (b > 245 && g < 33) return Platform::Colour_key;
    return Platform::Make_pixel(r, g, b);
}

// width pixels from width x channels samples (1: grey, 3: RGB).
inline void Convert(const std::uint8_t* in, int channels, int width, VxPicture picture, Platform::Pixel* out) {
    const int step = channels == 3 ? 3 : 1;
    const int g = step == 3 ? 1 : 0, b = step == 3 ? 2 : 0;
    for (int col = 0; col < width; ++col, in += step)
        out[col] = picture == VxPicture::Theme ? Keyed(in[0], in[g], in[b]) : Platform::Make_pixel(in[0], in[g], in[b]);
}

// width pixels that hold the red, green and blue samples where a display pixel keeps them (and
// anything in the top byte), converted as Convert converts samples.
inline void Convert_in_place(Platform::Pixel* row, int width, VxPicture picture) {
    for (int col = 0; col < width; ++col) {
        const int r = static_cast<int>((row[col] >> 16) & 0xFF), g = static_cast<int>((row[col] >> 8) & 0xFF),
                  b = static_cast<int>(row[col] & 0xFF);
        row[col] = picture == VxPicture::Theme ? Keyed(r, g, b) : Platform::Make_pixel(r, g, b);
    }
}

}  // namespace Picture_rows
