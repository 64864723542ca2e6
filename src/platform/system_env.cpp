// The one system Env: each system's console parts and file system, joined.
#include "platform/system_env.h"

#include <utility>

namespace survey {
namespace {

class SystemEnv : public Env {
 public:
  explicit SystemEnv(ConsoleParts console)
      : console_(std::move(console)), files_(makeSystemFileSystem()) {}
  ConsoleInput& input() override { return *console_.input; }
  ConsoleOutput& output() override { return *console_.output; }
  ConsoleOutput& errors() override { return *console_.errors; }
  Clock& clock() override { return *console_.clock; }
  Terminal& terminal() override { return *console_.terminal; }
  FileSystem& files() override { return *files_; }

 private:
  ConsoleParts console_;
  std::unique_ptr<FileSystem> files_;
};

}  // namespace

std::unique_ptr<Env> makeSystemEnv() { return std::make_unique<SystemEnv>(makeConsoleParts()); }

}  // namespace survey
