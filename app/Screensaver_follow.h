// The screensaver follows the play state: held off while a song plays (not paused, not stopped),
// allowed again as soon as it does not. UI thread; the window procedure calls it after every message.
#pragma once

// Changes the platform's screensaver when the play state changed since the last call, with a log line.
void Screensaver_follows_play_state();
