// The start-up check of the music folder against the folder times of the last scan: album folders
// added, removed, renamed or changed since are listed and scanned, the others are left unread. UI thread.
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "library/Folder_survey.h"
#include "library/Scan_record.h"

// What a check found.
struct VX_folder_check {
    int folders = 0;  // folders the check went through
    int listed = 0;   // of them listed again (new, or changed since their time)
    int added = 0;    // albums that are new, or whose songs or cover changed
    int removed = 0;  // albums whose folder is gone or holds no songs now
    bool Library_changed() const { return added > 0 || removed > 0; }
};

namespace Folder_check {

// After the library file is loaded: brings the library in line with the music folder as described
// above. Changed albums get their ratings and scores from their tag files, the others keep theirs;
// then order, index and random list are made again and the library and the side file saved. A
// missing or corrupt side file lists every folder. A music folder that cannot be read leaves the
// library as it is (a message says so).
VX_folder_check Check_music_folder();
// The same with the survey of the disk made beforehand (on any thread, beside the load): the survey
// is all it looks at of the side file and of the unchanged folders' times. digest_sum, when given, is
// Folder_times::Digest_sum of the library as it stands (summed beforehand on another thread).
VX_folder_check Check_music_folder(VX_folder_survey survey, std::optional<std::uint64_t> digest_sum = std::nullopt);

// After a full scan of the music folder: its listed folders become the side file's times.
void Write_times(std::vector<VX_scanned_folder> listed);

}  // namespace Folder_check
