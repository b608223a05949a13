// One queued song of the playlist, shared by the queue and its panel.
// The row position is written by the panel each time it draws the item's page.
#pragma once

// One queued song; the row position is where its row was last drawn on its page (per cent).
struct VX_playlist_item {
    int cd_index = 0;
    int song_index = 0;
    double row_y = 0.0;
    int rating = -1;  // the song's rating when it was queued
};
