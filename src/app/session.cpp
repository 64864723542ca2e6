// The run's shared state.
#include "app/session.h"

namespace survey {

Session::Session(Env& env)
    : env_(env),
      stream_(env.output(), env.terminal().outputIsTerminal()),
      reader_(env.input(), [this] { stream_.flushAll(); }),
      notices_(stream_, env.errors(), "survey"),
      console_{stream_, reader_, notices_, env.terminal().inputIsTerminal()},
      startClock_(takeStartClock(env.clock())) {}

}  // namespace survey
