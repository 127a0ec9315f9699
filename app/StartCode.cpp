#include "app/Startup.h"
#include "framework/Backend.h"

// The process's start code: the desktop backend goes in before anything of
// the runtime starts. Arguments are not passed on; nothing reads them.
int main(int, char**)
{
    fw::InstallBackend(fw::CreateDesktopBackend());
    int32_t status = tockamo::main();
    // The backend takes Qt down with it; that must happen while the process
    // is still whole, not among the static destructors after main returns.
    fw::InstallBackend(nullptr);
    return status;
}
