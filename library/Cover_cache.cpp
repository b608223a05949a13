// The cover cache: one BMP per album in the covers folder, scaled from the album's cover image, so
// that panels load small bitmaps instead of decoding album JPEGs. UI thread only.
#include <boost/filesystem.hpp>
#include <fstream>

#include "display/Bmp_file.h"
#include "display/VxBitmap.h"
#include "display/VxDirectX.h"
#include "display/VxRaster.h"
#include "library/VxDatabase.h"
#include "settings/VxRead.h"
#include "trace/VxTrace.h"

namespace fs = boost::filesystem;

namespace {

constexpr unsigned Timer_progress_cache_covers = 8;
constexpr const char* Placeholder_name = "IMAGE_no_cover";

// A cover that counts as present: a regular file. An album without cover names its own folder,
// which an open-for-reading test would wrongly accept.
bool Is_file(const std::string& path) {
    boost::system::error_code ec;
    return fs::is_regular_file(path, ec);
}

// A cover that cannot be read, or one left empty by an interrupted download.
bool Is_unreadable_or_empty(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return !in.is_open() || in.peek() == std::ifstream::traits_type::eof();
}

void Remove_file(const std::string& path) {
    boost::system::error_code ec;
    if (!fs::remove(path, ec) && ec) VxTrace::Instance().Write_error("Could not remove " + path + " : " + ec.message());
}

// Decodes a JPEG at its own size for the unscaled cache file. A cover over the size limit is
// replaced by the placeholder, as the scaled path does; false (reported) when nothing decodes.
bool Decode_full_size(const std::string& source, VxRaster& raster) {
    VxDirectX& dx = VxDirectX::Instance();
    const int limit = dx.Size_limit() ? VxDirectX::Cover_size_limit : VxRaster::Max_side;
    std::string path = source;
    try {
        try {
            if (raster.Load_jpeg(path, limit)) return true;
        } catch (const VxRaster::Too_large&) {
            if (!dx.Size_limit()) throw;
            path = dx.Pics_folder() + Placeholder_name + ".jpg";
            if (raster.Load_jpeg(path, limit)) return true;
        }
        VxTrace::Instance().Write_error("Cache_cover: cannot open " + path);
    } catch (const VxRaster::Decode_error& e) {
        VxTrace::Instance().Write_error(std::string("Cache_cover: could not decode ") + path + " : " + e.what());
    } catch (const std::bad_alloc&) {
        VxTrace::Instance().Write_error("Cache_cover: out of memory decoding " + path);
    }
    return false;
}

// A BMP cover at its own size for the unscaled cache file, in the cache's 24-bit form. The bitmap
// loader reports what it cannot read; false then.
bool Save_bmp_full_size(const std::string& source, const std::string& target) {
    int width = 0, height = 0;
    const auto surface = VxDirectX::Instance().bitmap_surface(source, width, height, VxPicture::Cover);
    if (!surface) return false;
    const Bmp_result result = Write_bmp(target, width, height, Bmp_depth::bits_24, Bmp_padding_word::present,
                                        [&](int row, int col) { return surface->Row(row)[col] & 0x00FFFFFFu; });
    if (result != Bmp_result::written)
        VxTrace::Instance().Write_error("Cache_cover: could not write " + target +
                                        (result == Bmp_result::cannot_create ? " (code 1)" : " (code 2)"));
    return result == Bmp_result::written;
}

bool Is_bmp(const std::string& path) {
    const std::string ext = fs::path(path).extension().string();
    return ext.size() == 4 && (ext[1] | 0x20) == 'b' && (ext[2] | 0x20) == 'm' && (ext[3] | 0x20) == 'p';
}

}  // namespace

void VxDatabase::Set_cover_downloader(Cover_downloader downloader) { cover_downloader_ = std::move(downloader); }

void VxDatabase::Download_missing_covers() {
    postponed_count_ = 0;
    if (cover_downloader_) cover_downloader_(Cover_pass_budget_s);
    cover_seconds_left_ = -1;
}

