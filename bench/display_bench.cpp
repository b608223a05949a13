// Composing and presenting one full 1920x1080 frame of the sample screen, as a ratio against
// one plain copy of a 1920x1080 32-bit buffer measured in the same run. Target: 10 copies or less.
// Usage: display_bench [PICS_FOLDER]   (default: the theme painted by the build, ../pics beside bench/)
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "display/Sample_screen.h"
#include "display/VxDirectX.h"
#include "platform/dialogs.h"

namespace {
using Clock = std::chrono::steady_clock;

template <class F>
double Median_ms(int runs, F&& f) {
    std::vector<double> times;
    for (int i = 0; i < runs; ++i) {
        const auto t0 = Clock::now();
        f();
        times.push_back(std::chrono::duration<double, std::milli>(Clock::now() - t0).count());
    }
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

std::string Default_pics() {
    char exe[4096] = {};
    const ssize_t n = readlink("/proc/self/exe", exe, sizeof exe - 1);
    std::string dir = n > 0 ? std::string(exe, n) : std::string(getcwd(exe, sizeof exe)) + "/display_bench";
    dir = dir.substr(0, dir.find_last_of('/'));
    return dir + "/../pics/";
}
}  // namespace

int main(int argc, char** argv) {
    const int w = 1920, h = 1080;
    const std::string pics = argc > 1 ? std::string(argv[1]) + "/" : Default_pics();
    // The trace and the message-box log go to a folder of their own, not where the bench was started.
    char scratch[] = "/tmp/display_bench-XXXXXX";
    if (!mkdtemp(scratch) || chdir(scratch) != 0) return 1;
    if (!std::getenv("SDL_VIDEODRIVER")) setenv("SDL_VIDEODRIVER", "dummy", 1);
    Platform::Set_headless(true);
    std::string error;
    if (!Platform::Window::Instance().Open("display_bench", 0, 0, w, h, error)) {
        std::fprintf(stderr, "display_bench: no window: %s\n", error.c_str());
        return 1;
    }
    VxDisplay_config config;
    config.pics_folder = pics;
    VxDirectX& dx = VxDirectX::Instance();
    dx.Init(&Platform::Window::Instance(), 0, 0, w, h, config);
    VxSample_screen screen(pics);

    std::vector<std::uint32_t> from(static_cast<size_t>(w) * h, 0x123456), to(from.size());
    const int runs = 60;
    for (int i = 0; i < 5; ++i) {  // warm both up
        screen.Compose();
        dx.Present();
        std::memcpy(to.data(), from.data(), from.size() * 4);
    }
    const double copy = Median_ms(runs, [&] {
        std::memcpy(to.data(), from.data(), from.size() * 4);
        from[to[7] & 0xFF] ^= 1;  // keep the copy from being optimised away
    });
    const double compose = Median_ms(runs, [&] { screen.Compose(); });
    const double frame = Median_ms(runs, [&] {
        screen.Compose();
        dx.Present();
    });
    std::printf("display_bench: one plain 1920x1080x32 copy      %.3f ms\n", copy);
    std::printf("display_bench: compose the sample screen       %.3f ms (%.1f copies)\n", compose, compose / copy);
    std::printf("display_bench: compose and present one frame   %.3f ms (%.1f copies, target 10)\n", frame,
                frame / copy);
    return 0;
}
