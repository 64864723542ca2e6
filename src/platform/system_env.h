// What the platform files of each system make for the one system Env that joins them.
#pragma once

#include <memory>

#include "platform/env.h"

namespace survey {

// The console side of the system Env.
struct ConsoleParts {
  std::unique_ptr<ConsoleInput> input;
  std::unique_ptr<ConsoleOutput> output;
  std::unique_ptr<ConsoleOutput> errors;
  std::unique_ptr<Clock> clock;
  std::unique_ptr<Terminal> terminal;  // may refer to the parts above, destroyed after it
};

// The console of the system the program runs on, its standard streams made safe to use
// first; each system's env file defines it.
ConsoleParts makeConsoleParts();

// The file system of the system the program runs on; each system's file system file defines it.
std::unique_ptr<FileSystem> makeSystemFileSystem();

}  // namespace survey
