// The jukebox window on SDL: a borderless window, a vsync'd renderer and one streaming texture
// that the back buffer is copied into once per frame, plus the vertical-blank clock.
#include <SDL.h>

#include <chrono>
#include <cmath>
#include <cstring>
#include <string>
#include <thread>

#include "platform/sdl/sdl_video.h"
#include "platform/sdl/surface_sdl.h"

namespace Platform {

using Clock = std::chrono::steady_clock;

namespace {
// Mesa's processor-drawn GL (llvmpipe, softpipe, swrast: a virtual X server, a machine without a
// graphics driver) has no blank to wait for, and its texture pass costs two threads a whole-window
// draw per frame; SDL's software renderer presents the same frame for a fraction of that.
bool Gl_draws_on_processor(SDL_Renderer* renderer) {
    SDL_RendererInfo info{};
    if (SDL_GetRendererInfo(renderer, &info) != 0 || !info.name || std::strncmp(info.name, "opengl", 6) != 0)
        return false;
    // The renderer's context is current on this thread right after it was made.
    using Get_string = const unsigned char* (*)(unsigned);
    const auto get_string = reinterpret_cast<Get_string>(SDL_GL_GetProcAddress("glGetString"));
    if (!get_string) return false;
    const unsigned char* name = get_string(0x1F01);  // GL_RENDERER
    if (!name) return false;
    const std::string text(reinterpret_cast<const char*>(name));
    for (const char* soft : {"llvmpipe", "softpipe", "Software Rasterizer", "swrast"})
        if (text.find(soft) != std::string::npos) return true;
    return false;
}

SDL_Renderer* Make_renderer(SDL_Window* window) {
    // A renderer the user asked for by name is left as SDL makes it.
    const bool chosen = SDL_GetHint(SDL_HINT_RENDER_DRIVER) != nullptr;
    SDL_Renderer* renderer = SDL_CreateRenderer(window, -1, SDL_RENDERER_PRESENTVSYNC);
    if (renderer && !chosen && Gl_draws_on_processor(renderer)) {
        SDL_DestroyRenderer(renderer);
        renderer = nullptr;
        // The window's own surface, not another GL texture behind the software renderer.
        SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");
    }
    if (!renderer) renderer = SDL_CreateRenderer(window, -1, SDL_RENDERER_SOFTWARE);
    return renderer;
}
}  // namespace

struct Window::Impl {
    SDL_Window* window = nullptr;
    SDL_Renderer* renderer = nullptr;
    SDL_Texture* texture = nullptr;
    int width = 0, height = 0;
    bool real_vsync = false;  // present blocks until a real blank: the blank clock follows it
    bool headless = false;    // a driver that shows nothing: presenting would only copy pixels about
    // The blank clock: blanks begin at base + k * period.
    Clock::time_point base = Clock::now();
    double period_ms = 1000.0 / 60.0;
    bool period_reported = false;
    int lines = 768;

    // The renderer and the streaming texture a shown window presents through; false when either failed.
    bool Make_presenter() {
        renderer = Make_renderer(window);
        if (renderer) texture = SDL_CreateTexture(renderer, Surface_format, SDL_TEXTUREACCESS_STREAMING, width, height);
        if (!renderer || !texture) {
            if (renderer) SDL_DestroyRenderer(renderer);
            renderer = nullptr;
            return false;
        }
        SDL_RendererInfo info{};
        SDL_GetRendererInfo(renderer, &info);
        real_vsync = (info.flags & SDL_RENDERER_PRESENTVSYNC) != 0;
        return true;
    }

    double Since_base_ms(Clock::time_point t) const {
        return std::chrono::duration<double, std::milli>(t - base).count();
    }
};

Window::Window() : impl_(new Impl) {}

Window& Window::Instance() {
    static Window* window = new Window;  // lives until exit, like the display that uses it
    return *window;
}

bool Window::Open(const std::string& title, int left, int top, int width, int height, std::string& error) {
    Impl& w = *impl_;
    if (w.window) return true;
    if (!Ensure_video()) {
        error = SDL_GetError();
        return false;
    }
    w.window = SDL_CreateWindow(title.c_str(), left, top, width, height, SDL_WINDOW_BORDERLESS | SDL_WINDOW_SHOWN);
    if (!w.window) {
        error = SDL_GetError();
        return false;
    }
    w.width = width;
    w.height = height;
    w.headless = Video_is_headless();
    // A window that shows nothing needs neither renderer nor texture: what it shows is the back buffer
    // itself, and they would be two more window-sized blocks cleared at every start.
    if (!w.headless && !w.Make_presenter()) {
        error = SDL_GetError();
        SDL_DestroyWindow(w.window);
        w.window = nullptr;
        return false;
    }
    SDL_DisplayMode mode{};
    const int display = std::max(0, SDL_GetWindowDisplayIndex(w.window));
    if (SDL_GetCurrentDisplayMode(display, &mode) == 0) {
        if (mode.refresh_rate > 0) {
            w.period_ms = 1000.0 / mode.refresh_rate;
            w.period_reported = true;
        }
        if (mode.h > 0) w.lines = mode.h;
    }
    w.base = Clock::now();
    return true;
}

bool Window::Is_open() const { return impl_->window != nullptr; }
int Window::Width() const { return impl_->width; }
int Window::Height() const { return impl_->height; }

bool Window::Present(const Surface& back_buffer, std::string& error) {
    Impl& w = *impl_;
    if (!w.window) {
        error = "the window is not open";
        return false;
    }
    SDL_Surface* s = Sdl(back_buffer);
    if (s->w != w.width || s->h != w.height) {
        error = "the back buffer does not have the window's size";
        return false;
    }
    // What a headless run shows is the back buffer itself (screenshots read it), never the window.
    if (w.headless) return true;
    if (SDL_UpdateTexture(w.texture, nullptr, s->pixels, s->pitch) != 0 ||
        SDL_RenderCopy(w.renderer, w.texture, nullptr, nullptr) != 0) {
        error = SDL_GetError();
        return false;
    }
    SDL_RenderPresent(w.renderer);
    if (w.real_vsync) w.base = Clock::now();  // the present returned at a blank
    return true;
}

void Window::Wait_for_vertical_blank() {
    const Impl& w = *impl_;
    const double now = w.Since_base_ms(Clock::now());
    const double next = (std::floor(now / w.period_ms) + 1.0) * w.period_ms;
    const auto deadline =
        w.base + std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double, std::milli>(next));
    // Sleep most of the way, then spin, so the wait ends within a fraction of a millisecond.
    const auto early = deadline - std::chrono::milliseconds(1);
    if (Clock::now() < early) std::this_thread::sleep_until(early);
    while (Clock::now() < deadline) std::this_thread::yield();
}

int Window::Scan_line() const {
    const Impl& w = *impl_;
    const double phase = std::fmod(w.Since_base_ms(Clock::now()), w.period_ms) / w.period_ms;
    return std::min(w.lines - 1, std::max(0, static_cast<int>(phase * w.lines)));
}

double Window::Refresh_period_ms() const { return impl_->period_ms; }
bool Window::Refresh_reported() const { return impl_->period_reported; }
bool Window::Presents_at_blank() const { return impl_->real_vsync; }

bool Window::Shows_frames() const { return impl_->window && !impl_->headless; }

void Window::Show() {
    if (!impl_->window) return;
    SDL_ShowWindow(impl_->window);
    SDL_RaiseWindow(impl_->window);
}

void Window::Minimise() {
    if (impl_->window) SDL_MinimizeWindow(impl_->window);
}

}  // namespace Platform
