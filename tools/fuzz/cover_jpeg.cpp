// Fuzzes the decoding of a JPEG cover as it comes from the web: the input is the album's cover.jpg, which the
// cover cache scales into its bitmap and a panel then loads (tools/fuzz/Cover_harness.h).
#include <cstdint>

#include "tools/fuzz/Cover_harness.h"

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    Fuzz_scratch::Enter(argc, argv);
    Cover_harness::Start_jukebox();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    Cover_harness::Run_one(data, size, "jpg");
    return 0;
}
