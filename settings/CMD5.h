// The MD5 digest (RFC 1321) of the settings fingerprint, as 32 lowercase hexadecimal digits.
// A thin wrapper over the platform's digest; not for security, only for noticing a change.
#pragma once

#include <cstddef>
#include <string>

class CMD5 {
public:
    CMD5();
    ~CMD5();
    CMD5(const CMD5&) = delete;
    CMD5& operator=(const CMD5&) = delete;

    void Update(const void* data, std::size_t size);
    void Update(const std::string& text) { Update(text.data(), text.size()); }
    // The digest of everything added so far, two digits per byte ("%02x"). Ends the object's use.
    std::string Hex_digest();

    // The digest of one text's bytes (no terminator).
    static std::string Of(const std::string& text);

private:
    struct Context;
    Context* context_;
};
