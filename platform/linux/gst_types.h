// GStreamer's view of a song type, shared by the desktop queries and the codec installer of the
// Linux back end: starting GStreamer once, and the media type that a file extension stands for.
#pragma once

#include <gst/gst.h>

#include <string>

namespace Platform {
// Starts GStreamer on the first call; false when it cannot start.
bool Gstreamer_ready();
// The caps of every typefinder that lists the extension (lower case), tag formats left out, in the
// registry's order; a new reference, or null when no typefinder lists it.
GstCaps* Caps_for_extension(const std::string& lower_extension);
}  // namespace Platform
