// Writes MP3 files of silence with no length header (no Xing or VBRI frame, no tags), as many encoders
// leave them: the decoder learns their length only while they play. Header-only, like wav_file.h.
#pragma once

#include <fstream>
#include <string>

namespace TestSupport {

inline void Write_mp3_without_length(const std::string& path, double seconds) {
    // MPEG-1 layer III, 128 kbit/s, 44.1 kHz, no CRC: 417-byte frames of 1152 samples. All-zero side
    // information and main data decode as silence.
    constexpr int Frame_bytes = 144 * 128000 / 44100;
    std::string frame(Frame_bytes, '\0');
    frame[0] = '\xFF';
    frame[1] = '\xFB';
    frame[2] = '\x90';
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    for (int i = 0, n = static_cast<int>(seconds * 44100 / 1152); i < n; ++i) out.write(frame.data(), Frame_bytes);
}

}  // namespace TestSupport
