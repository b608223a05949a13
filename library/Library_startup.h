// The library at start-up and the rebuild sequence that the shell runs: load the library file, or
// scan, score, sort and index the music folder and save the result. UI thread only.
#pragma once

#include <functional>

namespace Library_startup {

// Caption of the start-up messages: the window title.
inline constexpr const char* Window_title = "The Tavrix Jukebox";

// Rescans the music folder and rebuilds everything derived from it, saving after the scan and at
// the end, then the times of the folders it listed. cache_covers stands for the cover-cache steps; without it they are
// left out.
void Rebuild_library(const std::function<void()>& cache_covers = nullptr);

// Starts the changed-folder check's look at the disk (Folder_survey) on a thread of its own, so that it
// runs while the window opens as well as beside the load; Library_at_startup takes it, or starts it
// itself when this was not called. Call once, before Library_at_startup, with the settings read.
void Start_folder_survey();

// Loads "MusicDataBase.dat" when it can be read, then scans only the album folders added, removed or
// changed since (Folder_check); rebuilds when it is missing or corrupt (after two messages). An
// empty result is reported with "No directories with songs found".
void Library_at_startup(const std::function<void()>& cache_covers = nullptr);

}  // namespace Library_startup
