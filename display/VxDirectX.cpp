// The display on the platform's window and surfaces: set-up, presentation, the refresh
// measurement, clipped blits of images, and JPEG/BMP files turned into surfaces.
#include "display/VxDirectX.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <thread>

#include "display/VxBitmap.h"
#include "display/VxRaster.h"
#include "platform/dialogs.h"
#include "platform/memory.h"
#include "platform/process.h"
#include "trace/VxTrace.h"

namespace {
constexpr const char* Caption = "VxDirectX";

void Fail(const std::string& text) {
    Platform::Message_box(Caption, text);
    Platform::Exit_process(1);
}

std::string Upper_extension(const std::string& path) {
    const auto dot = path.find_last_of('.');
    std::string ext = dot == std::string::npos ? std::string() : path.substr(dot + 1);
    for (char& c : ext) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return ext;
}

// Green one step darker than the key: no eye tells it from the key colour, no blit takes it for it.
constexpr Platform::Pixel Near_key = 0x0000FE00;
}  // namespace

VxDirectX& VxDirectX::Instance() {
    static VxDirectX* dx = new VxDirectX;
    return *dx;
}

void VxDirectX::Init(Platform::Window* window, int left, int top, int right, int bottom,
                     const VxDisplay_config& config) {
    VxTraceScope scope("DX.Init");
    config_ = config;
    left_ = left;
    top_ = top;
    right_ = right;
    bottom_ = bottom;
    width_ = right - left;
    height_ = bottom - top;
    video_memory_ = config.use_video_memory;
    VxTrace::Instance().Write(video_memory_ ? "Used memory = VIDEO" : "Used memory = SYSTEM");
    // The window stands for DirectDraw's object, cooperative level and clipper: without an
    // open window there is nothing to draw on.
    if (!window || !window->Is_open()) Fail("DirectDrawCreate FAILED");
    window_ = window;
    period_ms_ = window->Refresh_period_ms();
    if (window->Width() != width_ || window->Height() != height_) {
        Platform::Message_box(Caption, "Error creating Primary Surface");
        last_result_ = VxDX_result::Invalid_caps;
        Show_error(last_result_);
        Platform::Exit_process(1);
    }
    back_buffer_ = width_ >= 0 && height_ >= 0 ? Platform::Surface::Create(width_, height_) : nullptr;
    if (!back_buffer_) {
        Platform::Message_box(Caption, "Error creating Secundary Surface");
        last_result_ = VxDX_result::Out_of_memory;
        Show_error(last_result_);
        Platform::Exit_process(1);
    }
}

std::optional<double> VxDirectX::Measure_refresh_period(const std::function<void()>& wait_for_blank,
                                                        const std::function<double()>& clock_ms) {
    Refresh_measurement measurement;
    while (measurement.Get_state() == Refresh_measurement::State::Measuring) {
        wait_for_blank();
        const double t0 = clock_ms();
        wait_for_blank();
        measurement.Add(clock_ms() - t0);
    }
    if (measurement.Get_state() != Refresh_measurement::State::Stable) return std::nullopt;
    return measurement.Result_ms();
}

double VxDirectX::Get_monitor_refresh_rate() {
    VxTraceScope scope("DX.Get_monitor_refresh_rate");
    Require_init();
    if (measurement_.Get_state() == Refresh_measurement::State::Measuring) period_ms_ = window_->Refresh_period_ms();
    if (period_ms_ > 0.1)
        VxTrace::Instance().Write("Monitor refresh rate (fps) = " + std::to_string(1000.0 / period_ms_));
    return period_ms_;
}

void VxDirectX::Add_blank_interval(double ms) {
    // Only a neighbouring blank counts: a frame that missed one, or a pause between frames, says
    // nothing about the period.
    if (ms < 0.5 * period_ms_ || ms > 1.5 * period_ms_) return;
    if (measurement_.Get_state() != Refresh_measurement::State::Measuring) return;
    switch (measurement_.Add(ms)) {
        case Refresh_measurement::State::Stable:
            period_ms_ = measurement_.Result_ms();
            VxTrace::Instance().Write("Monitor refresh rate measured (fps) = " + std::to_string(1000.0 / period_ms_));
            break;
        case Refresh_measurement::State::Unstable:
            // A busy machine is no reason to refuse to start: the pacing keeps the reported period.
            VxTrace::Instance().Write_error("Unable to find stable monitor frequency, pacing at " +
                                            std::to_string(1000.0 / period_ms_) + " fps");
            break;
        default:
            break;
    }
}

int VxDirectX::Get_scan_line() const { return window_ ? window_->Scan_line() : 0; }

void VxDirectX::Present() {
    if (!window_ || !back_buffer_) return;
    std::string error;
    if (!window_->Present(*back_buffer_, error)) {
        if (!present_error_traced_) {
            present_error_traced_ = true;  // once: a broken present would otherwise fill the trace every frame
            VxTrace::Instance().Write_error("DX.Present failed : " + error);
        }
        return;
    }
    if (!window_->Presents_at_blank()) return;
    const double now = VxTrace::Time_ms();
    if (last_present_ms_ >= 0) Add_blank_interval(now - last_present_ms_);
    last_present_ms_ = now;
}

