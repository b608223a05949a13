// What the jukebox asks of the desktop it runs on: whether files of a media type can be played,
// whether the platform keeps a registry of media types at all, and opening a file with the
// program the desktop associates with it. User-interface thread only.
#pragma once

#include <string>

namespace Platform {

// True when the platform can decode song files with this extension (upper case, no dot, e.g. "MP3"):
// some demuxer or decoder accepts the media type that the extension stands for. Without a media-type
// registry (see below) nothing can be told, and every extension is allowed.
bool Can_decode_extension(const std::string& extension);

// True when the platform has a registry of media types and their decoders to ask.
bool Has_media_type_registry();

// Opens the file as a double click on the desktop would (xdg-open), without waiting for the program.
// In headless operation no program is started: the path is appended as one line to "opened.txt"
// in the working folder. False when the file does not exist or nothing could be started.
bool Open_file(const std::string& path);

}  // namespace Platform
