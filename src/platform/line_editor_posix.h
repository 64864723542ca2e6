// The POSIX line editor for answers typed at a terminal.
#pragma once

#include <memory>

#include "platform/env.h"

namespace survey {

// Edits lines with libedit at a terminal it can drive; where it cannot (TERM unset or "dumb",
// no terminfo entry) reads plain lines, as the terminal's own line discipline edits them.
std::unique_ptr<LineEditor> makeTerminalLineEditor();

}  // namespace survey
