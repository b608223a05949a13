// Memory for the pixels of large surfaces, taken from the system with every page already in place.
// A page first touched by a write costs a trap into the kernel; a start-up that fills some 40 MB of
// pictures paid for 10,000 of them, where one call that maps the block whole costs a twentieth of that
// (and, on Linux, laying a block of megabytes on huge pages a quarter of that again).
#pragma once

#include <cstddef>

namespace Platform {

// Surfaces made at least this large take their pixels from Take_pixel_block, smaller ones from the heap
// (a loaded bitmap's copy always takes a block: see Load_bmp).
inline constexpr std::size_t Pixel_block_threshold = 128 * 1024;

// A block of bytes, all zero, writable, every page mapped; nullptr when the system has none.
// Any thread; pair each with Give_back_pixel_block of the same size.
void* Take_pixel_block(std::size_t bytes);
void Give_back_pixel_block(void* block, std::size_t bytes);

}  // namespace Platform
