// Decoders on Windows: the jukebox downloads and starts codec installers itself (the version
// server's offer), so there is no system codec installer to hand a decoder to; Media Foundation
// reads its registered decoders afresh on every question.
#include "platform/codec_installer.h"

namespace Platform {
namespace {

// The name Media Foundation gives the decoder a song type needs.
const char* Decoder_name(const std::string& extension) {
    if (extension == "MP3" || extension == "MP2") return "MPEG audio decoder";
    if (extension == "WMA") return "Windows Media Audio decoder";
    if (extension == "AAC" || extension == "M4A" || extension == "MP4") return "AAC audio decoder";
    if (extension == "FLAC") return "FLAC audio decoder";
    if (extension == "OGG") return "Vorbis audio decoder";
    return nullptr;
}

}  // namespace

Software_source Platform_software_source() { return Software_source::downloaded_installers; }

std::optional<Missing_decoder> Describe_missing_decoder(const std::string& extension) {
    const char* name = Decoder_name(extension);
    if (!name) return std::nullopt;
    Missing_decoder decoder;
    decoder.description = name;
    return decoder;
}

bool Has_codec_installer() { return false; }

bool Start_codec_install(const Missing_decoder&) { return false; }

void Refresh_media_registry() {}

}  // namespace Platform