void VxDirectX::Blit(double x, double y, VxBitmap& image) {
    if (x > 100 || y > 100 || !back_buffer_) return;
    // The place comes from the bitmap's size, so that a picture not yet decoded (VxBitmap) is
    // decoded only when some of it shows.
    const int left = static_cast<int>(x * 0.01 * width_);
    const int top = static_cast<int>(y * 0.01 * height_);
    const double zoom = image.Get_zoom();
    const int right = left + static_cast<int>(image.Surface_width() * zoom / 100);
    const int bottom = top + static_cast<int>(image.Surface_height() * zoom / 100);
    if (right < 0 || bottom < 0) return;
    const Platform::Rect dest{left, top, right, bottom};
    const Platform::Rect cut = Platform::Intersect(dest, image.Get_clip());
    if (cut.Empty()) return;
    Platform::Surface* surface = image.Get_surface();
    if (!surface) return;
    // The source is the part of the image that survives the cut; a zoomed image is scaled back
    // to its own pixels so that it stretches instead of reading past its surface.
    const double scale = zoom > 0 ? 100.0 / zoom : 1.0;
    const Platform::Rect source{static_cast<int>((cut.left - left) * scale), static_cast<int>((cut.top - top) * scale),
                                static_cast<int>(std::ceil((cut.right - left) * scale)),
                                static_cast<int>(std::ceil((cut.bottom - top) * scale))};
    const Platform::Rect bounded =
        Platform::Intersect(source, Platform::Rect{0, 0, surface->Width(), surface->Height()});
    if (bounded.Empty()) return;
    const Platform::Rect all{0, 0, width_, height_};
    if (!back_buffer_->Blit(*surface, bounded, cut, all, image.Get_colour_key()))
        Platform::Message_box(Caption, "Error in Blit");
}

void VxDirectX::Get_window_size(int& width, int& height) const {
    width = width_;
    height = height_;
}

void VxDirectX::Require_init() {
    if (!Is_initialised()) Fail("Warning, DirectX has NOT yet been initialized");
}

std::unique_ptr<Platform::Surface> VxDirectX::Create_surface(int width, int height, bool want_video) {
    Require_init();
    auto surface = Platform::Surface::Create(width, height);
    if (!surface && want_video && video_memory_) {
        Platform::Message_box(Caption, "Out of VIDEO memory, Changing to SYSTEM memory");
        surface = Platform::Surface::Create(width, height);
    }
    if (!surface) Fail("Error creating empty Surface");
    return surface;
}

void VxDirectX::Keep_off_key(Platform::Surface& surface) {
    for (int row = 0; row < surface.Height(); ++row) {
        Platform::Pixel* p = surface.Row(row);
        for (int col = 0; col < surface.Width(); ++col)
            if (Platform::Is_key(p[col])) p[col] = Near_key;
    }
}

void VxDirectX::Prefetch_pictures(std::vector<std::string> paths) {
    // The calling thread decodes too (what it asks for before a worker got to it), so the workers
    // and it make one thread per core.
    const int cores = static_cast<int>(std::thread::hardware_concurrency());
    prefetch_.Start(std::move(paths), std::max(1, cores - 1));
}

void VxDirectX::End_prefetch() { prefetch_.Stop(); }

std::unique_ptr<Platform::Surface> VxDirectX::Prefetched_surface(const std::string& path,
                                                                 VxRaster::Header_trace trace) {
    std::unique_ptr<Platform::Surface> surface = prefetch_.Take(path);
    if (!surface) return nullptr;
    const int limit = size_limit_ ? Cover_size_limit : VxRaster::Max_side;
    if (surface->Width() > limit || surface->Height() > limit) return nullptr;  // the decoder's own path refuses it
    if (trace == VxRaster::Header_trace::written) {  // the lines its own decoding writes, in their place
        VxRaster::Write_header_trace(path, VxRaster::Header_step::reading);
        VxRaster::Write_header_trace(path, VxRaster::Header_step::read);
    }
    return surface;
}

bool VxDirectX::Deferred_picture_size(const std::string& path, int& width, int& height) {
    const std::string ext = Upper_extension(path);
    if (ext != "JPG" && ext != "JPEG") return false;
    int w = 0, h = 0;
    if (!VxRaster::Read_jpeg_size(path, w, h)) return false;
    // A small picture decodes in less time than its header takes to read twice; one over a limit
    // takes the decoder's own path, which refuses it.
    const int limit = size_limit_ ? Cover_size_limit : VxRaster::Max_side;
    const std::int64_t pixels = static_cast<std::int64_t>(w) * h;
    if (pixels <= Picture_prefetch::Kept_pixels || w > limit || h > limit || pixels > VxRaster::Max_pixels)
        return false;
    VxTraceScope scope("DX.bitmap_surface");
    Require_init();
    VxRaster::Write_header_trace(path, VxRaster::Header_step::reading);
    VxRaster::Write_header_trace(path, VxRaster::Header_step::read);
    width = w;
    height = h;
    Show_available_memory();
    return true;
}

