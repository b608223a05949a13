// The display: the back buffer of the window's size that every frame is composed in, its
// presentation, the refresh period for the frame pacing, and surfaces made from image files.
#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "display/Picture_prefetch.h"
#include "display/Refresh_measurement.h"
#include "display/VxPicture.h"
#include "display/VxRaster.h"
#include "platform/surface.h"

class VxBitmap;

// What the display takes from the settings, so that it can also run without a settings file.
struct VxDisplay_config {
    bool use_video_memory = false;
    std::string pics_folder = "../pics/";  // ends in a separator
};

// The result codes the display reports in plain words (Show_error).
enum class VxDX_result {
    Ok,
    Out_of_video_memory,
    Primary_surface_already_exists,
    Invalid_pixel_format,
    Out_of_memory,
    Incompatible_primary,
    Invalid_caps,
    Other,
};

class VxDirectX {
public:
    static VxDirectX& Instance();  // created on first use, never destroyed. UI thread only.

    // Sets the display up on the opened window; the rectangle is in screen pixels. The first
    // form reads "UseVideoMemory" and the pictures folder from the settings. Set-up failures
    // show their message and end the process with exit code 1.
    void Init(Platform::Window* window, int left, int top, int right, int bottom);
    void Init(Platform::Window* window, int left, int top, int right, int bottom, const VxDisplay_config& config);
    bool Is_initialised() const { return back_buffer_ != nullptr; }

    // The refresh period in ms for the frame pacing, at once: the display mode's (60 Hz where the
    // driver reports none) until the presented frames have measured it, then the measured one.
    // Traces the rate it starts with; the first frame calls it. Never waits for a blank.
    double Get_monitor_refresh_rate();
    // The same period without the trace, for every frame.
    double Refresh_period_ms() const { return period_ms_; }
    // The measurement on a blank clock: five attempts of two blank-to-blank measurements; empty when
    // no attempt had two measurements within 2 ms, else the fifth attempt's second measurement.
    static std::optional<double> Measure_refresh_period(const std::function<void()>& wait_for_blank,
                                                        const std::function<double()>& clock_ms);
    // One blank-to-blank time seen between two presents at consecutive blanks. When the measurement
    // is complete the pacing takes its period; an unstable one keeps the period it had, and says so
    // in error.txt. Present feeds it where presents return at real blanks.
    void Add_blank_interval(double ms);
    int Get_scan_line() const;

    void Present();                                  // the whole back buffer to the window
    void Blit(double x, double y, VxBitmap& image);  // at (x, y) per cent of the window
    void Get_window_size(int& width, int& height) const;
    int Window_width() const { return width_; }
    int Window_height() const { return height_; }
    Platform::Surface& Back_buffer() { return *back_buffer_; }

    // An empty (black) off-screen surface; ends the process when none can be made.
    std::unique_ptr<Platform::Surface> Create_surface(int width, int height, bool want_video);
    // A surface holding a JPEG or BMP file, with its size. Null when the file cannot be decoded
    // (the error is traced and shown first): loading goes on without the picture.
    std::unique_ptr<Platform::Surface> bitmap_surface(const std::string& path, int& width, int& height,
                                                      VxPicture picture = VxPicture::Theme);
    // Start-up's theme pictures (JPEG files, in the order it loads them) decoded ahead on one
    // thread per core; bitmap_surface takes them from there until End_prefetch, with the same pixels
    // and trace lines as its own decoding. A file not listed, or not decoded, is decoded in place.
    void Prefetch_pictures(std::vector<std::string> paths);
    void End_prefetch();
    // A theme JPEG too large to decode at every load may wait until it is first drawn: when path is
    // one, its size, with the lines bitmap_surface writes for it written now, in their place. False,
    // with nothing written, for any other file: the caller loads it at once.
    bool Deferred_picture_size(const std::string& path, int& width, int& height);
    // The pixels of a picture deferred so: prefetched or decoded here, without the header lines
    // written already. Null after the decoder's error was traced and shown.
    std::unique_ptr<Platform::Surface> Deferred_picture(const std::string& path);
    // A cover's pixels of exactly the key colour become the nearest colour that is not the key.
    static void Keep_off_key(Platform::Surface& surface);

    void Show_available_memory();
    void Show_error(VxDX_result code);
    static std::string Error_text(VxDX_result code);

    // Covers are limited to 2048 pixels a side while this is on.
    void Set_size_limit(bool on) { size_limit_ = on; }
    bool Size_limit() const { return size_limit_; }
    static constexpr int Cover_size_limit = 2048;

    const std::string& Pics_folder() const { return config_.pics_folder; }

private:
    VxDirectX() = default;
    std::unique_ptr<Platform::Surface> Jpeg_surface(const std::string& path, VxPicture picture,
                                                    VxRaster::Header_trace trace = VxRaster::Header_trace::written);
    // Null: decode in place.
    std::unique_ptr<Platform::Surface> Prefetched_surface(const std::string& path, VxRaster::Header_trace trace);
    void Require_init();

    Platform::Window* window_ = nullptr;
    int left_ = 0, top_ = 0, right_ = 0, bottom_ = 0, width_ = 0, height_ = 0;
    bool size_limit_ = false;
    bool video_memory_ = false;
    bool too_large_shown_ = false;
    bool total_memory_traced_ = false;
    bool present_error_traced_ = false;
    VxDX_result last_result_ = VxDX_result::Ok;
    double period_ms_ = 1000.0 / 60.0;
    double last_present_ms_ = -1;  // when the last present returned at a blank; -1 before the first
    Refresh_measurement measurement_;
    VxDisplay_config config_;
    std::unique_ptr<Platform::Surface> back_buffer_;
    Picture_prefetch prefetch_;
};
