// MD5 through OpenSSL's EVP digest functions. A failing OpenSSL call yields an empty digest,
// which never equals a stored one, so the worst outcome is one library rebuild.
#include "settings/CMD5.h"

#include <openssl/evp.h>

struct CMD5::Context {
    EVP_MD_CTX* ctx = nullptr;
    bool ok = false;
};

CMD5::CMD5() : context_(new Context) {
    context_->ctx = EVP_MD_CTX_new();
    context_->ok = context_->ctx && EVP_DigestInit_ex(context_->ctx, EVP_md5(), nullptr) == 1;
}

CMD5::~CMD5() {
    EVP_MD_CTX_free(context_->ctx);
    delete context_;
}

void CMD5::Update(const void* data, std::size_t size) {
    if (context_->ok && size > 0) context_->ok = EVP_DigestUpdate(context_->ctx, data, size) == 1;
}

std::string CMD5::Hex_digest() {
    unsigned char digest[EVP_MAX_MD_SIZE];
    unsigned int length = 0;
    if (!context_->ok || EVP_DigestFinal_ex(context_->ctx, digest, &length) != 1) return {};
    context_->ok = false;
    static const char digits[] = "0123456789abcdef";
    std::string hex;
    for (unsigned int i = 0; i < length; ++i) {
        hex += digits[digest[i] >> 4];
        hex += digits[digest[i] & 0x0F];
    }
    return hex;
}

std::string CMD5::Of(const std::string& text) {
    CMD5 md5;
    md5.Update(text);
    return md5.Hex_digest();
}
