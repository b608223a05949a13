// The settings object's life and its cached getters and setters.
// Getters read the file once and then answer from memory, because trace markers ask on every operation.
#include "settings/VxRead.h"

#include <atomic>
#include <charconv>
#include <climits>
#include <fstream>

#include "platform/paths.h"
#include "platform/screen.h"
#include "settings/CIniFile.h"
#include "settings/VxRead_impl.h"
#include "trace/VxTrace.h"

using namespace Settings_names;

namespace {
// The trace's switch is read from audio workers too, so it answers from an atomic copy of
// "UseLogging" (-1 until the first read) rather than from the unlocked caches. The switch never builds
// the settings itself: an audio worker would then read and write the settings file from its thread.
std::atomic<int> g_logging_copy{-1};

bool Logging_switch() {
    int copy = g_logging_copy.load();
    return copy < 0 || copy == 1;  // markers stay on until the settings were read
}

// Leading decimal digits with an optional sign; anything else reads as 0, overflow as the extreme.
long long Leading_number(const std::string& text) {
    long long value = 0;
    const char* begin = text.data();
    const char* end = begin + text.size();
    if (begin != end && *begin == '+') ++begin;
    auto result = std::from_chars(begin, end, value);
    if (result.ec == std::errc::result_out_of_range) return (begin != end && *begin == '-') ? LLONG_MIN : LLONG_MAX;
    return result.ec == std::errc() ? value : 0;
}

// Splits at the first delimiter; without one both parts stay empty.
void Split_first(const std::string& text, char delimiter, std::string& left, std::string& right) {
    size_t at = text.find(delimiter);
    if (at == std::string::npos) return;
    left = text.substr(0, at);
    right = text.substr(at + 1);
}

int Clamp_extent(long long value, int screen) {
    if (value < 0) return 0;
    return value < screen ? static_cast<int>(value) : screen;
}

int Offset(long long value) {
    if (value < INT_MIN) return INT_MIN;
    if (value > INT_MAX) return INT_MAX;
    return static_cast<int>(value);
}
}  // namespace

void Install_trace_logging_switch() { VxTrace::Set_logging_switch(&Logging_switch); }

VxRead& VxRead::Instance() {
    static VxRead* instance = new VxRead();
    return *instance;
}

VxRead::VxRead() : impl_(new Impl) { Start(); }

void VxRead::Start_afresh_for_tests() {
    VxRead& settings = Instance();
    delete settings.impl_;
    settings.impl_ = new Impl;
    settings.Start();
}

void VxRead::Start() {
    impl_->regex_table = {
        {0, "CD_ARTIST", "([^-]*).*"},
        {1, "CD_TITLE", "[^-]*[-]*[\\s]*(.*)"},
        {2, "SONG", ".*?[-|,]+(.*)\\.(?:\\w{3,4})"},
    };
    Require_usable_file();
    Write_defaults();
    Validate();
    Check_settings_crc();
    Get_use_logging();  // the trace's marker switch answers from here on
}

const std::string& VxRead::Impl::Read(Text_cache& cache, const char* key, const char* section, bool force) {
    if (cache.first || force) {
        cache.value = CIniFile::Get_value(key, section, File_name);
        cache.first = false;
    }
    return cache.value;
}

