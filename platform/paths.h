// Path conventions of the platform: the separator that the jukebox's folder names use, and the
// seam between the jukebox's UTF-8 names and the standard library's paths (UTF-16 on Windows).
#pragma once

#include <filesystem>
#include <string>

namespace Platform {

#ifdef _WIN32
inline constexpr char Path_separator = '\\';
inline constexpr const char* Path_separator_text = "\\";
#else
inline constexpr char Path_separator = '/';
inline constexpr const char* Path_separator_text = "/";
#endif

// A path of the standard library from a UTF-8 name. Its narrow constructor would read the bytes in
// the C library's locale, which on Windows misreads every name that is not ASCII.
inline std::filesystem::path Fs_path(const std::string& utf8) {
    return std::filesystem::path(std::u8string(utf8.begin(), utf8.end()));
}

// A path's name as UTF-8, the inverse of Fs_path (path::string() on Windows is the locale's).
inline std::string Utf8_name(const std::filesystem::path& path) {
    const std::u8string name = path.u8string();
    return std::string(name.begin(), name.end());
}

}  // namespace Platform
