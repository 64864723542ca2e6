// What the POSIX platform files share: the reason of a failed call, writes that finish, and
// the file system they make.
#pragma once

#include <memory>
#include <string_view>

#include "platform/env.h"

namespace survey {

// The text of the error number `error`.
Status errnoStatus(int error);
// Writes all of `bytes` to the descriptor, again where a signal interrupts the write.
Status writeAll(int fd, std::string_view bytes);

std::unique_ptr<FileSystem> makeSystemFileSystem();

}  // namespace survey
