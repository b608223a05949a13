// Gives the heap's free pages back to the system now and then, so that a run of days stays at the
// size of what it holds (see Platform::Give_back_free_memory). UI thread: the window procedure calls
// it at every tick; it acts at most once a minute, and only on a tick where nothing moves, so that no
// frame of a slide pays for the walk.
#pragma once

void Give_back_memory_when_due(double now_ms, bool anything_moving);
