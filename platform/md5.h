// The MD5 digest of a well-kept library: GLib's on Linux, the system's (bcrypt) on Windows. Not for security,
// only for noticing a change. One object per digest; any thread, one at a time.
#pragma once

#include <array>
#include <cstddef>
#include <memory>

namespace Platform {

class Md5 {
public:
    Md5();
    ~Md5();
    Md5(const Md5&) = delete;
    Md5& operator=(const Md5&) = delete;

    void Update(const void* data, std::size_t size);
    // The digest of everything added so far; false when the library failed at any step. Ends the object's use.
    bool Finish(std::array<unsigned char, 16>& digest);

    struct Impl;

private:
    std::unique_ptr<Impl> impl_;
};

}  // namespace Platform
