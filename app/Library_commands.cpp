// The library commands of the program: start-up's library steps as the shell runs them, without the
// display; messages go through the platform's boxes (headless: dialogs.txt), progress to standard error
// as one rewritten line on a terminal, at most ten times a second, and only the final line elsewhere.
#include "app/Library_commands.h"

#include <chrono>
#include <iostream>
#include <string>

#include "library/Library_listing.h"
#include "library/Library_startup.h"
#include "library/VxDatabase.h"
#include "platform/terminal.h"
#include "settings/VxRead.h"

namespace {
// A line rewritten for every folder of a large music folder would cost more than the scan itself.
bool Progress_due() {
    using Clock = std::chrono::steady_clock;
    static Clock::time_point last;
    static bool shown = false;
    const Clock::time_point now = Clock::now();
    if (shown && now - last < std::chrono::milliseconds(100)) return false;
    shown = true;
    last = now;
    return true;
}
}  // namespace

namespace Library_commands {
void Report_progress_on_stderr() {
    if (!Platform::Stderr_is_terminal()) return;  // the final line alone
    VX_progress_hooks hooks;
    hooks.tick = [](unsigned timer_id) {
        if ((timer_id != 10 && timer_id != 14) || !Progress_due()) return;
        VxDatabase& db = VxDatabase::Instance();
        if (timer_id == 10)
            std::cerr << "\rLoading music folders: folders " << db.Get_folder_count() << ", albums " << db.Get_nof_cds()
                      << "        " << std::flush;
        else if (timer_id == 14)
            std::cerr << "\rDetermining album scores: " << db.Get_score_index() << "/" << db.Get_nof_cds() << "        "
                      << std::flush;
    };
    hooks.sorting = [](int done, int total) {
        if (!Progress_due() && done != total) return;
        std::cerr << "\rSorting library (" << done << "/" << total << ")                    " << std::flush;
    };
    VxDatabase::Instance().Set_progress_hooks(std::move(hooks));
}

int Run(bool rebuild, bool list, std::ostream& out) {
    VxDatabase& db = VxDatabase::Instance();
    if (rebuild) {
        Report_progress_on_stderr();
        Library_startup::Library_at_startup();
        db.Save_if_changed();
        if (Platform::Stderr_is_terminal())
            std::cerr << "\rLibrary ready: " << db.Get_nof_cds() << " albums                              \n";
        else
            std::cerr << "Library ready: " << db.Get_nof_cds() << " albums\n";
    } else if (list && VxRead::Instance().File_exists(VxDatabase::File_name)) {
        try {
            db.Load();
        } catch (const std::exception& e) {
            std::cerr << "The library file '" << VxDatabase::File_name << "' cannot be read: " << e.what() << "\n";
            return 1;
        }
    }
    if (list) Write_library_listing(out);
    return 0;
}

}  // namespace Library_commands
