// Path conventions of the platform: the separator that the jukebox's folder names use.
#pragma once

namespace Platform {

#ifdef _WIN32
inline constexpr char Path_separator = '\\';
inline constexpr const char* Path_separator_text = "\\";
#else
inline constexpr char Path_separator = '/';
inline constexpr const char* Path_separator_text = "/";
#endif

}  // namespace Platform
