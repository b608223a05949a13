// Off-screen surfaces on SDL software surfaces: creation, BMP loading and the clipped,
// stretching, colour-keyed copy that every picture on the screen goes through.
#include "platform/sdl/surface_sdl.h"

#include <algorithm>
#include <climits>
#include <cstring>

#include "platform/bmp_header.h"

namespace Platform {

namespace {
// A 32-bit copy of a loaded bitmap in pages of its own. The covers the playlist and the browse panels
// show are loaded from cached BMPs into surfaces that live only until they are drawn into their bitmap's
// kept surface. Taken from the heap (59-118 KB, below the mmap threshold) while the loader's own block
// was still held, such a copy often found no hole that fit and raised the heap's top, song after song;
// so it takes a pixel block whatever its size.
SDL_Surface* Mapped_copy(SDL_Surface* loaded, void*& mapped, std::size_t& mapped_bytes) {
    const int pitch = loaded->w * 4;
    const std::size_t bytes = static_cast<std::size_t>(pitch) * static_cast<std::size_t>(loaded->h);
    if (bytes == 0) return nullptr;
    void* pixels = Take_pixel_block(bytes);
    if (!pixels) return nullptr;
    SDL_Surface* copy = SDL_CreateRGBSurfaceWithFormatFrom(pixels, loaded->w, loaded->h, 32, pitch, Surface_format);
    // A copy without blending or key: the pixels as the file has them, as SDL_ConvertSurfaceFormat gives.
    if (copy && SDL_SetSurfaceBlendMode(loaded, SDL_BLENDMODE_NONE) == 0 &&
        SDL_SetColorKey(loaded, SDL_FALSE, 0) == 0 && SDL_BlitSurface(loaded, nullptr, copy, nullptr) == 0) {
        mapped = pixels;
        mapped_bytes = bytes;
        return copy;
    }
    SDL_FreeSurface(copy);
    Give_back_pixel_block(pixels, bytes);
    return nullptr;
}
}  // namespace

Rect Intersect(const Rect& a, const Rect& b) {
    Rect r{std::max(a.left, b.left), std::max(a.top, b.top), std::min(a.right, b.right), std::min(a.bottom, b.bottom)};
    if (r.Empty()) return Rect{};
    return r;
}

Surface::Surface(std::unique_ptr<Impl> impl) : impl_(std::move(impl)) {}
Surface::~Surface() = default;

std::unique_ptr<Surface> Surface::Create(int width, int height) {
    if (width < 0 || height < 0) return nullptr;
    auto impl = std::make_unique<Impl>();
    // Both ways give black pixels without a second pass over them: the block comes zeroed, and SDL
    // clears what it allocates itself.
    const std::size_t bytes = static_cast<std::size_t>(width) * static_cast<std::size_t>(height) * 4;
    if (bytes >= Pixel_block_threshold && bytes <= static_cast<std::size_t>(INT_MAX)) {
        impl->pixel_block = Take_pixel_block(bytes);
        if (impl->pixel_block) {
            impl->pixel_bytes = bytes;
            impl->surface =
                SDL_CreateRGBSurfaceWithFormatFrom(impl->pixel_block, width, height, 32, width * 4, Surface_format);
        }
    }
    if (!impl->pixel_block) impl->surface = SDL_CreateRGBSurfaceWithFormat(0, width, height, 32, Surface_format);
    if (!impl->surface) return nullptr;
    SDL_SetSurfaceBlendMode(impl->surface, SDL_BLENDMODE_NONE);
    return std::unique_ptr<Surface>(new Surface(std::move(impl)));
}

std::unique_ptr<Surface> Surface::Load_bmp(const std::string& path, std::string& error) {
    SDL_RWops* file = SDL_RWFromFile(path.c_str(), "rb");
    if (!file) {
        error = SDL_GetError();
        return nullptr;
    }
    // SDL allocates what the header claims before it reads a pixel: the header is checked first.
    unsigned char head[Bmp_header_bytes] = {};
    const std::size_t got = SDL_RWread(file, head, 1, sizeof head);
    const Sint64 file_size = SDL_RWsize(file);
    error = Bmp_header_refusal(head, got, file_size < 0 ? UINT64_MAX : static_cast<std::uint64_t>(file_size));
    if (!error.empty() || SDL_RWseek(file, 0, RW_SEEK_SET) != 0) {
        if (error.empty()) error = SDL_GetError();
        SDL_RWclose(file);
        return nullptr;
    }
    SDL_Surface* loaded = SDL_LoadBMP_RW(file, 1);
    if (!loaded) {
        error = SDL_GetError();
        return nullptr;
    }
    auto impl = std::make_unique<Impl>();
    SDL_Surface* converted = Mapped_copy(loaded, impl->pixel_block, impl->pixel_bytes);
    if (!converted) converted = SDL_ConvertSurfaceFormat(loaded, Surface_format, 0);  // no pages to map
    SDL_FreeSurface(loaded);
    if (!converted) {
        error = SDL_GetError();
        return nullptr;
    }
    SDL_SetSurfaceBlendMode(converted, SDL_BLENDMODE_NONE);
    SDL_SetColorKey(converted, SDL_FALSE, 0);
    impl->surface = converted;
    return std::unique_ptr<Surface>(new Surface(std::move(impl)));
}

int Surface::Width() const { return impl_->surface->w; }
int Surface::Height() const { return impl_->surface->h; }

Pixel* Surface::Row(int y) {
    impl_->Changed();  // the caller may write through the row
    return reinterpret_cast<Pixel*>(static_cast<Uint8*>(impl_->surface->pixels) + y * impl_->surface->pitch);
}
const Pixel* Surface::Row(int y) const {
    return reinterpret_cast<const Pixel*>(static_cast<const Uint8*>(impl_->surface->pixels) +
                                          y * impl_->surface->pitch);
}

Pixel Surface::Get_pixel(int x, int y) const {
    if (x < 0 || y < 0 || x >= Width() || y >= Height()) return 0;
    return Row(y)[x] & 0x00FFFFFF;
}

void Surface::Set_pixel(int x, int y, Pixel p) {
    if (x < 0 || y < 0 || x >= Width() || y >= Height()) return;
    Row(y)[x] = p;
}

void Surface::Fill(Pixel p) {
    impl_->Changed();
    SDL_FillRect(impl_->surface, nullptr, p);
}

void Surface::Fill_rect(const Rect& rect, Pixel p) {
    const Rect cut = Intersect(rect, Rect{0, 0, Width(), Height()});
    if (cut.Empty()) return;
    impl_->Changed();
    SDL_Rect r{cut.left, cut.top, cut.Width(), cut.Height()};
    SDL_FillRect(impl_->surface, &r, p);
}

bool Surface::Has_key_pixels() const {
    for (int y = 0; y < Height(); ++y) {
        const Pixel* row = Row(y);
        for (int x = 0; x < Width(); ++x)
            if (Is_key(row[x])) return true;
    }
    return false;
}

namespace {

void Build_runs(Surface::Impl& impl) {
    SDL_Surface* s = impl.surface;
    impl.runs.clear();
    impl.row_start.clear();
    impl.row_start.reserve(static_cast<std::size_t>(s->h) + 1);
    for (int y = 0; y < s->h; ++y) {
        impl.row_start.push_back(static_cast<int>(impl.runs.size()));
        const Pixel* row = reinterpret_cast<const Pixel*>(static_cast<const Uint8*>(s->pixels) + y * s->pitch);
        int x = 0;
        while (x < s->w) {
            while (x < s->w && Is_key(row[x])) ++x;
            const int begin = x;
            while (x < s->w && !Is_key(row[x])) ++x;
            if (x > begin) impl.runs.emplace_back(begin, x);
        }
    }
    impl.row_start.push_back(static_cast<int>(impl.runs.size()));
    impl.runs_valid = true;
}

// A keyed copy of equal size: only the runs of non-key pixels are copied, so mostly
// transparent images (the frame, captions) cost little more than their visible parts.
void Keyed_copy(Surface::Impl& from, const SDL_Rect& s, SDL_Surface* dst, const SDL_Rect& d, const Rect& cut) {
    if (!from.runs_valid) Build_runs(from);
    SDL_Surface* src = from.surface;
    // Cut the destination to the clip and to where the source has pixels.
    int dx0 = std::max({d.x, cut.left, d.x - s.x}), dy0 = std::max({d.y, cut.top, d.y - s.y});
    int dx1 = std::min({d.x + d.w, cut.right, d.x - s.x + src->w}),
        dy1 = std::min({d.y + d.h, cut.bottom, d.y - s.y + src->h});
    for (int y = dy0; y < dy1; ++y) {
        const int sy = s.y + (y - d.y);
        const Pixel* src_row = reinterpret_cast<const Pixel*>(static_cast<const Uint8*>(src->pixels) + sy * src->pitch);
        Pixel* dst_row = reinterpret_cast<Pixel*>(static_cast<Uint8*>(dst->pixels) + y * dst->pitch);
        const int sx0 = s.x + (dx0 - d.x), sx1 = s.x + (dx1 - d.x), shift = d.x - s.x;
        const auto first = from.runs.begin() + from.row_start[static_cast<std::size_t>(sy)];
        const auto last = from.runs.begin() + from.row_start[static_cast<std::size_t>(sy) + 1];
        for (auto run = first; run != last; ++run) {
            const auto [begin, end] = *run;
            const int lo = std::max(begin, sx0), hi = std::min(end, sx1);
            if (lo < hi) std::memcpy(dst_row + lo + shift, src_row + lo, static_cast<size_t>(hi - lo) * sizeof(Pixel));
        }
    }
}

}  // namespace

bool Surface::Blit(const Surface& source, const Rect& src_rect, const Rect& dst_rect, const Rect& clip, bool keyed,
                   bool smooth) {
    SDL_Surface* src = source.impl_->surface;
    SDL_Surface* dst = impl_->surface;
    const Rect cut = Intersect(clip, Rect{0, 0, dst->w, dst->h});
    if (cut.Empty() || src_rect.Empty() || dst_rect.Empty()) return true;
    impl_->Changed();
    SDL_Rect s{src_rect.left, src_rect.top, src_rect.Width(), src_rect.Height()};
    SDL_Rect d{dst_rect.left, dst_rect.top, dst_rect.Width(), dst_rect.Height()};
    if (keyed && s.w == d.w && s.h == d.h && src != dst) {
        Keyed_copy(*source.impl_, s, dst, d, cut);
        return true;
    }
    SDL_Rect sdl_clip{cut.left, cut.top, cut.Width(), cut.Height()};
    SDL_SetColorKey(src, keyed ? SDL_TRUE : SDL_FALSE, Colour_key);
    SDL_SetClipRect(dst, &sdl_clip);
    int rc;
    if (s.w == d.w && s.h == d.h) {
        rc = SDL_BlitSurface(src, &s, dst, &d);
    } else {
        const bool inside = Intersect(dst_rect, cut).Width() == d.w && Intersect(dst_rect, cut).Height() == d.h;
        const bool src_inside = s.x >= 0 && s.y >= 0 && s.x + s.w <= src->w && s.y + s.h <= src->h;
        if (smooth && !keyed && inside && src_inside)
            rc = SDL_SoftStretchLinear(src, &s, dst, &d);
        else
            rc = SDL_BlitScaled(src, &s, dst, &d);
    }
    SDL_SetClipRect(dst, nullptr);
    SDL_SetColorKey(src, SDL_FALSE, 0);
    return rc == 0;
}

}  // namespace Platform
