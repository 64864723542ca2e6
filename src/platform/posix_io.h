// What the POSIX platform files share: the reason of a failed call and writes that finish.
#pragma once

#include <string_view>

#include "platform/env.h"

namespace survey {

// The text of the error number `error`.
Status errnoStatus(int error);
// Writes all of `bytes` to the descriptor, again where a signal interrupts the write.
Status writeAll(int fd, std::string_view bytes);

}  // namespace survey
