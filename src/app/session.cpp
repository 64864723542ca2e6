// The run's shared state.
#include "app/session.h"

namespace survey {

Session::Session(Env& env)
    : env_(env),
      stream_(env.output(), env.terminal().outputIsTerminal()),
      typed_(env.terminal().lineEditor() != nullptr
                 ? std::make_unique<TerminalInput>(*env.terminal().lineEditor(),
                                                   env.terminal().outputIsTerminal())
                 : nullptr),
      reader_(typed_ ? static_cast<ConsoleInput&>(*typed_) : env.input(),
              [this] { stream_.flushAll(); }),
      notices_(stream_, env.errors(), "survey"),
      console_{stream_, reader_, notices_, env.terminal().inputIsTerminal(), typed_.get()},
      startClock_(takeStartClock(env.clock())) {}

}  // namespace survey
