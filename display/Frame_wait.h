// Blocking a frame loop until its next frame is due, for every loop that paces frames (the jukebox's
// message loop, the slide bench): on the message queue while the frame is more than about a
// millisecond away, so that input and posts from other threads end the wait early; then in a short
// sleep to the due time (platform/short_sleep.h), which the queue's whole-millisecond waits cannot
// give. A loop that waited only on the queue spun through the last millisecond of every frame: at
// 1024 x 768 three times the frame's own work.
// User-interface thread (the thread that owns the queue's waits and the pacer).
#pragma once

class Frame_pacer;

namespace Platform {
class Message_queue;
}

// Returns when the pacer's frame is due (a little after: the sleep's own lateness, about 0.1 ms on Linux),
// or earlier when a message arrived during the queue's part of the wait.
void Wait_for_frame(const Frame_pacer& pacer, Platform::Message_queue& queue, double (*now_ms)());
