// Heap warming on Windows: nothing to do; the process heap commits its pages as it grows.
#include "platform/heap_warming.h"

namespace Platform {

Heap_warming::Heap_warming(std::size_t) {}

Heap_warming::~Heap_warming() = default;

}  // namespace Platform
