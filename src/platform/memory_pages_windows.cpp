// Large pages on Windows need a privilege that a console program does not hold: no hint.
#include "platform/memory_pages.h"

namespace survey {

void preferLargePages(void* /*start*/, size_t /*bytes*/) {}

}  // namespace survey
