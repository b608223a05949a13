// The albums whose cover lookup found nothing, each with the time of that lookup: they are not
// asked again for Retry_after_s. A side file beside the library file; missing or corrupt, it is empty.
#pragma once

#include <map>
#include <string>

class Cover_misses {
public:
    static constexpr const char* File_name = "MusicDataBase.nocovers";
    static constexpr long long Retry_after_s = 30LL * 24 * 60 * 60;
    // A larger file is taken for a corrupt one rather than read into memory.
    static constexpr unsigned long long Max_file_size = 16ull << 20;

    // Reads the side file of the working folder. A missing one is an empty list; one that does not
    // read whole is an empty list too, with an error line: every album is asked again.
    static Cover_misses Load();

    // Whether the lookup of album found nothing less than Retry_after_s before now_s (seconds of
    // the wall clock, which lasts from one start to the next).
    bool Recent(const std::string& album, long long now_s) const;
    void Add(const std::string& album, long long now_s);
    void Remove(const std::string& album);
    bool Changed() const { return changed_; }
    // Replaces the side file atomically with the entries still recent at now_s; false (an error
    // line, the old file kept) when it could not be written.
    bool Save(long long now_s);

    static long long Now_s();  // the wall clock

private:
    std::map<std::string, long long> missed_;  // album name -> when its lookup found nothing
    bool changed_ = false;
};
