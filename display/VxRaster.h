// A decoded image: width, height, 1 or 3 channels of 8-bit samples. Decodes JPEG files through
// libjpeg and writes the 24-bit BMP files of the cover cache.
#pragma once

#include <cstdint>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "display/VxPicture.h"
#include "platform/surface.h"

struct VxRgb {
    int r = 0, g = 0, b = 0;
};

class VxRaster {
public:
    // A JPEG that libjpeg cannot decode (corrupt, truncated, empty, unsupported); what() is libjpeg's text.
    struct Decode_error : std::runtime_error {
        using std::runtime_error::runtime_error;
    };
    // A JPEG whose header claims a size over the limit; refused before its pixels are allocated.
    struct Too_large : Decode_error {
        Too_large(int w, int h);
        int width, height;
    };

    // Sides and pixel count beyond which no JPEG is decoded, whatever the caller allows.
    static constexpr int Max_side = 16384;
    static constexpr std::int64_t Max_pixels = 40'000'000;

    explicit VxRaster(int channels = 3);

    // Whether decoding writes its two header lines to log.txt. A decoder on a worker thread keeps
    // them back: the thread that takes its picture writes them where its own decoding would have.
    enum class Header_trace { written, silent };
    enum class Header_step { reading, read };
    static void Write_header_trace(const std::string& path, Header_step step);

    // Decodes the file: false when it cannot be opened; throws Decode_error when libjpeg fails
    // and Too_large when a side exceeds max_side (or the image exceeds Max_pixels). Any thread:
    // each call has its own decompressor.
    bool Load_jpeg(const std::string& path, int max_side = Max_side, Header_trace trace = Header_trace::written);

    // The file decoded straight into a surface of display pixels, as Load_jpeg and Picture_rows
    // would make them, without the samples in between where libjpeg writes 32-bit pixels itself.
    // Null when the file cannot be opened; throws as Load_jpeg does, and std::bad_alloc when no
    // surface can be made. Any thread.
    static std::unique_ptr<Platform::Surface> Load_jpeg_surface(const std::string& path, int max_side,
                                                                Header_trace trace, VxPicture picture);

    // Reads only the header of the JPEG file for its size; false when the file cannot be opened or its
    // header read (nothing is traced: decoding reports what is wrong). Any thread.
    static bool Read_jpeg_size(const std::string& path, int& width, int& height);

    // Writes a 24-bit BMP: 0 on success, 1 when the file cannot be opened, 2 on a write error.
    // The file is written beside its target and renamed over it, so no half file stays.
    int Save_bmp(const std::string& path) const;

    void Resize(int width, int height);  // all samples 0
    int width() const { return width_; }
    int height() const { return height_; }
    int channels() const { return channels_; }
    // Outside the image: reading gives 0, writing does nothing. Grey rasters keep r.
    VxRgb Get_pixel(int row, int column) const;
    void Set_pixel(int row, int column, int r, int g, int b);
    // The samples of one row (width() x channels()), for callers that convert whole images; row must be inside.
    const std::uint8_t* Row_samples(int row) const {
        return samples_.data() + static_cast<std::size_t>(row) * width_ * channels_;
    }

private:
    int width_ = 0, height_ = 0, channels_ = 3;
    std::vector<std::uint8_t> samples_;  // row-major, channels_ per pixel
};