std::unique_ptr<Platform::Surface> VxDirectX::Deferred_picture(const std::string& path) {
    Require_init();
    return Jpeg_surface(path, VxPicture::Theme, VxRaster::Header_trace::silent);
}

std::unique_ptr<Platform::Surface> VxDirectX::Jpeg_surface(const std::string& path, VxPicture picture,
                                                           VxRaster::Header_trace trace) {
    if (picture == VxPicture::Theme)
        if (auto prefetched = Prefetched_surface(path, trace)) return prefetched;
    std::unique_ptr<Platform::Surface> surface;
    auto decoder_error = [&](const std::string& what) {
        const std::string text = "Could not load jpg ! Err :" + what + " (" + path + ")";
        VxTrace::Instance().Write_error(text);
        Platform::Message_box(Caption, text);
    };
    try {
        surface =
            VxRaster::Load_jpeg_surface(path, size_limit_ ? Cover_size_limit : VxRaster::Max_side, trace, picture);
        if (!surface) {
            decoder_error("the file cannot be opened");
            return nullptr;
        }
    } catch (const VxRaster::Too_large& e) {
        if (!size_limit_) {
            decoder_error(e.what());
            return nullptr;
        }
        const std::string text = "The image: " + path + " was too large\n" + "max = " + "2048" +
                                 "\\ actual = " + std::to_string(std::max(e.width, e.height)) +
                                 " [pixels]\nSee 'error.log' for more warnings of this type !";
        VxTrace::Instance().Write_error(text);
        if (!too_large_shown_) {
            too_large_shown_ = true;
            Platform::Message_box(Caption, text);
        }
        const std::string placeholder = config_.pics_folder + "IMAGE_no_cover.jpg";
        try {
            surface =
                VxRaster::Load_jpeg_surface(placeholder, Cover_size_limit, VxRaster::Header_trace::written, picture);
            if (!surface) {
                decoder_error("the file cannot be opened (" + placeholder + ")");
                return nullptr;
            }
        } catch (const VxRaster::Decode_error& again) {
            decoder_error(std::string(again.what()) + " (" + placeholder + ")");
            return nullptr;
        } catch (const std::bad_alloc&) {
            decoder_error("out of memory (" + placeholder + ")");
            return nullptr;
        }
    } catch (const VxRaster::Decode_error& e) {
        decoder_error(e.what());
        return nullptr;
    } catch (const std::bad_alloc&) {
        decoder_error("out of memory");
        return nullptr;
    }
    if (picture == VxPicture::Cover) Keep_off_key(*surface);
    return surface;
}

std::unique_ptr<Platform::Surface> VxDirectX::bitmap_surface(const std::string& path, int& width, int& height,
                                                             VxPicture picture) {
    VxTraceScope scope("DX.bitmap_surface");
    Require_init();
    const std::string ext = Upper_extension(path);
    std::unique_ptr<Platform::Surface> surface;
    if (ext == "JPG" || ext == "JPEG") {
        surface = Jpeg_surface(path, picture);
        if (!surface) return nullptr;
    } else if (ext == "BMP") {
        std::string error;
        surface = Platform::Surface::Load_bmp(path, error);
        if (!surface) {
            // A damaged bitmap (a cache file cut short) is reported; the program goes on without it.
            const std::string text = "Error creating Bitmap :" + path + "\n" + error;
            VxTrace::Instance().Write_error(text);
            Platform::Message_box(Caption, text);
            return nullptr;
        }
        if (picture == VxPicture::Cover) Keep_off_key(*surface);
    } else {
        VxTrace::Instance().Write_error("Cannot load :" + path);
        Platform::Message_box(Caption, "Cannot load :" + path);
        return nullptr;
    }
    width = surface->Width();
    height = surface->Height();
    Show_available_memory();
    return surface;
}

void VxDirectX::Show_available_memory() {
    std::uint64_t total = 0, free = 0;
    if (!Platform::Available_memory(total, free)) {
        Platform::Message_box(Caption, "GetAvailableVidMem FAILED");
        return;
    }
    if (!total_memory_traced_) {
        total_memory_traced_ = true;
        VxTrace::Instance().Write("total mem [MB]=" + std::to_string(total / 1000000));
    }
    VxTrace::Instance().Write("free mem [MB]=" + std::to_string(free / 1000000));
}

std::string VxDirectX::Error_text(VxDX_result code) {
    switch (code) {
        case VxDX_result::Out_of_video_memory:
            return "Out of Video Memory";
        case VxDX_result::Primary_surface_already_exists:
            return "Primary surface already exist\nPerhaps another directX application interferes ?";
        case VxDX_result::Invalid_pixel_format:
            return "Invalid pixel format";
        case VxDX_result::Out_of_memory:
            return "Out of Memory";
        case VxDX_result::Incompatible_primary:
            return "Incompatible Primary Surface";
        case VxDX_result::Invalid_caps:
            return "Invalid device capabilities";
        default:
            return "Unknown error !";
    }
}

void VxDirectX::Show_error(VxDX_result code) { Platform::Message_box(Caption, Error_text(code)); }
