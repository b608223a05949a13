// MD5 as RFC 1321 defines it, in this program: the digest only notices a change in the settings, and
// OpenSSL's took a start some 6 ms to load its library and set up its providers for a few hundred
// bytes. Blocks of 64 bytes, words little-endian, the length in bits appended after a 0x80 byte.
#include <algorithm>
#include <cstdint>
#include <cstring>

#include "platform/md5.h"

namespace Platform {

namespace {

// floor(|sin(i + 1)| * 2^32), and each step's rotation.
constexpr std::uint32_t Sine[64] = {
    0xd76aa478, 0xe8c7b756, 0x242070db, 0xc1bdceee, 0xf57c0faf, 0x4787c62a, 0xa8304613, 0xfd469501,
    0x698098d8, 0x8b44f7af, 0xffff5bb1, 0x895cd7be, 0x6b901122, 0xfd987193, 0xa679438e, 0x49b40821,
    0xf61e2562, 0xc040b340, 0x265e5a51, 0xe9b6c7aa, 0xd62f105d, 0x02441453, 0xd8a1e681, 0xe7d3fbc8,
    0x21e1cde6, 0xc33707d6, 0xf4d50d87, 0x455a14ed, 0xa9e3e905, 0xfcefa3f8, 0x676f02d9, 0x8d2a4c8a,
    0xfffa3942, 0x8771f681, 0x6d9d6122, 0xfde5380c, 0xa4beea44, 0x4bdecfa9, 0xf6bb4b60, 0xbebfbc70,
    0x289b7ec6, 0xeaa127fa, 0xd4ef3085, 0x04881d05, 0xd9d4d039, 0xe6db99e5, 0x1fa27cf8, 0xc4ac5665,
    0xf4292244, 0x432aff97, 0xab9423a7, 0xfc93a039, 0x655b59c3, 0x8f0ccc92, 0xffeff47d, 0x85845dd1,
    0x6fa87e4f, 0xfe2ce6e0, 0xa3014314, 0x4e0811a1, 0xf7537e82, 0xbd3af235, 0x2ad7d2bb, 0xeb86d391};
constexpr int Rotation[64] = {7,  12, 17, 22, 7,  12, 17, 22, 7,  12, 17, 22, 7,  12, 17, 22, 5,  9,  14, 20, 5,  9,
                              14, 20, 5,  9,  14, 20, 5,  9,  14, 20, 4,  11, 16, 23, 4,  11, 16, 23, 4,  11, 16, 23,
                              4,  11, 16, 23, 6,  10, 15, 21, 6,  10, 15, 21, 6,  10, 15, 21, 6,  10, 15, 21};

std::uint32_t Rotate_left(std::uint32_t x, int n) { return (x << n) | (x >> (32 - n)); }

}  // namespace

struct Md5::Impl {
    std::uint32_t state[4] = {0x67452301, 0xefcdab89, 0x98badcfe, 0x10325476};
    unsigned char block[64] = {};
    std::size_t in_block = 0;  // bytes waiting in block
    std::uint64_t length = 0;  // bytes added in all
    bool finished = false;

    void Compress(const unsigned char* bytes) {
        std::uint32_t w[16];
        for (int i = 0; i < 16; ++i)
            w[i] = static_cast<std::uint32_t>(bytes[4 * i]) | static_cast<std::uint32_t>(bytes[4 * i + 1]) << 8 |
                   static_cast<std::uint32_t>(bytes[4 * i + 2]) << 16 |
                   static_cast<std::uint32_t>(bytes[4 * i + 3]) << 24;
        std::uint32_t a = state[0], b = state[1], c = state[2], d = state[3];
        for (int i = 0; i < 64; ++i) {
            std::uint32_t f;
            int g;
            if (i < 16) {
                f = (b & c) | (~b & d);
                g = i;
            } else if (i < 32) {
                f = (d & b) | (~d & c);
                g = (5 * i + 1) % 16;
            } else if (i < 48) {
                f = b ^ c ^ d;
                g = (3 * i + 5) % 16;
            } else {
                f = c ^ (b | ~d);
                g = (7 * i) % 16;
            }
            const std::uint32_t next = b + Rotate_left(a + f + Sine[i] + w[g], Rotation[i]);
            a = d;
            d = c;
            c = b;
            b = next;
        }
        state[0] += a;
        state[1] += b;
        state[2] += c;
        state[3] += d;
    }

    void Add(const unsigned char* bytes, std::size_t size) {
        while (size > 0) {
            const std::size_t take = std::min(size, sizeof block - in_block);
            std::memcpy(block + in_block, bytes, take);
            in_block += take;
            bytes += take;
            size -= take;
            if (in_block == sizeof block) {
                Compress(block);
                in_block = 0;
            }
        }
    }
};

Md5::Md5() : impl_(std::make_unique<Impl>()) {}

Md5::~Md5() = default;

void Md5::Update(const void* data, std::size_t size) {
    if (impl_->finished || size == 0) return;
    impl_->length += size;
    impl_->Add(static_cast<const unsigned char*>(data), size);
}

bool Md5::Finish(std::array<unsigned char, 16>& digest) {
    if (impl_->finished) return false;
    impl_->finished = true;
    const std::uint64_t bits = impl_->length * 8;
    const unsigned char one = 0x80, zero = 0;
    impl_->Add(&one, 1);
    while (impl_->in_block != 56) impl_->Add(&zero, 1);
    unsigned char tail[8];
    for (int i = 0; i < 8; ++i) tail[i] = static_cast<unsigned char>(bits >> (8 * i));
    impl_->Add(tail, 8);
    for (int i = 0; i < 16; ++i) digest[i] = static_cast<unsigned char>(impl_->state[i / 4] >> (8 * (i % 4)));
    return true;
}

}  // namespace Platform
