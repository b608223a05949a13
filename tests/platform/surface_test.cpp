// Keyed copies between surfaces: only the source's non-key pixels land, after every write to the
// source, and the source's run cache stays the size of one picture however often it is redrawn.
#include "platform/surface.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "platform/sdl/pixel_memory.h"
#include "platform/sdl/surface_sdl.h"

namespace {

constexpr int W = 40, H = 30;
const Platform::Rect All{0, 0, W, H};

// Stripes of the key, `period` pixels apart, so each pattern has its own number of runs per row.
void Paint(Platform::Surface& s, int period, Platform::Pixel colour) {
    for (int y = 0; y < H; ++y)
        for (int x = 0; x < W; ++x) s.Set_pixel(x, y, (x + y) % period == 0 ? Platform::Colour_key : colour);
}

void Expect_copied(const Platform::Surface& dst, int period, Platform::Pixel colour, Platform::Pixel ground) {
    for (int y = 0; y < H; ++y)
        for (int x = 0; x < W; ++x)
            ASSERT_EQ(dst.Get_pixel(x, y), (x + y) % period == 0 ? ground : colour)
                << "at (" << x << ", " << y << ") with period " << period;
}

}  // namespace

TEST(Surface, KeyedCopyFollowsEveryWriteAndKeepsItsRunCacheAtOnePictureSize) {
    auto source = Platform::Surface::Create(W, H);
    auto target = Platform::Surface::Create(W, H);
    ASSERT_TRUE(source && target);
    const Platform::Pixel ground = 0x000080;
    std::size_t runs_capacity = 0, rows_capacity = 0;
    for (int round = 0; round < 60; ++round) {
        const int period = 2 + round % 5;  // 2..6: from the most runs per row to the fewest and back
        const Platform::Pixel colour = 0x101010u * static_cast<unsigned>(1 + round % 15);
        Paint(*source, period, colour);
        target->Fill(ground);
        ASSERT_TRUE(target->Blit(*source, All, All, All, true, false));
        Expect_copied(*target, period, colour, ground);
        const Platform::Surface::Impl& impl = *source->impl();
        if (round == 4) {  // every pattern seen once: the cache has its largest size
            runs_capacity = impl.runs.capacity();
            rows_capacity = impl.row_start.capacity();
        } else if (round > 4) {
            EXPECT_EQ(impl.runs.capacity(), runs_capacity) << "round " << round;
            EXPECT_EQ(impl.row_start.capacity(), rows_capacity) << "round " << round;
        }
    }
    EXPECT_EQ(source->impl()->row_start.size(), static_cast<std::size_t>(H) + 1);
}

TEST(Surface, ANewSurfaceIsBlackWhereAFreedOneWasPainted) {
    // From the heap's reused blocks, from fresh maps, and from maps laid on huge pages.
    for (const int side : {12, 64, 600, 1100}) {
        for (int round = 0; round < 3; ++round) {
            {
                auto painted = Platform::Surface::Create(side, side);
                ASSERT_TRUE(painted);
                for (int y = 0; y < side; ++y) std::fill_n(painted->Row(y), side, 0xFFFFFFFFu);
            }
            auto fresh = Platform::Surface::Create(side, side);
            ASSERT_TRUE(fresh);
            for (int y = 0; y < side; ++y)
                for (int x = 0; x < side; ++x) ASSERT_EQ(fresh->Row(y)[x], 0u) << side << ": " << x << "," << y;
        }
    }
}

TEST(Surface, SurfacesAroundTheMapThresholdHoldEveryPixelOfTheirRows) {
    // Below the threshold SDL allocates the pixels, from it on they are a map of exactly the rows'
    // bytes: odd widths and the sizes either side of it must both hold their last pixel.
    const int threshold_px = static_cast<int>(Platform::Pixel_block_threshold / 4);
    for (const auto& [w, h] : {std::pair{threshold_px - 1, 1}, std::pair{threshold_px, 1},
                               std::pair{threshold_px + 1, 1}, std::pair{257, 131}, std::pair{1023, 769}}) {
        auto s = Platform::Surface::Create(w, h);
        ASSERT_TRUE(s) << w << "x" << h;
        for (int y = 0; y < h; ++y) {
            s->Row(y)[0] = 0x123456u;
            s->Row(y)[w - 1] = 0x654321u;
        }
        auto copy = Platform::Surface::Create(w, h);
        ASSERT_TRUE(copy);
        const Platform::Rect all{0, 0, w, h};
        ASSERT_TRUE(copy->Blit(*s, all, all, all, false, false));
        for (int y = 0; y < h; ++y) {
            ASSERT_EQ(copy->Get_pixel(0, y), 0x123456u) << w << "x" << h << " row " << y;
            ASSERT_EQ(copy->Get_pixel(w - 1, y), 0x654321u) << w << "x" << h << " row " << y;
            if (w > 2) {
                ASSERT_EQ(copy->Get_pixel(w / 2, y), 0u);
            }
        }
    }
}

// Pixel blocks of any size, on either side of a huge page and not a multiple of one, are zero to their
// last byte, writable there, and apart from each other: the alignment slack given back belongs to none.
TEST(Surface, PixelBlocksOfEverySizeAreZeroWritableAndApart) {
    constexpr std::size_t Huge = 2 * 1024 * 1024;
    for (const std::size_t bytes : {Platform::Pixel_block_threshold, Huge - 4096, Huge, Huge + 4096, 5 * Huge + 1236}) {
        auto* a = static_cast<unsigned char*>(Platform::Take_pixel_block(bytes));
        auto* b = static_cast<unsigned char*>(Platform::Take_pixel_block(bytes));
        ASSERT_TRUE(a && b) << bytes;
        EXPECT_TRUE(a + bytes <= b || b + bytes <= a) << bytes;
        for (unsigned char* block : {a, b}) {
            for (std::size_t at = 0; at < bytes; at += 4093) ASSERT_EQ(block[at], 0) << bytes << " at " << at;
            ASSERT_EQ(block[bytes - 1], 0) << bytes;
            std::fill_n(block, bytes, block == a ? 0xA5 : 0x5A);
        }
        EXPECT_EQ(a[bytes - 1], 0xA5);
        EXPECT_EQ(b[0], 0x5A);
        Platform::Give_back_pixel_block(a, bytes);
        Platform::Give_back_pixel_block(b, bytes);
    }
}
