// Server addresses from the environment. A base without a final "/" gets one, so that the fixed
// paths of the services can be appended as they are.
#include "net/Net_servers.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>

namespace Net_servers {
namespace {
std::string Base(const char* name) {
    const char* value = std::getenv(name);
    if (!value || !*value) return "";
    std::string base = value;
    if (base.back() != '/') base += '/';
    return base;
}

bool Starts_with_nocase(const std::string& text, const std::string& head) {
    return text.size() >= head.size() && std::equal(head.begin(), head.end(), text.begin(), [](char a, char b) {
               return std::tolower(static_cast<unsigned char>(a)) == std::tolower(static_cast<unsigned char>(b));
           });
}

bool Equal_nocase(const std::string& text, const std::string& word) {
    return text.size() == word.size() && Starts_with_nocase(text, word);
}

// A service with a public address: the variable replaces it, and "off" switches it off. Empty is
// off too where the system keeps empty variables (Windows deletes a variable set to nothing).
std::string Base_or(const char* name, const char* fallback) {
    const char* value = std::getenv(name);
    if (!value) return fallback;
    if (Equal_nocase(value, "off")) return "";
    return Base(name);
}
}  // namespace

std::string Distribution() { return Base("TAVRIX_DIST_SERVER"); }
std::string Image_search() { return Base("TAVRIX_IMAGE_SEARCH"); }
std::string Local() { return Base("TAVRIX_LOCAL_SERVER"); }
std::string Music_brainz() { return Base_or("TAVRIX_MUSICBRAINZ_SERVER", "https://musicbrainz.org/ws/2/"); }
std::string Cover_art_archive() { return Base_or("TAVRIX_COVER_ART_SERVER", "https://coverartarchive.org/"); }

bool Secure_address(const std::string& url) {
    for (const char* scheme : {"https://", "http://"}) {
        if (!Starts_with_nocase(url, scheme)) continue;
        const std::size_t start = std::char_traits<char>::length(scheme);
        const std::string authority = url.substr(start, url.find_first_of("/?#", start) - start);
        if (authority.empty() || authority.find_first_of(" \t\r\n\\") != std::string::npos) return false;
        if (scheme[4] == 's') return true;
        // The loopback address itself, with or without a port: not a name that merely begins with it.
        if (authority == "127.0.0.1") return true;
        const std::string port = authority.rfind("127.0.0.1:", 0) == 0 ? authority.substr(10) : "";
        return !port.empty() && port.size() <= 5 &&
               std::all_of(port.begin(), port.end(), [](unsigned char c) { return std::isdigit(c); });
    }
    return false;
}

bool Trusted_program_source(bool secure, const std::string& peer_ip) { return secure || peer_ip == "127.0.0.1"; }

}  // namespace Net_servers
