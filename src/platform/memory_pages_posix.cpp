// Large pages through madvise, where the system offers them.
#include <sys/mman.h>
#include <unistd.h>

#include <cstdint>

#include "platform/memory_pages.h"

namespace survey {

void preferLargePages(void* start, size_t bytes) {
#ifdef MADV_HUGEPAGE
  const auto page = static_cast<size_t>(sysconf(_SC_PAGESIZE));
  char* const begin = static_cast<char*>(start);
  // The whole pages inside the range: from the first page boundary to the last.
  const size_t intoPage = reinterpret_cast<uintptr_t>(begin) % page;
  const size_t skipped = intoPage == 0 ? 0 : page - intoPage;
  if (bytes <= skipped) return;
  const size_t whole = (bytes - skipped) / page * page;
  // Only a hint: a system that refuses it keeps the ordinary pages.
  if (whole != 0) madvise(begin + skipped, whole, MADV_HUGEPAGE);
#else
  (void)start;
  (void)bytes;
#endif
}

}  // namespace survey