void VxDatabase::Cache_cover(const std::string& source, const std::string& target) {
    VxDirectX& dx = VxDirectX::Instance();
    if (!dx.Is_initialised()) {
        // The library tool and tests may run without a window: nothing can be scaled there.
        VxTrace::Instance().Write_error("Cache_cover: the display is not initialised, " + target + " is not made");
        return;
    }
    // Covers are always loaded under the size limit, also when a download caches one.
    const bool limit_was_on = dx.Size_limit();
    dx.Set_size_limit(true);

    // Square on the screen: 16 % of the window height high.
    const double width = 16.0 * dx.Window_height() / dx.Window_width();
    VxBitmap image;
    image.Set_name(target);
    image.Set_size(width, 16.0);
    image.Loading_surface(source, VxPicture::Cover);
    if (!image.Is_loaded()) {
        VxTrace::Instance().Write_error("Cache_cover: could not load " + source);
    } else if (VxRead::Instance().Get_save_scaled_bitmaps()) {
        image.Save_surface(target);  // reports its own failures; never leaves a half file
    } else if (Is_bmp(source)) {
        Save_bmp_full_size(source, target);  // a bitmap is kept as it is, not decoded as a JPEG
    } else {
        VxRaster raster(3);
        if (Decode_full_size(source, raster)) {
            const int result = raster.Save_bmp(target);
            if (result != 0)
                VxTrace::Instance().Write_error("Cache_cover: could not write " + target + " (code " +
                                                std::to_string(result) + ")");
        }
    }
    image.Release_surface();
    dx.Set_size_limit(limit_was_on);
}

void VxDatabase::Create_and_remove_cached_covers() {
    VxTraceScope scope("Create_and_remove_cached_covers");
    VxRead& settings = VxRead::Instance();
    VxDirectX& dx = VxDirectX::Instance();

    download_count_ = 0;
    postponed_count_ = 0;
    if (settings.Get_download_covers()) Download_missing_covers();

    const std::string covers = settings.Covers_folder();
    boost::system::error_code ec;
    fs::create_directories(covers, ec);
    if (ec) {
        VxTrace::Instance().Write_error("Create_and_remove_cached_covers: no covers folder " + covers + " : " +
                                        ec.message());
        return;
    }
    // Without a display nothing can be cached: one line, and the pass stays due for the next start.
    const bool can_cache = dx.Is_initialised();
    if (!can_cache)
        VxTrace::Instance().Write_error(
            "Create_and_remove_cached_covers: the display is not initialised, covers are not cached");

    dx.Set_size_limit(true);
    const std::string placeholder_jpeg = settings.Pics_folder() + Placeholder_name + ".jpg";
    const std::string placeholder_bmp = covers + Placeholder_name + ".bmp";
    if (can_cache && Is_file(placeholder_jpeg) && !Is_file(placeholder_bmp))
        Cache_cover(placeholder_jpeg, placeholder_bmp);

    if (settings.Get_cache_covers()) {
        const int n = Get_nof_cds();
        for (int c = 0; c < n; ++c) {
            cover_index_ = c;
            Tick(Timer_progress_cache_covers);
            const std::string cover = Get_cd_cover_path(c);
            const std::string cached = Get_cd_cached_cover(c);
            if (Is_file(cover)) {
                if (Is_file(cached)) continue;
                if (Is_unreadable_or_empty(cover)) {
                    // A broken download must not block the album: the next download tries again.
                    VxTrace::Instance().Write_error("Removing empty or unreadable cover " + cover);
                    Remove_file(cover);
                } else if (can_cache && settings.Check_image_size(cover)) {
                    Cache_cover(cover, cached);
                }
            } else if (Is_file(cached) && cached != placeholder_bmp) {
                // The album lost its cover (none found, or the file was deleted): it shows the placeholder.
                Remove_file(cached);
            }
        }
        // Albums a download pass out of time did not reach keep the pass due for the next start.
        if (can_cache && postponed_count_ == 0) settings.Set_cache_covers(false);
    }
    dx.Set_size_limit(false);
}
