#pragma once
// Ctrl+C while the program runs: caught instead of ending vrndbg, and turned into a pause of the
// program by the session, which looks for it whenever its wait ends (at least ten times a
// second while the program runs).

namespace corvane {

void catchInterrupts();
// Whether Ctrl+C was pressed since the last call.
bool takeInterrupt();

}  // namespace corvane
