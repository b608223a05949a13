// JPEG decoding through libjpeg with an error handler that returns to the caller instead of
// ending the process, and the 24-bit BMP writer of the cover cache.
#include "display/VxRaster.h"

#include "display/Bmp_file.h"

// clang-format off
#include <cstdio>
#include <csetjmp>
#include <jpeglib.h>
#include <jerror.h>
// clang-format on

#include <algorithm>
#include <bit>

#include "display/Picture_rows.h"
#include "settings/Atomic_file.h"
#include "trace/VxTrace.h"

namespace {

struct Error_manager {
    jpeg_error_mgr pub;
    std::jmp_buf jump;
    char message[JMSG_LENGTH_MAX];
};

// libjpeg's own handler exits the process; this one jumps back to Decode.
void On_error(j_common_ptr cinfo) {
    auto* err = reinterpret_cast<Error_manager*>(cinfo->err);
    (*cinfo->err->format_message)(cinfo, err->message);
    std::longjmp(err->jump, 1);
}

// Warnings are ignored except a premature end of file: a truncated image is an error here.
void On_message(j_common_ptr cinfo, int level) {
    if (level < 0 && cinfo->err->msg_code == JWRN_JPEG_EOF) On_error(cinfo);
}

// Where the pixels go: samples of the asked channels, or (where libjpeg writes them) the display's
// 32-bit pixels in a surface. Both live outside Decode, which libjpeg may jump out of.
struct Decoded {
    std::vector<std::uint8_t>* samples = nullptr;
    std::unique_ptr<Platform::Surface>* surface = nullptr;
    int width = 0, height = 0, components = 0;
};

// libjpeg-turbo writes B, G, R and a filler byte, which is a display pixel on a little-endian machine.
#ifdef JCS_EXTENSIONS
constexpr bool Writes_pixels = std::endian::native == std::endian::little;
constexpr J_COLOR_SPACE Pixel_space = JCS_EXT_BGRX;
#else
constexpr bool Writes_pixels = false;
constexpr J_COLOR_SPACE Pixel_space = JCS_RGB;
#endif

enum Decode_result { Decoded_ok, Decode_failed, Decode_too_large, Decode_no_memory };

// Everything that libjpeg may jump out of lives here, with no C++ object of this frame alive
// across the jump.
Decode_result Decode(std::FILE* file, const std::string& path, int max_side, int channels, Decoded* out,
                     Error_manager* err, VxRaster::Header_trace trace) {
    jpeg_decompress_struct cinfo;
    cinfo.err = jpeg_std_error(&err->pub);
    err->pub.error_exit = On_error;
    err->pub.emit_message = On_message;
    err->message[0] = 0;
    if (setjmp(err->jump)) {
        jpeg_destroy_decompress(&cinfo);
        return Decode_failed;
    }
    jpeg_create_decompress(&cinfo);
    jpeg_stdio_src(&cinfo, file);
    if (trace == VxRaster::Header_trace::written) VxRaster::Write_header_trace(path, VxRaster::Header_step::reading);
    jpeg_read_header(&cinfo, TRUE);
    if (trace == VxRaster::Header_trace::written) VxRaster::Write_header_trace(path, VxRaster::Header_step::read);
    out->width = static_cast<int>(cinfo.image_width);
    out->height = static_cast<int>(cinfo.image_height);
    if (out->width > max_side || out->height > max_side ||
        static_cast<std::int64_t>(out->width) * out->height > VxRaster::Max_pixels) {
        jpeg_destroy_decompress(&cinfo);
        return Decode_too_large;
    }
    cinfo.out_color_space = out->surface ? Pixel_space : channels == 1 ? JCS_GRAYSCALE : JCS_RGB;
    jpeg_start_decompress(&cinfo);
    out->width = static_cast<int>(cinfo.output_width);
    out->height = static_cast<int>(cinfo.output_height);
    out->components = cinfo.output_components;
    if (out->surface) {
        *out->surface = Platform::Surface::Create(out->width, out->height);
        if (!*out->surface) {
            jpeg_destroy_decompress(&cinfo);
            return Decode_no_memory;
        }
        Platform::Surface& target = **out->surface;
        while (cinfo.output_scanline < cinfo.output_height) {
            JSAMPROW row = reinterpret_cast<JSAMPROW>(target.Row(static_cast<int>(cinfo.output_scanline)));
            jpeg_read_scanlines(&cinfo, &row, 1);
        }
    } else {
        const std::size_t stride = static_cast<std::size_t>(out->width) * out->components;
        out->samples->assign(stride * out->height, 0);
        while (cinfo.output_scanline < cinfo.output_height) {
            JSAMPROW row = out->samples->data() + stride * cinfo.output_scanline;
            jpeg_read_scanlines(&cinfo, &row, 1);
        }
    }
    jpeg_finish_decompress(&cinfo);
    jpeg_destroy_decompress(&cinfo);
    return Decoded_ok;
}

// The header alone, with the same error handler as Decode.
bool Read_header(std::FILE* file, Error_manager* err, int& width, int& height) {
    jpeg_decompress_struct cinfo;
    cinfo.err = jpeg_std_error(&err->pub);
    err->pub.error_exit = On_error;
    err->pub.emit_message = On_message;
    if (setjmp(err->jump)) {
        jpeg_destroy_decompress(&cinfo);
        return false;
    }
    jpeg_create_decompress(&cinfo);
    jpeg_stdio_src(&cinfo, file);
    jpeg_read_header(&cinfo, TRUE);
    width = static_cast<int>(cinfo.image_width);
    height = static_cast<int>(cinfo.image_height);
    jpeg_destroy_decompress(&cinfo);
    return true;
}

}  // namespace

