// The shared text helpers. Compiled expressions are kept per thread, keyed by their text, because
// the scan applies the same dozen patterns to every song of the music folder.
#include "library/VxDefs.h"

#include <boost/regex.hpp>
#include <cctype>
#include <ctime>
#include <memory>
#include <sstream>
#include <unordered_map>

#include "platform/dialogs.h"
#include "platform/process.h"
#include "trace/VxTrace.h"

namespace {

const char* const No_match = "no match";

struct Compiled {
    std::unique_ptr<boost::regex> re;  // null when the pattern is invalid
    std::string error;                 // the compiler's message then
};

const Compiled& Compile(const std::string& pattern) {
    thread_local std::unordered_map<std::string, Compiled> cache;
    auto it = cache.find(pattern);
    if (it != cache.end()) return it->second;
    Compiled c;
    try {
        c.re = std::make_unique<boost::regex>(pattern);
    } catch (const std::exception& e) {
        c.error = e.what();
    }
    return cache.emplace(pattern, std::move(c)).first->second;
}

}  // namespace

std::string regex_extract(std::string_view input, const std::string& pattern) {
    const Compiled& c = Compile(pattern);
    if (!c.re) return c.error.empty() ? std::string(No_match) : c.error;
    try {
        // Kept from call to call: the scan matches every song, and fresh results would allocate each time.
        thread_local boost::cmatch m;
        if (!boost::regex_match(input.data(), input.data() + input.size(), m, *c.re) || m.size() < 2) return No_match;
        if (m[1].length() == 0) return No_match;
        return std::string(m[1].first, m[1].second);
    } catch (const std::exception& e) {
        std::string text = e.what();
        return text.empty() ? std::string(No_match) : text;
    }
}

std::string get_extension(const std::string& path) {
    const auto dot = path.rfind('.');
    if (dot == std::string::npos) return "";
    return to_upper(path.substr(dot + 1));
}

bool is_song_extension(const std::string& ext) {
    static const char* const songs[] = {"WMA", "WAV", "MP3", "OGG", "AAC", "APE", "FLAC"};
    for (const char* s : songs)
        if (ext == s) return true;
    return false;
}

std::string to_upper(std::string text) {
    for (char& ch : text) {
        const auto b = static_cast<unsigned char>(ch);
        if (b < 128) ch = static_cast<char>(std::toupper(b));
    }
    return text;
}

std::string to_lower(std::string text) {
    for (char& ch : text) {
        const auto b = static_cast<unsigned char>(ch);
        if (b < 128) ch = static_cast<char>(std::tolower(b));
    }
    return text;
}

std::string int_to_string(long long n) {
    std::ostringstream s;
    if (!(s << n)) return "ERROR";
    return s.str();
}

std::string double_to_string(double x) {
    std::ostringstream s;
    if (!(s << x)) return "ERROR";
    return s.str();
}

void rev_split_string(const std::string& text, const std::string& delimiter, std::string& left, std::string& right) {
    const auto pos = text.find(delimiter);
    if (pos == std::string::npos) return;
    left = text.substr(0, pos);
    right = text.substr(pos + delimiter.size());
}

std::string next_start_char(const std::string& c) {
    const std::string u = to_upper(c);
    if (u.empty() || u[0] == 'Z') return "0";
    if (u[0] == '9') return "A";
    return std::string(1, static_cast<char>(static_cast<unsigned char>(u[0]) + 1));
}

std::string previous_start_char(const std::string& c) {
    const std::string u = to_upper(c);
    if (u.empty() || u[0] == '0') return "Z";
    if (u[0] == 'A') return "9";
    return std::string(1, static_cast<char>(static_cast<unsigned char>(u[0]) - 1));
}

std::string fold_accents(const std::string& text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto b = static_cast<unsigned char>(text[i]);
        if (b == 0xE9) {
            out += 'E';
        } else if (b == 0xF8) {
            out += 'O';
        } else if (b == 0xC3 && i + 1 < text.size() &&
                   (static_cast<unsigned char>(text[i + 1]) == 0xA9 ||
                    static_cast<unsigned char>(text[i + 1]) == 0xB8)) {
            out += static_cast<unsigned char>(text[i + 1]) == 0xA9 ? 'E' : 'O';
            ++i;
        } else {
            out += text[i];
        }
    }
    return out;
}

namespace {

// The runtime generator that the jukebox has always used: 15 bits per draw.
struct Classic_rand {
    std::uint32_t state = 1;
    bool seeded = false;
    int Next() {
        state = state * 214013u + 2531011u;
        return static_cast<int>((state >> 16) & 0x7FFF);
    }
};

Classic_rand& Generator() {
    static Classic_rand g;
    return g;
}

}  // namespace

void random_seed(std::uint32_t seed) {
    Generator().state = seed;
    Generator().seeded = true;
}

int random_range(int start, int stop) {
    VxTrace& trace = VxTrace::Instance();
    trace.Write_value("RAND_start", start);
    trace.Write_value("RAND_stop", stop);
    if (stop < start) {
        Platform::Message_box("VxDefs", "Invalid call to random function !");
        Platform::Exit_process(1);
    }
    if (stop == start) return start;
    Classic_rand& g = Generator();
    if (!g.seeded) {
        g.state = static_cast<std::uint32_t>(std::time(nullptr));
        g.seeded = true;
    }
    const long long span = static_cast<long long>(stop) - start;
    long long draw = g.Next();
    // One draw reaches only 32768 values; beyond that two draws make 30 bits.
    if (span > 32768) draw = (draw << 15) | g.Next();
    const int value = static_cast<int>(start + draw % span);
    trace.Write_value("RAND_value", value);
    return value;
}
