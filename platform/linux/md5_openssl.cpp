// MD5 through OpenSSL's EVP digest functions. Any failing call marks the digest failed, so the
// caller gets no digest rather than a wrong one.
#include <openssl/evp.h>

#include "platform/md5.h"

namespace Platform {

struct Md5::Impl {
    EVP_MD_CTX* ctx = nullptr;
    bool ok = false;
    ~Impl() { EVP_MD_CTX_free(ctx); }
};

Md5::Md5() : impl_(std::make_unique<Impl>()) {
    impl_->ctx = EVP_MD_CTX_new();
    impl_->ok = impl_->ctx && EVP_DigestInit_ex(impl_->ctx, EVP_md5(), nullptr) == 1;
}

Md5::~Md5() = default;

void Md5::Update(const void* data, std::size_t size) {
    if (impl_->ok && size > 0) impl_->ok = EVP_DigestUpdate(impl_->ctx, data, size) == 1;
}

bool Md5::Finish(std::array<unsigned char, 16>& digest) {
    unsigned char out[EVP_MAX_MD_SIZE];
    unsigned int length = 0;
    const bool ok = impl_->ok && EVP_DigestFinal_ex(impl_->ctx, out, &length) == 1 && length == digest.size();
    impl_->ok = false;
    if (ok) std::copy(out, out + digest.size(), digest.begin());
    return ok;
}

}  // namespace Platform
