// Fuzzes the image search answer: any page gives four entries, each "no match" or an http address of a
// JPEG, and no page keeps the expression engine busy (run with -timeout: a slow input is a finding).
#include <cstdint>
#include <string>
#include <vector>

#include "net/Net_text.h"
#include "net/VxCover_lookup.h"
#include "tools/fuzz/Fuzz_scratch.h"

namespace {

// On a short page the plain expression engine answers quickly, so it checks the shortcut that
// decides when the engine is asked at all.
constexpr std::size_t Reference_page_limit = 512;

bool Is_jpeg_address(const std::string& url) {
    auto ends_with = [&](const char* tail) { return url.size() >= 8 && url.compare(url.size() - 4, 4, tail) == 0; };
    return url.rfind("http", 0) == 0 && (ends_with(".jpg") || ends_with(".JPG"));
}

std::string Reference_url(const std::string& page, int n) {
    std::string address = Net_text::Extract(page, Link_expressions[n]);
    if (address == Net_text::No_match) return address;
    std::string inner = Net_text::Extract(address, Cleanup_expression);
    return inner == Net_text::No_match ? address : inner;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string page(reinterpret_cast<const char*>(data), size);
    const std::vector<std::string> urls = Parse_image_urls(page);
    if (urls.size() != 4) Fuzz_scratch::Fail("Parse_image_urls gave " + std::to_string(urls.size()) + " entries");
    for (int n = 0; n < 4; ++n) {
        const std::string& url = urls[static_cast<std::size_t>(n)];
        if (url != Net_text::No_match && !Is_jpeg_address(url))
            Fuzz_scratch::Fail("entry " + std::to_string(n + 1) + " is no JPEG address: '" +
                               Fuzz_scratch::Printable(url) + "'");
        if (size <= Reference_page_limit) {
            const std::string expected = Reference_url(page, n);
            if (url != expected)
                Fuzz_scratch::Fail("entry " + std::to_string(n + 1) + " is '" + Fuzz_scratch::Printable(url) +
                                   "', the expression alone gives '" + Fuzz_scratch::Printable(expected) + "'");
        }
    }
    return 0;
}
