#pragma once

#include "framework/Runtime.h"

#include <cstdint>

namespace tockamo {

// Who the program is: its name, its command, its icon and its resources
// folder, which the start code hands to the framework before anything else.
fw::ProgramIdentity Identity();

// The life of the process, in the order main runs it.

// The process entry: starts the runtime, runs the static initialiser, Main
// and the finaliser, and gives the runtime's exit status. A backend must be
// installed first.
int32_t main();
// The static initialiser: every class record in its fixed order, and the
// module globals at their places among them.
void initialize();
// Start-up up to and through the event loop, inside the one handler that
// reports whatever escapes it.
void Main();
void EarlyStartup();
// The program declares no document file types.
void InitFileTypes();
void NewAppInstance();
void ApplicationAddMenuHandlers();
// The hook the framework calls at the end of its initialisation; there is
// nothing left to do by then.
void LateStartup();
// The static finaliser: the cached alarm sound, the framework's globals,
// gDirectives and last the menu bar instance.
void finalize();

}
