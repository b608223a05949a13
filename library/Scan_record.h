// What a scan records of the folders it enters (their times, for the start-up check) and how that
// check takes part in a scan. A session is the UI thread's, like the scan; Folder_time and List any.
#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

#include "platform/folder_listing.h"

class VxDatabase;

// One folder a scan listed: its path as the scan reached it (ending in the separator), its resolved
// path (no separator at the end), its modification time when it was listed, whether the scan
// entered no folder inside it (set where the side file is read), and whether it may hold a tag file.
struct VX_scanned_folder {
    std::string path;
    std::string real;
    std::int64_t time = 0;
    bool leaf = false;
    // The listing held an entry named like a tag file, in any case (not kept in the side file).
    bool tag_file = false;
};

// A folder listed ahead of its scan (on another thread): the listing, its entries in name order, and
// its time by the rules of Folder_time as they stood when it was listed.
struct VX_prepared_listing {
    Platform::Folder_listing listing;
    std::int64_t time = 0;
};
// By the folder's path as the scan reaches it, ending in the separator.
using VX_prepared_listings = std::unordered_map<std::string, VX_prepared_listing>;

namespace Scan_record {

// A time no folder is taken to have: the folder is listed again at the next check.
inline constexpr std::int64_t Unknown_time = 0;

// A folder's modification time in nanoseconds, taken before it is listed. Unknown_time when it
// cannot be read, and when it is so recent that a change in the same step of the file system's
// clock (two seconds on some) would leave it as it is.
std::int64_t Folder_time(const std::string& path);
// The same rules for a time already read (none: it could not be).
std::int64_t Folder_time(const std::optional<std::filesystem::file_time_type>& time);
// The path ending in the separator, as a scan names the folders it lists.
std::string With_separator(const std::string& path);
// A listing as a scan takes it: Platform::List_folder, the time as above, entries in name order.
VX_prepared_listing List(const std::string& folder);

// While a session lives, every folder a scan lists is appended to `listed`, all scans share one set
// of entered folders, and `descend` (when given) is asked first about every subfolder a scan meets
// (its path ending in the separator, its resolved path): true when it took care of it. A folder in
// `prepared` is taken from there instead of being listed again. One at a time.
class Session {
public:
    using Descend = std::function<bool(const std::string& path, const std::string& real)>;
    Session(std::vector<VX_scanned_folder>& listed, Descend descend = nullptr,
            VX_prepared_listings* prepared = nullptr);
    ~Session();
    Session(const Session&) = delete;
    Session& operator=(const Session&) = delete;

    // Counts a resolved path as entered; false when it already was.
    bool Enter(const std::string& real);
    // ReadMusic of folder, whose resolved path real was entered already.
    void Scan(VxDatabase& db, const std::string& folder, const std::string& real);
};

}  // namespace Scan_record
