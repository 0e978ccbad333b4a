#pragma once

#include <QString>

// Some libraries (Rhythmbox) keep changes made through their scripting
// interface in memory until they quit: a library stopped by force loses
// them. After every run the library is asked to save where it can, and the
// person is told once per start of the program how their changes are kept.
namespace LibrarySave {
// After a run, on the run's thread: has the running library save its
// changes when it keeps them until it quits. Bounded by the call timeout.
void afterRun();
// The notice due since the last call, once per process: empty when there
// was no run against such a library, or it has been handed out already.
// Any thread.
QString takeNotice();
} // namespace LibrarySave
