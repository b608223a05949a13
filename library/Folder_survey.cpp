// The survey of the music folder for the start-up check: one look at the time of each recorded folder
// that holds folders, and the side file's folders indexed by path and by parent for the walk.
#include "library/Folder_survey.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

#include "library/Scan_record.h"
#include "platform/paths.h"

bool VX_folder_survey::Unchanged(std::size_t i) const {
    const std::int64_t recorded = old->folders[i].time;
    return recorded != Scan_record::Unknown_time && now[i] == recorded;
}

namespace {

// Lists what the walk will list: a folder not recorded as it was and every folder below it; a
// recorded one that is as it was is stepped through by its recorded subfolders. Links are left to
// the scan, which resolves them (and meets a loop only once).
void Prepare(VX_folder_survey& survey, const std::string& path) {
    if (survey.old) {
        const auto recorded = survey.at.find(path);
        if (recorded != survey.at.end() && survey.Unchanged(recorded->second)) {
            const auto children = survey.children.find(path);
            if (children == survey.children.end()) return;
            for (const std::size_t c : children->second) Prepare(survey, survey.old->folders[c].path);
            return;
        }
    }
    VX_prepared_listing listed = Scan_record::List(path);
    std::vector<std::string> folders;
    for (const Platform::Folder_entry& entry : listed.listing.entries)
        if (entry.kind == Platform::Entry_kind::folder && !entry.link)
            folders.push_back(path + entry.name + Platform::Path_separator);
    survey.listings.emplace(path, std::move(listed));
    for (const std::string& folder : folders) Prepare(survey, folder);
}

}  // namespace

namespace Folder_survey {

std::string_view Parent_of(std::string_view path) {
    if (path.size() < 2) return {};
    const std::size_t sep = path.rfind(Platform::Path_separator, path.size() - 2);
    return sep == std::string_view::npos ? std::string_view() : path.substr(0, sep + 1);
}

VX_folder_survey Make(const std::string& root) {
    VX_folder_survey survey;
    survey.root = root;
    std::error_code ec;
    survey.root_is_folder = !root.empty() && std::filesystem::is_directory(Platform::Fs_path(root), ec);
    if (!survey.root_is_folder) return survey;
    survey.old = Folder_times::Read(survey.why);
    if (survey.old && survey.old->root != root) {
        survey.why = std::string("'") + Folder_times::File_name + "' was written for the music folder '" +
                     survey.old->root + "'";
        survey.old.reset();
    }
    if (!survey.old) {
        Prepare(survey, Scan_record::With_separator(root));
        return survey;
    }

    const std::vector<VX_scanned_folder>& folders = survey.old->folders;
    survey.now.resize(folders.size());
    bool all_unchanged = true, has_root = false;
    for (std::size_t i = 0; i < folders.size(); ++i) {
        const VX_scanned_folder& f = folders[i];
        survey.now[i] = f.leaf ? f.time : Scan_record::Folder_time(f.path);
        all_unchanged = all_unchanged && survey.Unchanged(i);
        has_root = has_root || f.path == root;
    }
    survey.as_they_were = all_unchanged && has_root;
    if (survey.as_they_were) return survey;

    survey.at.reserve(folders.size());
    for (std::size_t i = 0; i < folders.size(); ++i) {
        survey.at.emplace(folders[i].path, i);
        survey.children[Parent_of(folders[i].path)].push_back(i);
    }
    // The scan meets subfolders in name order; the side file mostly has them so.
    const auto by_path = [&folders](std::size_t a, std::size_t b) { return folders[a].path < folders[b].path; };
    for (auto& [parent, list] : survey.children)
        if (!std::is_sorted(list.begin(), list.end(), by_path)) std::sort(list.begin(), list.end(), by_path);
    Prepare(survey, Scan_record::With_separator(root));
    return survey;
}

}  // namespace Folder_survey
