// Fuzzes the script reader of headless runs: the input is a script file for Script_player::Load, which
// must accept it, or refuse it and say why (the jukebox prints the reason and does not start).
#include <cstdint>
#include <string>

#include "app/Script_player.h"
#include "tools/fuzz/Fuzz_scratch.h"

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    Fuzz_scratch::Enter(argc, argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    Fuzz_scratch::Write("fuzz.script", data, size);
    Script_player player;
    std::string error;
    const bool loaded = player.Load("fuzz.script", error);
    if (loaded != error.empty())
        Fuzz_scratch::Fail("Load answered " + std::to_string(loaded) + " with reason '" +
                           Fuzz_scratch::Printable(error) + "'");
    return 0;
}