bool VxRead::Get_use_two_directories(bool force) {
    return Impl::Is_yes(Impl::Read(impl_->two_directories, "UseTwoDirectories", Regular_expressions, force));
}
bool VxRead::Get_download_covers(bool force) {
    return Impl::Is_yes(Impl::Read(impl_->download_covers, "DownloadCovers", Internet, force));
}
bool VxRead::Get_cache_covers(bool force) {
    return Impl::Is_yes(Impl::Read(impl_->cache_covers, "CacheCovers", Internet, force));
}
bool VxRead::Get_check_new_version(bool force) {
    return Impl::Is_yes(Impl::Read(impl_->check_new_version, "CheckNewVersionOnStartup", System, force));
}
bool VxRead::Get_use_video_memory(bool force) {
    return Impl::Is_yes(Impl::Read(impl_->use_video_memory, "UseVideoMemory", System, force));
}
bool VxRead::Get_use_logging(bool force) {
    bool on = Impl::Is_yes(Impl::Read(impl_->use_logging, "UseLogging", System, force));
    g_logging_copy.store(on ? 1 : 0);
    return on;
}
bool VxRead::Get_use_random(bool force) {
    return Impl::Is_yes(Impl::Read(impl_->use_random, "Userandom", System, force));
}
bool VxRead::Get_save_scaled_bitmaps(bool force) {
    return Impl::Is_yes(Impl::Read(impl_->save_scaled_bitmaps, "SaveScaledBitmaps", System, force));
}

std::string VxRead::Get_music_folder(bool force) {
    Impl::Text_cache& cache = impl_->music_folder;
    if (cache.first || force) {
        cache.value = CIniFile::Get_value("MusicFolder", Music_location, File_name);
        // An empty value stays empty: with a separator appended it would name the root folder.
        if (!cache.value.empty() && cache.value.back() != Platform::Path_separator)
            cache.value += Platform::Path_separator;
        cache.first = false;
    }
    return cache.value;
}

const std::vector<RegexSetting>& VxRead::Get_regular_expressions(bool force) {
    if (impl_->regex_first || force) {
        impl_->regex_cache = impl_->regex_table;
        for (RegexSetting& entry : impl_->regex_cache)
            entry.regex = CIniFile::Get_value(entry.name, Regular_expressions, File_name);
        impl_->regex_first = false;
    }
    return impl_->regex_cache;
}

void VxRead::Get_window_geometry(int& width, int& height, int& x, int& y, bool force) {
    const Platform::Screen_info screen = Platform::Screen();
    if (impl_->geometry_first || force) {
        impl_->window_offset = CIniFile::Get_value("WindowOffset", Display, File_name);
        impl_->window_size = CIniFile::Get_value("WindowSize", Display, File_name);
        impl_->geometry_first = false;
    }
    std::string left, right;
    Split_first(impl_->window_offset, ',', left, right);
    x = Offset(Leading_number(left));
    y = Offset(Leading_number(right));
    std::string w, h;
    Split_first(impl_->window_size, 'x', w, h);
    width = Clamp_extent(Leading_number(w), screen.width);
    height = Clamp_extent(Leading_number(h), screen.height);
}

namespace {
// Flips an existing on/off key; a missing key is not created.
void Flip(const char* key, const char* section, bool on) {
    if (CIniFile::Record_exists(key, section, VxRead::File_name))
        CIniFile::Set_value(key, on ? "yes" : "no", section, VxRead::File_name);
}
}  // namespace

bool VxRead::Set_use_logging(bool on) {
    Flip("UseLogging", System, on);
    return Get_use_logging(true);
}
bool VxRead::Set_use_random(bool on) {
    Flip("Userandom", System, on);
    return Get_use_random(true);
}
bool VxRead::Set_download_covers(bool on) {
    Flip("DownloadCovers", Internet, on);
    return Get_download_covers(true);
}
bool VxRead::Set_cache_covers(bool on) {
    Flip("CacheCovers", Internet, on);
    return Get_cache_covers(true);
}
bool VxRead::Set_check_new_version(bool on) {
    Flip("CheckNewVersionOnStartup", System, on);
    return Get_check_new_version(true);
}

std::string VxRead::Base_folder() const { return std::string("..") + Platform::Path_separator; }
std::string VxRead::Pics_folder() const { return Base_folder() + "pics" + Platform::Path_separator; }
std::string VxRead::Covers_folder() const { return Base_folder() + "covers" + Platform::Path_separator; }

bool VxRead::File_exists(const std::string& path) const {
    std::ifstream in(path, std::ios::binary);
    return in.is_open();
}
