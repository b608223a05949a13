// The library commands of the program: start-up's library steps as the shell runs them, without the
// display; messages go through the platform's boxes (headless: dialogs.txt), progress to standard error.
#include "app/Library_commands.h"

#include <iostream>
#include <string>

#include "library/Library_listing.h"
#include "library/Library_startup.h"
#include "library/VxDatabase.h"
#include "settings/VxRead.h"

namespace Library_commands {
void Report_progress_on_stderr() {
    VX_progress_hooks hooks;
    hooks.tick = [](unsigned timer_id) {
        VxDatabase& db = VxDatabase::Instance();
        if (timer_id == 10)
            std::cerr << "\rLoading music folders: folders " << db.Get_folder_count() << ", albums " << db.Get_nof_cds()
                      << "        " << std::flush;
        else if (timer_id == 14)
            std::cerr << "\rDetermining album scores: " << db.Get_score_index() << "/" << db.Get_nof_cds()
                      << "        " << std::flush;
    };
    hooks.sorting = [](int done, int total) {
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
        std::cerr << "\rLibrary ready: " << db.Get_nof_cds() << " albums                              \n";
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
