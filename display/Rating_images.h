// The five rating pictures (gold, green, orange, red, black) that the song lists draw beside
// each song, and the rule that picks one for a rating. VxRating owns the loaded set.
#pragma once

#include <array>
#include <memory>
#include <string>
#include <vector>

#include "display/VxBitmap.h"

using VxRating_images = std::array<std::unique_ptr<VxBitmap>, 5>;

inline constexpr const char* Rating_image_files[5] = {"IMAGE_gold.jpg", "IMAGE_green.jpg", "IMAGE_orange.jpg",
                                                      "IMAGE_red.jpg", "IMAGE_black.jpg"};
// Height of a rating picture in per cent of the window height (the song row's marker).
inline constexpr double Rating_image_height = 1.8;

// Loads the five pictures from the pictures folder (with or without a final separator), in
// that order, square on screen at Rating_image_height, colour key on. A missing file shows its
// " NOT found" message and leaves that picture empty. Needs an initialised display.
VxRating_images Load_rating_images(const std::string& pics_folder);
// The same from five full paths, in the order above.
VxRating_images Load_rating_images(const std::vector<std::string>& paths);

// The process-wide set that the song lists draw from; empty until loaded. VxRating's image
// loader is this function: VxRating::Instance().Set_image_loader(Load_shared_rating_images).
void Load_shared_rating_images(const std::vector<std::string>& paths);
VxRating_images& Shared_rating_images();

// Which picture a rating shows: 95..100 gold (0), 70..94 green (1), 50..69 orange (2),
// 0..49 red (3), anything else, unrated included, black (4).
int Rating_image_index(int rating);
