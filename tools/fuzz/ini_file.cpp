// Fuzzes the INI engine behind "settings_v3.ini" and the "tavrix.tag" files: the input is a file and one
// change through the engine, which must store its value and leave every other value as it was read.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstdint>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "library/VxRating.h"
#include "settings/CIniFile.h"
#include "tools/fuzz/Fuzz_scratch.h"

namespace {

constexpr const char* File = "fuzz.ini";

// (section, key) -> the value Get_value answers: the first record's.
using Values = std::map<std::pair<std::string, std::string>, std::string>;

Values Read_values(std::vector<IniRecord>& records) {
    records.clear();
    CIniFile::Load_file(File, records);
    Values values;
    for (const IniRecord& r : records) {
        if (!r.key.empty()) values.emplace(std::make_pair(r.section, r.key), r.value);
        // A tag file's "rating" values reach the rating parser as they are read here.
        if (r.key == "rating") VxRating::Parse_rating(r.value);
    }
    return values;
}

std::string Describe(const std::pair<std::string, std::string>& where) {
    return "<" + Fuzz_scratch::Printable(where.first) + "> '" + Fuzz_scratch::Printable(where.second) + "'";
}

std::string Quoted(const std::string& text) { return "'" + Fuzz_scratch::Printable(text) + "'"; }

// Every value of before still reads the same, except those of the changed key or section.
void Expect_others_kept(const Values& before, const std::string& section, const std::string* key,
                        const std::string& change) {
    std::vector<IniRecord> records;
    const Values after = Read_values(records);
    for (const auto& [where, value] : before) {
        if (where.first == section && (!key || where.second == *key)) continue;
        auto it = after.find(where);
        if (it == after.end()) Fuzz_scratch::Fail(change + " lost " + Describe(where) + " = " + Quoted(value));
        if (it->second != value)
            Fuzz_scratch::Fail(change + " changed " + Describe(where) + " from " + Quoted(value) + " to " +
                               Quoted(it->second));
    }
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    Fuzz_scratch::Enter(argc, argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider input(data, size);
    // The change comes from the end of the input, the text to store from its start, so that a real
    // file used as a seed keeps most of its lines.
    const int change = input.ConsumeIntegralInRange(0, 5);
    const std::size_t pick = input.ConsumeIntegral<std::uint16_t>();
    const std::string text = input.ConsumeRandomLengthString(48);
    const std::string name = input.ConsumeRandomLengthString(24);
    Fuzz_scratch::Write(File, input.ConsumeRemainingBytesAsString());

    std::vector<IniRecord> records;
    const Values before = Read_values(records);
    // Mostly keys and sections the file already has: that is where the engine must find its way.
    std::string section = "SECTION";
    std::string key = name.empty() ? "key" : name;
    if (!records.empty()) {
        const IniRecord& r = records[pick % records.size()];
        section = r.section;
        if (!r.key.empty() && change == 0) key = r.key;
    }

    switch (change) {
        case 0:
        case 1:
        case 2: {
            if (change == 2) section = name;
            if (!CIniFile::Set_value(key, text, section, File)) return 0;
            const std::string stored = CIniFile::Get_value(key, section, File);
            if (stored != text)
                Fuzz_scratch::Fail("Set_value stored " + Quoted(text) + " at " + Describe({section, key}) +
                                   " but it reads " + Quoted(stored));
            Expect_others_kept(before, section, &key, "Set_value at " + Describe({section, key}));
            break;
        }
        case 3:
            if (CIniFile::Delete_record(key, section, File))
                Expect_others_kept(before, section, &key, "Delete_record at " + Describe({section, key}));
            break;
        case 4:
            if (CIniFile::Delete_section(section, File)) {
                if (CIniFile::Section_exists(section, File))
                    Fuzz_scratch::Fail("Delete_section left <" + Fuzz_scratch::Printable(section) + ">");
                Expect_others_kept(before, section, nullptr,
                                   "Delete_section <" + Fuzz_scratch::Printable(section) + ">");
            }
            break;
        default:
            if (CIniFile::Add_section(name, File))
                Expect_others_kept(before, name, nullptr, "Add_section <" + Fuzz_scratch::Printable(name) + ">");
            break;
    }
    return 0;
}
