#include "app/Startup.h"
#include "framework/Backend.h"

// The process's start code: the desktop backend goes in before anything of
// the runtime starts. Arguments are not passed on; nothing reads them.
int main(int, char**)
{
    fw::InstallBackend(fw::CreateDesktopBackend());
    return tockamo::main();
}
