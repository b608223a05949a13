// Writes short WAV files for the tests of the player: 16-bit mono PCM, a sine tone of the given length.
// Header-only so that any test folder can use it without a build change.
#pragma once

#include <cmath>
#include <cstdint>
#include <fstream>
#include <string>

namespace TestSupport {

inline void Write_wav(const std::string& path, double seconds, double frequency = 440.0, int rate = 8000) {
    const std::uint32_t samples = static_cast<std::uint32_t>(seconds * rate);
    const std::uint32_t data_bytes = samples * 2;
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    auto u32 = [&](std::uint32_t v) { out.write(reinterpret_cast<const char*>(&v), 4); };
    auto u16 = [&](std::uint16_t v) { out.write(reinterpret_cast<const char*>(&v), 2); };
    out.write("RIFF", 4);
    u32(36 + data_bytes);
    out.write("WAVEfmt ", 8);
    u32(16);
    u16(1);  // PCM
    u16(1);  // mono
    u32(static_cast<std::uint32_t>(rate));
    u32(static_cast<std::uint32_t>(rate) * 2);
    u16(2);
    u16(16);
    out.write("data", 4);
    u32(data_bytes);
    for (std::uint32_t i = 0; i < samples; ++i) {
        const double v = std::sin(2 * 3.14159265358979 * frequency * i / rate) * 8000;
        u16(static_cast<std::uint16_t>(static_cast<std::int16_t>(v)));
    }
}

}  // namespace TestSupport
