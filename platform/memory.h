// The process's memory as the machine sees it: the machine's figures for the display's memory
// report, and giving the heap's free pages back to the system.
#pragma once

#include <cstdint>

namespace Platform {

// The machine's total and available memory in bytes; false when the system does not say. Any thread.
bool Available_memory(std::uint64_t& total_bytes, std::uint64_t& free_bytes);

// Hands the heap's free pages back to the system, in every arena. The allocator keeps freed memory
// resident for reuse, and the threads of a long run (decoders, fetchers) leave free holes below live
// blocks that it never returns by itself, so a day-long run's resident size would creep up without
// any leak. Costs a walk of the free lists (a few milliseconds) and a page fault for each page used
// again, so call it rarely and when nothing moves. Any thread.
void Give_back_free_memory();

}  // namespace Platform
