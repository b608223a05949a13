// What the rating, volume, search and options modes share: the cover buttons 501-506, which open
// an album through the browse mode, the window timers they start and stop, and the shared images.
#pragma once

class VxModeBrowse;
class VxMode_images;

namespace Mode_support {

// The shared screen images; null without a display (tests of the key logic).
VxMode_images* Images();

// True for the cover button codes 501..506.
bool Is_cover_code(int code);
// Opens the album at the cover's place of the browse mode's page (code - 501). False when code is
// no cover code, there is no browse mode, or the page has no album there.
bool Open_cover(VxModeBrowse* browse, int code);

// Window timers by id on the main window's queue; setting a running timer restarts it.
void Start_timer(unsigned id, unsigned period_ms);
void Stop_timer(unsigned id);

}  // namespace Mode_support
