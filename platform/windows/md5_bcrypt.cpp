// MD5 through Windows' CNG (bcrypt): one hash object per digest over the system's MD5 provider.
// Any failing call marks the digest failed, so the caller gets no digest rather than a wrong one.
#include <windows.h>
// The system headers below need the declarations of the ones above.
#include <bcrypt.h>

#include "platform/md5.h"

namespace Platform {

struct Md5::Impl {
    BCRYPT_ALG_HANDLE algorithm = nullptr;
    BCRYPT_HASH_HANDLE hash = nullptr;
    bool ok = false;
    ~Impl() {
        if (hash) BCryptDestroyHash(hash);
        if (algorithm) BCryptCloseAlgorithmProvider(algorithm, 0);
    }
};

Md5::Md5() : impl_(std::make_unique<Impl>()) {
    impl_->ok = BCRYPT_SUCCESS(BCryptOpenAlgorithmProvider(&impl_->algorithm, BCRYPT_MD5_ALGORITHM, nullptr, 0)) &&
                BCRYPT_SUCCESS(BCryptCreateHash(impl_->algorithm, &impl_->hash, nullptr, 0, nullptr, 0, 0));
}

Md5::~Md5() = default;

void Md5::Update(const void* data, std::size_t size) {
    const auto* bytes = static_cast<const unsigned char*>(data);
    // BCryptHashData takes at most a ULONG at a time.
    while (impl_->ok && size > 0) {
        const ULONG part = size > 0x40000000u ? 0x40000000u : static_cast<ULONG>(size);
        impl_->ok = BCRYPT_SUCCESS(BCryptHashData(impl_->hash, const_cast<PUCHAR>(bytes), part, 0));
        bytes += part;
        size -= part;
    }
}

bool Md5::Finish(std::array<unsigned char, 16>& digest) {
    const bool ok = impl_->ok && BCRYPT_SUCCESS(BCryptFinishHash(impl_->hash, digest.data(), 16, 0));
    impl_->ok = false;
    return ok;
}

}  // namespace Platform
