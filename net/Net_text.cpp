// Text helpers of the internet services. Extraction catches every error of the expression
// engine, because the input is whatever a server chose to send.
#include "net/Net_text.h"

#include <boost/regex.hpp>

namespace Net_text {

std::string Extract(const std::string& input, const std::string& pattern) {
    try {
        const boost::regex expression(pattern);
        boost::smatch match;
        if (!boost::regex_match(input, match, expression) || match.size() < 2) return No_match;
        std::string capture = match[1].str();
        return capture.empty() ? No_match : capture;
    } catch (...) {
        // Boost.Regex throws when a match grows too complex (very long or crafted pages).
        return No_match;
    }
}

std::string Encode_query_value(const std::string& text) {
    static const char* hex = "0123456789ABCDEF";
    std::string out;
    out.reserve(text.size() * 3);
    for (unsigned char c : text) {
        bool unreserved = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' ||
                          c == '_' || c == '.' || c == '~';
        if (unreserved) {
            out += static_cast<char>(c);
        } else if (c == ' ') {
            out += '+';
        } else {
            out += '%';
            out += hex[c >> 4];
            out += hex[c & 0x0F];
        }
    }
    return out;
}

bool Is_plain_version(const std::string& text) {
    if (text.size() < 2 || text.size() > 32 || text[0] != 'v') return false;
    if (text[1] < '0' || text[1] > '9') return false;
    for (std::size_t i = 1; i < text.size(); ++i) {
        char c = text[i];
        if (!((c >= '0' && c <= '9') || c == '.')) return false;
    }
    return true;
}

std::string Trim_right(std::string text) {
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r' || text.back() == ' ' || text.back() == '\t')) {
        text.pop_back();
    }
    return text;
}

}  // namespace Net_text
