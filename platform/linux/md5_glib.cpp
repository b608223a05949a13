// MD5 through GLib's checksums: GLib is loaded with the media back end anyway, where a crypto library
// (OpenSSL) was loaded and set up at every start for a digest of a few hundred bytes. Any failing step
// marks the digest failed, so the caller gets no digest rather than a wrong one.
#include <glib.h>

#include <algorithm>
#include <climits>

#include "platform/md5.h"

namespace Platform {

struct Md5::Impl {
    GChecksum* checksum = g_checksum_new(G_CHECKSUM_MD5);
    ~Impl() {
        if (checksum) g_checksum_free(checksum);
    }
};

Md5::Md5() : impl_(std::make_unique<Impl>()) {}

Md5::~Md5() = default;

void Md5::Update(const void* data, std::size_t size) {
    const auto* bytes = static_cast<const guchar*>(data);
    // GLib takes a signed length: larger inputs go in pieces.
    while (impl_->checksum && size > 0) {
        const std::size_t piece = std::min<std::size_t>(size, SSIZE_MAX);
        g_checksum_update(impl_->checksum, bytes, static_cast<gssize>(piece));
        bytes += piece;
        size -= piece;
    }
}

bool Md5::Finish(std::array<unsigned char, 16>& digest) {
    if (!impl_->checksum) return false;
    gsize length = digest.size();
    g_checksum_get_digest(impl_->checksum, digest.data(), &length);
    g_checksum_free(impl_->checksum);
    impl_->checksum = nullptr;  // the object's use has ended
    return length == digest.size();
}

}  // namespace Platform
