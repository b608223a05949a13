// Decoders the system installs: which one a song type lacks, as the media framework names it, and
// the system's own codec installer (PackageKit's, where there is one), run without blocking the window.
// User-interface thread only; the installer's end arrives as a posted message.
#pragma once

#include <optional>
#include <string>

#include "platform/window.h"

namespace Platform {

// How this platform gets programs and codecs: Windows runs installers the jukebox downloads; on Linux
// they come as the distribution's packages, and the jukebox downloads and starts no installer.
enum class Software_source { downloaded_installers, system_packages };
Software_source Platform_software_source();

// A decoder the platform lacks for a song type.
struct Missing_decoder {
    std::string description;       // as the missing-plugin message names it: "FLAC audio decoder"
    std::string package;           // the package set that brings it: "gstreamer1.0-plugins-good"
    std::string installer_detail;  // what the system's codec installer is handed
};

// For an extension (upper case, no dot) that Can_decode_extension refused; empty when the media type
// of the extension is not known at all.
std::optional<Missing_decoder> Describe_missing_decoder(const std::string& extension);

// True when the system has a codec installer to ask.
bool Has_codec_installer();

enum class Codec_install { installed, not_found, failed, cancelled };
// Posted to the window's queue when the installer ends: wparam is a Codec_install.
inline constexpr unsigned WM_CODEC_INSTALL_DONE = WM_USER + 2;

// Starts the installer for the decoder and returns at once; false when it could not be started
// (none there, or one already runs). Its end posts WM_CODEC_INSTALL_DONE.
bool Start_codec_install(const Missing_decoder& decoder);

// Reads the media registry again, so that decoders installed meanwhile are found.
void Refresh_media_registry();

}  // namespace Platform
