// Keeping a terminal usable while the program has changed its settings (POSIX).
#pragma once

namespace survey {

// Saves the settings of terminal `fd` as they are now and, until releaseTerminal, puts them
// back whenever the program goes: on every signal that ends it (the signal then ends it as
// before) and while it is stopped (Ctrl+Z; the settings in force are set again when it
// continues). A signal ignored by the program's starter stays ignored. False when `fd` is not
// a terminal; one terminal is held at a time.
bool holdTerminal(int fd);
// Puts the saved settings back.
void restoreHeldTerminal();
// Puts the signal handlers back as they were; the settings are left as they are.
void releaseTerminal();
// Stops the program as Ctrl+Z does, with the saved settings in force while it is stopped.
void suspendHeldTerminal();
// Ends the program with `signalNumber` as its default action does, the settings put back.
[[noreturn]] void endWithSignal(int signalNumber);

// What happened to the terminal since the last call: bit 1 it was resized, bit 2 the program
// was continued after a stop.
inline constexpr int kTerminalResized = 1;
inline constexpr int kTerminalContinued = 2;
int takeTerminalEvents();

}  // namespace survey
