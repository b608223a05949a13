// What the start-up check of changed folders asks of the disk before it needs the library: the side
// file, the present times of the folders that hold folders, the changed folders listed. Any thread.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "library/Folder_times.h"
#include "library/Scan_record.h"

struct VX_folder_survey {
    std::string root;                    // the music folder it was made for, as the settings name it
    bool root_is_folder = false;         // false: the music folder cannot be read now
    std::optional<VX_folder_times> old;  // the side file; none when missing, corrupt or of another folder
    std::string why;                     // why there is none
    // Per folder of old: its time now. An album folder (a leaf) is not looked at and keeps the time
    // recorded: one added, removed or renamed changes the folder that holds it.
    std::vector<std::int64_t> now;
    // For the walk, made only when something changed. They view old's paths, which a move of the
    // survey leaves in place (a moved vector keeps its elements).
    std::unordered_map<std::string_view, std::size_t> at;                     // a folder by its path
    std::unordered_map<std::string_view, std::vector<std::size_t>> children;  // by parent, in name order
    // Listed ahead for the walk: every folder not recorded as it was, and everything below it.
    VX_prepared_listings listings;

    // Every recorded folder is as it was and the music folder is among them: then nothing below is
    // indexed or listed.
    bool as_they_were = false;

    // Whether old's folder i is as it was when recorded.
    bool Unchanged(std::size_t i) const;
};

namespace Folder_survey {

// Reads the side file of the working folder and the times of root's recorded folders, and lists the
// folders the walk will list (all of them without a side file). Writes no
// trace and touches no singleton, so that it runs on a thread of its own beside the library file's
// load; throws nothing but std::bad_alloc.
VX_folder_survey Make(const std::string& root);

// "a/b/c/" gives "a/b/"; the top folder gives "".
std::string_view Parent_of(std::string_view path);

}  // namespace Folder_survey
