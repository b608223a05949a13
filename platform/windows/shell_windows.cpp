// The desktop on Windows: Media Foundation's registered audio decoders answer which song types
// can be played, and ShellExecuteW opens files. WAV needs no decoder: its PCM plays as it is.
#include <windows.h>
// The system headers below need the declarations of the ones above.
#include <initguid.h>
#include <mfapi.h>
#include <mftransform.h>
#include <shellapi.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <mutex>
#include <vector>

#include "platform/dialogs.h"
#include "platform/shell.h"
#include "platform/windows/utf16.h"

namespace Platform {
namespace {

// Subtypes that older SDK headers lack, as Media Foundation registers them.
DEFINE_GUID(Tavrix_audio_flac, 0x0000F1AC, 0x0000, 0x0010, 0x80, 0x00, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71);
DEFINE_GUID(Tavrix_audio_vorbis, 0x8D2FD10B, 0x5841, 0x4A6B, 0x89, 0x05, 0x58, 0x8F, 0xEC, 0x1A, 0xDE, 0xD9);

bool Media_foundation_ready() {
    static const bool ready = SUCCEEDED(MFStartup(MF_VERSION, MFSTARTUP_NOSOCKET));
    return ready;
}

// The compressed audio formats that files of an extension hold; empty for unknown extensions.
std::vector<GUID> Formats_of(const std::string& extension) {
    if (extension == "MP3" || extension == "MP2") return {MFAudioFormat_MP3, MFAudioFormat_MPEG};
    if (extension == "WMA") return {MFAudioFormat_WMAudioV8, MFAudioFormat_WMAudioV9, MFAudioFormat_WMAudio_Lossless};
    if (extension == "AAC" || extension == "M4A" || extension == "MP4") return {MFAudioFormat_AAC};
    if (extension == "FLAC") return {Tavrix_audio_flac};
    if (extension == "OGG") return {Tavrix_audio_vorbis};
    return {};
}

bool Has_decoder_for(const GUID& format) {
    MFT_REGISTER_TYPE_INFO input{MFMediaType_Audio, format};
    IMFActivate** found = nullptr;
    UINT32 count = 0;
    const UINT32 flags =
        MFT_ENUM_FLAG_SYNCMFT | MFT_ENUM_FLAG_ASYNCMFT | MFT_ENUM_FLAG_LOCALMFT | MFT_ENUM_FLAG_SORTANDFILTER;
    if (FAILED(MFTEnumEx(MFT_CATEGORY_AUDIO_DECODER, flags, &input, nullptr, &found, &count))) return false;
    for (UINT32 i = 0; i < count; ++i) found[i]->Release();
    CoTaskMemFree(found);
    return count > 0;
}

}  // namespace

bool Has_media_type_registry() { return Media_foundation_ready(); }

bool Can_decode_extension(const std::string& extension) {
    if (!Media_foundation_ready()) return true;
    std::string wanted = extension;
    std::transform(wanted.begin(), wanted.end(), wanted.begin(), [](unsigned char c) { return std::toupper(c); });
    if (wanted == "WAV") return true;
    for (const GUID& format : Formats_of(wanted))
        if (Has_decoder_for(format)) return true;
    return false;
}

bool Open_file(const std::string& path) {
    const std::wstring wide = Wide(path);
    if (GetFileAttributesW(wide.c_str()) == INVALID_FILE_ATTRIBUTES) return false;
    if (Is_headless()) {
        if (std::FILE* f = std::fopen("opened.txt", "a")) {
            std::fprintf(f, "%s\n", path.c_str());
            std::fclose(f);
        }
        return true;
    }
    // The shell hands the file to its program and returns; a result above 32 means it did.
    const auto result =
        reinterpret_cast<INT_PTR>(ShellExecuteW(nullptr, L"open", wide.c_str(), nullptr, nullptr, SW_SHOWNORMAL));
    return result > 32;
}

}  // namespace Platform
