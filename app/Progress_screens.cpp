// The "Please wait !" screens of long operations: the progress box refilled, its lines written with
// the library's current counts, and the frame presented at once without waiting for the pacing.
#include "app/VxApplication.h"
#include "display/VxDirectX.h"
#include "library/VxDatabase.h"
#include "trace/VxTrace.h"

namespace {
std::string Num(int n) { return std::to_string(n); }
}  // namespace

void VxApplication::Begin_progress(bool redraw_background) {
    if (redraw_background) background_.Draw();
    progress_back_.Draw_onto(progress_box_);
    progress_box_.Set_text_cursor(10, 10);
}

void VxApplication::Progress_line(const std::string& text, int max_length) {
    progress_box_.Write_text(text, max_length, true);
}

void VxApplication::End_progress() {
    progress_box_.Draw();
    VxDirectX::Instance().Present();
}

void VxApplication::Progress_caching_covers() {
    VxDatabase& db = VxDatabase::Instance();
    Begin_progress(true);
    Progress_line("Please wait !");
    Progress_line("");
    Progress_line("Caching Missing Covers ...");
    Progress_line("Cover count =" + Num(db.Get_cover_index()) + "/" + Num(db.Get_nof_cds()));
    End_progress();
}

void VxApplication::Progress_download_file(int kilobytes) {
    Begin_progress(false);
    Progress_line("Please wait !");
    Progress_line("");
    Progress_line("Downloading file ...");
    Progress_line(Num(kilobytes) + "[kb]");
    End_progress();
}

void VxApplication::Progress_saving_database() {
    Begin_progress(false);
    Progress_line("Please wait !");
    Progress_line("");
    Progress_line("Saving Database...");
    End_progress();
}

void VxApplication::Progress_sorting_database(int done, int total) {
    Begin_progress(false);
    Progress_line("Please wait !");
    Progress_line("");
    Progress_line("Sorting Database (" + Num(done) + "/" + Num(total) + ").");
    End_progress();
}

void VxApplication::Progress_version_check() {
    Begin_progress(true);
    Progress_line("Please wait !");
    Progress_line("");
    Progress_line("Checking for new version ...");
    End_progress();
}

void VxApplication::Progress_downloading_covers() {
    VxDatabase& db = VxDatabase::Instance();
    Begin_progress(true);
    Progress_line("Please wait !");
    Progress_line("");
    Progress_line("Downloading new Covers ...");
    Progress_line("Cover count =" + Num(db.Get_cover_index()) + "/" + Num(db.Get_nof_cds()));
    Progress_line("Downloaded covers so far =" + Num(db.Get_download_count()));
    // The pass has a time budget: what is left of it, and once spent, what waits.
    if (db.Get_postponed_count() > 0)
        Progress_line("Time is up: " + Num(db.Get_postponed_count()) + " albums wait for the next pass");
    else if (db.Get_cover_seconds_left() >= 0)
        Progress_line("Time left =" + Num(db.Get_cover_seconds_left()) + " s");
    End_progress();
}

void VxApplication::Progress_cd_scores() {
    VxTraceScope scope("Determine_cd_scores");
    Begin_progress(true);
    Progress_line("Determining Cd Scores!");
    Progress_line("");
    Progress_line("Current Cd =" + Num(VxDatabase::Instance().Get_score_index()));
    End_progress();
}

void VxApplication::Progress_loading_folders() {
    VxDatabase& db = VxDatabase::Instance();
    background_.Draw();
    if (db.Get_nof_cds() > 0) {
        Begin_progress(false);
        Progress_line("Please wait !");
        Progress_line("");
        Progress_line("Loading Music folders ...");
        Progress_line("Folder count =" + Num(db.Get_folder_count()));
        Progress_line("Album count =" + Num(db.Get_nof_cds()));
        Progress_line("Album =" + db.Get_cd_name(0), 50);
        progress_box_.Draw();
    }
    VxDirectX::Instance().Present();
}

void VxApplication::Progress_loading_bitmaps() {
    Begin_progress(true);
    Progress_line("Please wait !");
    Progress_line("");
    Progress_line("Loading Bitmaps ...");
    End_progress();
}
