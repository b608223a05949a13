// The ids of the interaction modes and of the main window's timers, shared by the shell and the modes.
#pragma once

enum Mode_id : int {
    MODE_BROWSE = 1,
    MODE_VOLUME = 2,
    MODE_RATING = 3,
    MODE_SEARCH = 4,
    MODE_SELECT = 6,
    MODE_MAIN = 7,
    MODE_PREVIOUS = 8,  // not a mode: back to the previous one
    MODE_OPTIONS = 10,
};
inline constexpr int Mode_table_size = 11;

enum Timer_id : unsigned {
    TIMER_TICK = 1,                      // 500 ms, repeating: song watch and status lines
    TIMER_REDRAW = 3,                    // 50 ms, one shot: one more frame after an event
    TIMER_MODE_TIMEOUT = 5,              // timed modes fall back to the previous mode
    TIMER_PLAYLIST = 6,                  // 700 ms: the playlist starts its current song
    TIMER_AUDIO = 7,                     // 300 ms: held fade-outs begin
    TIMER_PROGRESS_CACHE_COVERS = 8,     // sent synchronously, never timed
    TIMER_PROGRESS_DOWNLOAD_COVERS = 9,  // sent synchronously
    TIMER_PROGRESS_FOLDERS = 10,         // sent synchronously
    TIMER_SEARCH_JUMP = 13,              // 1200 ms after typing in the search mode
    TIMER_PROGRESS_SCORES = 14,          // sent synchronously
};

// Button codes beyond the keyboard's.
inline constexpr int Code_cover_first = 501;  // 501..506: the six covers of the album panel
inline constexpr int Code_minimise = 507;
inline constexpr int Code_quit = 508;
