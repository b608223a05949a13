// Fuzzes the server's "Info.txt" answer as Determine_new_version reads it (net/VxVersion_check.h has no
// entry point without the network, so this repeats its three steps): what passes names only a plain version.
#include <cstdint>
#include <string>

#include "net/Net_text.h"
#include "tools/fuzz/Fuzz_scratch.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string response(reinterpret_cast<const char*>(data), size);
    std::string text = Net_text::Extract(response, "version=(.*)");
    if (text == Net_text::No_match) return 0;
    text = Net_text::Trim_right(text);
    if (!Net_text::Is_plain_version(text)) return 0;
    // The accepted text becomes "../files/TavrixJukebox_<text>.exe", a file that is then started.
    if (text.size() > 32 || text[0] != 'v' || text.find_first_not_of("0123456789.", 1) != std::string::npos)
        Fuzz_scratch::Fail("accepted version text '" + Fuzz_scratch::Printable(text) + "'");
    return 0;
}
