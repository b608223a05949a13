// The options menu and its keys. A new music folder removes the old library file before the scan,
// so an interrupted scan leaves no stale library behind. The version is looked up at most once a run.
#include "modes/VxModeOptions.h"

#include <filesystem>
#include <system_error>

#include "display/VxButton.h"
#include "library/VxDatabase.h"
#include "modes/Mode_ids.h"
#include "modes/Mode_images.h"
#include "modes/Mode_support.h"
#include "modes/VxModeBrowse.h"
#include "modes/VxShell.h"
#include "net/VxVersion_check.h"
#include "platform/dialogs.h"
#include "settings/VxRead.h"
#include "trace/VxTrace.h"

namespace {
constexpr const char* Menu_file = "IMAGE_Q4A_extra.jpg";
constexpr double Menu_width = 73, Menu_height = 49;

struct Version_seen {
    std::string newest = "v??";
    bool looked_up = false;
};
Version_seen& Version() {
    static Version_seen seen;
    return seen;
}

// Keeps what the version check handed back, unless it found no version identifier.
void Keep_newest(const std::string& newest) {
    if (!newest.empty() && newest != "no match") Version().newest = newest;
}

const char* Yes_no(bool on) { return on ? "yes" : "no"; }

void Keep_rendering() {
    if (VxShell* shell = VxShell::Current()) shell->Keep_rendering();
}
}  // namespace

VxModeOptions::VxModeOptions(VxModeBrowse* browse) : VxMode(MODE_OPTIONS, "Options Mode"), browse_(browse) {
    VxMode_images* images = Mode_support::Images();
    if (!images) return;
    button_bar_ = VxButton::Instance().Make_button_set(VxButton_mode::Options);
    menu_panel_.Set_name(Menu_file);
    menu_panel_.Set_size(Menu_width, Menu_height);
    menu_panel_.Loading_surface(images->Pics() + Menu_file);
    menu_panel_.Set_hidden_position(VxMode_images::Action_hidden_x, VxMode_images::Action_y);
    menu_panel_.Set_shown_position(VxMode_images::Action_x, VxMode_images::Action_y);
    menu_panel_.Set_position(VxMode_images::Action_hidden_x, VxMode_images::Action_y);
}

void VxModeOptions::Forget_version_for_tests() { Version() = Version_seen{}; }

std::string VxModeOptions::Newest_version() {
    Version_seen& seen = Version();
    if (!seen.looked_up && VxRead::Instance().Get_check_new_version()) {
        seen.looked_up = true;
        std::string newest;
        Determine_new_version(newest);
        Keep_newest(newest);
    }
    return seen.newest;
}

std::vector<std::string> VxModeOptions::Build_lines() {
    VxRead& settings = VxRead::Instance();
    return {
        "Select New Music Folder. ( Current folder = " + settings.Get_music_folder() + ")",
        "Cache all missing Covers",
        std::string("Enable Random Song Play ?. (") + Yes_no(settings.Get_use_random()) + ")",
        "Download missing Cover (in DB) NOW !",
        std::string("Use internet connection on startup ?. (") + Yes_no(settings.Get_check_new_version()) + ")",
        std::string("Retrieve latest version (internet) !. (cur = ") + Own_version + " / new = " + Newest_version() +
            ")",
        std::string("Enable Logging ?. (") + Yes_no(settings.Get_use_logging()) + ")",
    };
}

void VxModeOptions::Refresh() {
    lines_ = Build_lines();
    VxMode_images* images = Mode_support::Images();
    if (!images) return;
    images->Reload(menu_panel_, Menu_file);
    menu_panel_.Set_text_size(2);
    menu_panel_.Set_line_advance(1.9 * VxBitmap::Preset_height(2));  // seven lines spread over the panel
    // The key of each line in a column of its own, so the lines themselves stay as the menu has them.
    const double advance_per_cent = 1.9 * VxBitmap::Preset_height(2) * 100.0 / Menu_height;
    for (std::size_t i = 0; i < lines_.size(); ++i) {
        const double y = 9 + advance_per_cent * static_cast<double>(i);
        menu_panel_.Set_text_colour(RGB(139, 26, 26));
        menu_panel_.Set_text_cursor(3, y);
        menu_panel_.Write_text(std::to_string(i + 1), 0, false);
        menu_panel_.Set_text_colour(RGB(0, 0, 0));
        menu_panel_.Set_text_cursor(6, y);
        menu_panel_.Write_text(lines_[i], 0, false);
    }
}

