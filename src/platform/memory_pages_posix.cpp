// Large pages through madvise, where the system offers them.
#include <sys/mman.h>
#include <unistd.h>

#include <cstdint>

#include "platform/memory_pages.h"

namespace survey {

void preferLargePages(void* start, size_t bytes) {
#ifdef MADV_HUGEPAGE
  const auto page = static_cast<uintptr_t>(sysconf(_SC_PAGESIZE));
  const auto from = (reinterpret_cast<uintptr_t>(start) + page - 1) / page * page;
  const auto to = (reinterpret_cast<uintptr_t>(start) + bytes) / page * page;
  // Only a hint: a system that refuses it keeps the ordinary pages.
  if (from < to) madvise(reinterpret_cast<void*>(from), to - from, MADV_HUGEPAGE);
#else
  (void)start;
  (void)bytes;
#endif
}

}  // namespace survey
