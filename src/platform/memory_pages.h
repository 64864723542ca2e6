// Hints to the system about how a large block of memory is used.
#pragma once

#include <cstddef>

namespace survey {

// Asks the system to back [start, start + bytes) with large pages where it can: a table far
// larger than the cache and looked up at random then costs fewer page-table walks. Only whole
// pages inside the range are affected; does nothing where the system has no such hint.
void preferLargePages(void* start, size_t bytes);

}  // namespace survey
