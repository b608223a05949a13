// MD5 through the platform's digest (GLib on Linux, bcrypt on Windows). A failing digest yields an empty text,
// which never equals a stored one, so the worst outcome is one library rebuild.
#include "settings/CMD5.h"

#include <array>

#include "platform/md5.h"

struct CMD5::Context {
    Platform::Md5 md5;
};

CMD5::CMD5() : context_(new Context) {}

CMD5::~CMD5() { delete context_; }

void CMD5::Update(const void* data, std::size_t size) { context_->md5.Update(data, size); }

std::string CMD5::Hex_digest() {
    std::array<unsigned char, 16> digest{};
    if (!context_->md5.Finish(digest)) return {};
    static const char digits[] = "0123456789abcdef";
    std::string hex;
    for (unsigned char byte : digest) {
        hex += digits[byte >> 4];
        hex += digits[byte & 0x0F];
    }
    return hex;
}

std::string CMD5::Of(const std::string& text) {
    CMD5 md5;
    md5.Update(text);
    return md5.Hex_digest();
}