bool VxRaster::Read_jpeg_size(const std::string& path, int& width, int& height) {
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (!file) return false;
    Error_manager err;
    int w = 0, h = 0;
    const bool ok = Read_header(file, &err, w, h);
    std::fclose(file);
    if (!ok) return false;
    width = w;
    height = h;
    return true;
}

VxRaster::Too_large::Too_large(int w, int h)
    : Decode_error("image of " + std::to_string(w) + " x " + std::to_string(h) + " pixels is too large"),
      width(w),
      height(h) {}

VxRaster::VxRaster(int channels) : channels_(channels == 1 ? 1 : 3) {}

void VxRaster::Resize(int width, int height) {
    width_ = std::max(0, width);
    height_ = std::max(0, height);
    samples_.assign(static_cast<std::size_t>(width_) * height_ * channels_, 0);
}

VxRgb VxRaster::Get_pixel(int row, int column) const {
    if (row < 0 || column < 0 || row >= height_ || column >= width_) return {};
    const std::uint8_t* p = &samples_[(static_cast<std::size_t>(row) * width_ + column) * channels_];
    if (channels_ == 1) return {p[0], p[0], p[0]};
    return {p[0], p[1], p[2]};
}

void VxRaster::Set_pixel(int row, int column, int r, int g, int b) {
    if (row < 0 || column < 0 || row >= height_ || column >= width_) return;
    auto clamp = [](int v) { return static_cast<std::uint8_t>(std::clamp(v, 0, 255)); };
    std::uint8_t* p = &samples_[(static_cast<std::size_t>(row) * width_ + column) * channels_];
    p[0] = clamp(r);
    if (channels_ == 3) {
        p[1] = clamp(g);
        p[2] = clamp(b);
    }
}

void VxRaster::Write_header_trace(const std::string& path, Header_step step) {
    if (step == Header_step::reading)
        VxTrace::Instance().Write("trying to read jpg header of file :" + path);
    else
        VxTrace::Instance().Write("trying to read jpg header OK");
}

bool VxRaster::Load_jpeg(const std::string& path, int max_side, Header_trace trace) {
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (!file) return false;
    std::vector<std::uint8_t> samples;
    Decoded out;
    out.samples = &samples;
    Error_manager err;
    const Decode_result result = Decode(file, path, std::min(max_side, Max_side), channels_, &out, &err, trace);
    std::fclose(file);
    if (result == Decode_too_large) throw Too_large(out.width, out.height);
    if (result == Decode_failed) throw Decode_error(err.message[0] ? err.message : "unknown JPEG error");
    width_ = out.width;
    height_ = out.height;
    samples_ = std::move(samples);
    return true;
}

std::unique_ptr<Platform::Surface> VxRaster::Load_jpeg_surface(const std::string& path, int max_side,
                                                               Header_trace trace, VxPicture picture) {
    if (!Writes_pixels) {
        VxRaster raster(3);
        if (!raster.Load_jpeg(path, max_side, trace)) return nullptr;
        auto surface = Platform::Surface::Create(raster.width(), raster.height());
        if (!surface) throw std::bad_alloc();
        for (int row = 0; row < raster.height(); ++row)
            Picture_rows::Convert(raster.Row_samples(row), raster.channels(), raster.width(), picture,
                                  surface->Row(row));
        return surface;
    }
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (!file) return nullptr;
    std::unique_ptr<Platform::Surface> surface;
    Decoded out;
    out.surface = &surface;
    Error_manager err;
    const Decode_result result = Decode(file, path, std::min(max_side, Max_side), 3, &out, &err, trace);
    std::fclose(file);
    if (result == Decode_too_large) throw Too_large(out.width, out.height);
    if (result == Decode_failed) throw Decode_error(err.message[0] ? err.message : "unknown JPEG error");
    if (result == Decode_no_memory) throw std::bad_alloc();
    for (int row = 0; row < surface->Height(); ++row)
        Picture_rows::Convert_in_place(surface->Row(row), surface->Width(), picture);
    return surface;
}

int VxRaster::Save_bmp(const std::string& path) const {
    const Bmp_result result =
        Write_bmp(path, width_, height_, Bmp_depth::bits_24, Bmp_padding_word::present, [this](int row, int col) {
            const VxRgb p = Get_pixel(row, col);
            return static_cast<std::uint32_t>(p.r << 16 | p.g << 8 | p.b);
        });
    return result == Bmp_result::written ? 0 : result == Bmp_result::cannot_create ? 1 : 2;
}
