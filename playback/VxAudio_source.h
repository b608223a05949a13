// What the audio player needs of the list it plays from: its items and the step to the next song.
// The playlist is the one implementation in the jukebox; tools and tests bring their own.
#pragma once

#include "library/VxDatabase.h"

class VxAudio_source {
public:
    virtual ~VxAudio_source() = default;
    virtual int Get_nof_items() = 0;
    // The album and song of item index (0 <= index < Get_nof_items()).
    virtual VX_song_reference Get_item_song(int index) = 0;
    // Moves on to the next item (or a random one) and has it played after 700 ms.
    virtual void Start_and_update_next_song() = 0;
};