void VxModeOptions::Enter() {
    menu_panel_.Set_position(VxMode_images::Action_hidden_x, VxMode_images::Action_y);
    menu_panel_.Move_to_shown();
    VxMode::Enter();
}

void VxModeOptions::Leave() {
    menu_panel_.Move_to_hidden();
    VxMode::Leave();
}

void VxModeOptions::Draw_front() {
    if (Mode_support::Images()) menu_panel_.Draw();
}

void VxModeOptions::Choose_new_music_folder() {
    const std::string folder = VxRead::Instance().Choose_music_folder();
    if (folder.empty()) return;  // cancelled: the library and the settings stay as they were
    // The old library file goes first, so an interrupted scan cannot leave it standing for the
    // next start as if it described the new folder.
    std::error_code error;
    std::filesystem::remove(VxDatabase::File_name, error);
    if (error) {
        VxTrace::Instance().Write_error(std::string("Error : could not delete ") + VxDatabase::File_name + ": " +
                                        error.message());
        Platform::Message_box("VxMode", std::string("Could not delete the old library file ") + VxDatabase::File_name +
                                            ".\nThe music folder is changed, the library is not rebuilt.");
        return;
    }
    VxDatabase::Instance().Clear();
    if (VxShell* shell = VxShell::Current()) shell->Rebuild_library();
    if (browse_) browse_->Reset_panel();
    Refresh();
}

// The offer comes first: the version check asks the server only once a run and answers "newer"
// only that once, so the offer must be the call that asks. The second call hands back its text.
void VxModeOptions::Retrieve_latest_version() {
    VxRead& settings = VxRead::Instance();
    const bool check_on_startup = settings.Get_check_new_version();
    settings.Set_check_new_version(true);
    Offer_new_version();
    std::string newest;
    Determine_new_version(newest);
    settings.Set_check_new_version(check_on_startup);
    Version().looked_up = true;
    Keep_newest(newest);
}

void VxModeOptions::On_char(int code) {
    VxRead& settings = VxRead::Instance();
    switch (code) {
        case '1':
            Choose_new_music_folder();
            return;
        case '2':
            settings.Set_cache_covers(true);
            VxDatabase::Instance().Create_and_remove_cached_covers();
            Keep_rendering();
            Refresh();
            return;
        case '3':
            settings.Set_use_random(!settings.Get_use_random());
            Refresh();
            return;
        case '4': {
            // New cover names belong in the library file, or the next start would not know them.
            VxDatabase& db = VxDatabase::Instance();
            db.Set_download_count(0);
            db.Download_missing_covers();
            if (db.Get_download_count() > 0) db.Set_changed(true);
            Refresh();
            return;
        }
        case '5':
            settings.Set_check_new_version(!settings.Get_check_new_version());
            Refresh();
            return;
        case '6':
            Retrieve_latest_version();
            Refresh();
            return;
        case '7':
            settings.Set_use_logging(!settings.Get_use_logging());
            Refresh();
            return;
        default:
            break;
    }
    if (Handle_playback_char(code)) return;
    if (auto mode = Mode_for_letter(code, {MODE_BROWSE, MODE_RATING, MODE_SEARCH, MODE_VOLUME})) {
        Set_mode(*mode);
        return;
    }
    switch (code) {
        case 8:
        case 27:
            Set_mode(MODE_PREVIOUS);
            break;
        default:
            break;
    }
}
