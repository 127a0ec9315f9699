#include "app/Startup.h"
#include "framework/Backend.h"
#include "framework/Runtime.h"

#include <cstdio>

// The process's start code: the program names itself, then the desktop
// backend goes in before anything of the runtime starts. Arguments are not
// passed on; nothing reads them.
int main(int, char**)
{
    fw::SetProgramIdentity(tockamo::Identity());
    try {
        fw::InstallBackend(fw::CreateDesktopBackend());
    } catch (const fw::NoDisplayException& error) {
        // Nothing of the program has run yet, so its preferences are as
        // they were.
        std::fprintf(stderr, "%s: %s\n", fw::GetProgramIdentity().command.c_str(), error.what());
        return 1;
    }
    int32_t status = tockamo::main();
    // The backend takes Qt down with it; that must happen while the process
    // is still whole, not among the static destructors after main returns.
    fw::InstallBackend(nullptr);
    return status;
}
